#pragma once

#include <QString>
#include <QtGlobal>
#include <deque>

// Matches what arrives on the line to the commands that are owed a reply, so
// that the STATUS line only ever describes the reply to the latest command.
//
// A reply is the characters up to and including a carriage return. A command
// is owed one reply from its transmission until a reply answers it or its
// reply window ends; commands sent to all projectors are owed nothing. The
// short windows of the menu cursor time the display, not the projector, which
// takes tens of milliseconds to answer: no command stops being owed sooner
// than kShortestOwedMs after it went out. A
// complete reply answers the oldest owed command sent before the reply began.
// A reply that begins after the latest command, once that command's window has
// ended unanswered, is its late reply. Characters that arrived before a
// command was sent never belong to its reply: a transmission ends an
// incomplete reply unless its characters are still arriving.
//
// Time is passed in, in milliseconds of a monotonic clock.
class ReplyMatcher
{
public:
    // An incomplete reply whose last character is older than this when a
    // command goes out is ended: it was not the start of the new reply.
    static constexpr qint64 kReplyGapMs = 100;
    static constexpr int kShortestOwedMs = 500;
    // Replies longer than this are noise; the characters after it are dropped.
    static constexpr qsizetype kMaxReplyLength = 4096;

    // A command went out with a reply window of `windowMs`.
    void sent(qint64 nowMs, int windowMs, bool owed);
    // The reply window of the latest command has ended.
    void windowEnded();
    // Characters arrived. Returns true when they changed the reply to the
    // latest command, which latestReply() then holds as far as it has come.
    bool received(const QString &characters, qint64 nowMs);

    QString latestReply() const { return m_latestReply; }
    // The latest command got a complete reply.
    bool latestAnswered() const { return m_latestAnswered; }
    // Whether the latest command is still owed a reply.
    bool latestOwed() const;

private:
    struct Owed
    {
        quint64 command;
        qint64 deadlineMs;
    };

    void expire(qint64 nowMs);
    bool replyIsForLatest() const;
    void complete();

    std::deque<Owed> m_owed;
    quint64 m_commands = 0;       // commands sent so far; the latest is number m_commands
    bool m_latestWasOwed = false; // the latest command expected a reply at all
    bool m_windowOpen = false;    // the latest command's reply window runs
    bool m_latestAnswered = false;
    QString m_latestReply;

    QString m_reply;          // the reply in progress
    quint64 m_replyAfter = 0; // commands sent before it began
    qint64 m_lastArrivalMs = 0;
    bool m_inReply = false;
};
