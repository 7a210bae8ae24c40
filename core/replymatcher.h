// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "outcome.h"
#include "status/values.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <deque>
#include <optional>

// Matches what arrives on the line to the commands that are owed a reply, so
// that a reply is decoded only for the command that asked for it.
//
// Framing: a reply is the characters up to and including a carriage return or
// a line feed; CR LF and LF CR end one reply together. A reply without its
// terminator is offered as it grows. Characters that begin no reply (a NUL,
// 0xFF: status::beginsNoReply) arriving between replies are noise: they are
// kept as the noise before the next reply and start none. Characters that
// arrived before a command was sent never belong to its reply: a transmission
// ends an incomplete reply unless its characters are still arriving (the last
// came within kReplyGapMs).
//
// Owing: a command is owed one reply from its transmission until a reply
// answers it or it settles unanswered. Commands sent to all projectors are owed
// nothing. The short windows of the menu cursor time the display, not the
// projector, which takes tens of milliseconds to answer: no command stops being
// owed sooner than kShortestOwedMs after it went out.
//
// Attribution: each projector answers its own commands in the order it got
// them, so a reply can only answer, for each projector, the oldest owed command
// sent before the reply began whose reply forms it fits (status::fit); the
// projector skipped the ones before that, which settle as silent once it
// answers. A status byte the table has no row for (read by its bits) is the
// weakest fit: where a later command of the projector has it as a code of its
// own ("11", a reversal), it answers that command. When the reply fits none it
// answers none; when it fits commands of different projectors, nothing tells
// which, and it answers none. A reply that begins after the latest command,
// once that command is no longer owed and still unanswered, is its late reply.
// Replies carry no address: a late reply that has the form of the next
// command's reply as well (a status byte "00" after STATUS and SETTING 2)
// cannot be told from that reply.
//
// Settling: a command is settled when its reply is complete, or once it is no
// longer owed and the line has been quiet for kQuietGapMs; then it was
// answered (the reply so far reads as its reply), silent, or not attributable
// (a reply came that could have been its own).
//
// Time is passed in, in milliseconds of a monotonic clock.
class ReplyMatcher
{
public:
    static constexpr qint64 kReplyGapMs = 100;
    static constexpr qint64 kQuietGapMs = 100;
    static constexpr int kShortestOwedMs = 500;
    // Replies longer than this are noise; the characters after it are dropped.
    static constexpr qsizetype kMaxReplyLength = 4096;
    // Of the noise before a reply, the latest characters are kept.
    static constexpr qsizetype kMaxNoiseLength = 64;

    struct Command
    {
        quint64 id = 0;
        QString projector; // its address prefix: "", "A001".."A004"
        std::optional<status::Query> query;
        bool owed = true; // false: sent to all projectors
    };

    // Never LineFailed: the line is not the matcher's concern.
    using Result = Outcome::Result;

    // A reply, whole or as far as it came, for the command `command` (0: none).
    struct Reply
    {
        quint64 command = 0;
        QString text; // with its terminator when complete
        bool complete = false;
        QString noise; // what came before it that begins no reply
    };

    struct Settled
    {
        quint64 command = 0;
        Result result = Result::Silent;
        QString reply; // what answered it
        QString noise; // what came before that reply that begins no reply
    };

    // A reply without its terminators.
    static QStringView body(const QString &reply);

    void sent(const Command &command, qint64 nowMs, int windowMs);
    // The reply window of the latest command has ended.
    void windowEnded(qint64 nowMs);
    // Characters arrived: the replies they changed, in order.
    QList<Reply> received(const QString &characters, qint64 nowMs);
    // Characters were lost between those received and those to come.
    void inputLost();
    // Commands whose outcome is known by now; each is given once.
    QList<Settled> settle(qint64 nowMs);
    // When settle() may next have something to give, or idle() next change;
    // none while nothing waits and nothing is arriving.
    std::optional<qint64> nextSettleMs(qint64 nowMs) const;
    // Nothing is waiting for a reply and the line is quiet.
    bool idle(qint64 nowMs) const;

    quint64 latest() const { return m_latest.id; }
    // The reply to the latest command as far as it came, and whether it is complete.
    QString latestReply() const { return m_latestReply; }
    bool latestAnswered() const { return m_latestAnswered; }

private:
    struct Owed
    {
        Command command;
        qint64 deadlineMs;
        bool windowOpen;
        qint64 windowEndMs;
        QString reply;          // an incomplete reply that may be its own
        QString noise;          // the noise before it
        bool ambiguous = false; // a reply came that could have been its own
    };

    struct Fitting
    {
        quint64 command;
        QString projector;
        bool whole;  // reads already, not only begins a reply
        bool byBits; // a status byte the table has no row for
    };
    QList<Fitting> fitting(bool complete, qint64 nowMs) const;
    Owed *find(quint64 command);
    void answer(quint64 command, const QString &reply, const QString &noise);
    void endReply();
    Reply offer(bool complete, qint64 nowMs);
    bool owedAt(const Owed &owed, qint64 nowMs) const;
    qint64 settleAt(const Owed &owed) const;

    std::deque<Owed> m_owed;
    QList<Settled> m_settled; // settled by a complete reply, not given yet
    Command m_latest;
    bool m_latestAnswered = false;
    QString m_latestReply;

    QString m_reply;          // the reply in progress
    QString m_noise;          // noise since the latest reply ended
    QString m_replyNoise;     // the noise before the reply in progress
    quint64 m_replyAfter = 0; // the latest command when it began
    qint64 m_lastArrivalMs = -1;
    bool m_inReply = false;
    QChar m_pairedTerminator; // LF after CR, CR after LF: part of the reply before
};
