// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clock.h"
#include "outcome.h"
#include "replymatcher.h"

#include <QObject>
#include <map>

class MSComm;
struct WindowState;

// The road every byte takes: Hyouji sends and shows (mode 1) or shows and
// decodes what came back (any other mode); Timer2 is the reply window and
// Timer4 the display hold that blanks the traffic lines. The three traffic
// lines are held here; a front end shows them.
class Traffic : public QObject
{
    Q_OBJECT

public:
    // Received characters kept per reply window; the latest are kept.
    static constexpr qsizetype kRecvBufferLimit = 32767;

    Traffic(WindowState &state, MSComm &comm, ConsoleTimer &timer2, ConsoleTimer &timer4,
            Clock &clock, QObject *parent = nullptr);

    // Returns false when the port refused the text; nothing is shown then and
    // refused() carries the port's description.
    bool Hyouji(const QString &text, quint8 mode);

    // Blanks the TXD and RXD lines, as the release of a press-and-hold button does.
    void blankSentAndReceived();
    // A press-and-hold release ends the reply window without its tick.
    void endReplyWindow();

    void Timer2_Timer();
    void Timer4_Timer();
    void MSComm1_OnComm();

    QString txd() const { return m_txd; }       // Label11
    QString rxd() const { return m_rxd; }       // Label12
    QString status() const { return m_status; } // Label22

    const ReplyMatcher &replies() const { return m_replies; }

    // The next command sent belongs to `intent` and is called `name`.
    void setSender(quint64 intent, const QString &name);
    quint64 senderIntent() const { return m_intent; }
    QString senderName() const { return m_name; }
    // Nothing waits for a reply and the line is quiet.
    bool idle() const { return m_replies.idle(m_clock.nowMs()); }
    // The line went away: every command still waiting ends with it.
    void lineFailed(const QString &description);

signals:
    void refused(const QString &description);
    void txdChanged(const QString &text);
    void rxdChanged(const QString &text);
    void statusChanged(const QString &text);
    // Characters arrived (after the lines were updated) / the reply window ended.
    void received();
    void replyWindowEnded();
    // The bytes of a command left for the line / characters came in from it.
    void transmitted(const QString &text, quint64 intent);
    void arrived(const QString &characters);
    // A command has ended; idle() holds once nothing waits any more.
    void settled(const Outcome &outcome);
    void becameIdle();

private:
    void setLine(QString &line, const QString &text, void (Traffic::*changed)(const QString &));
    void decodeLatestReply(const ReplyMatcher::Reply &reply);
    void settle();

    struct Pending
    {
        Outcome outcome;
        QString sendText;
        QString prefix;
        qint64 sentMs = 0;
        QString arrived; // the first characters that came while it waited
    };
    static constexpr qsizetype kArrivedKept = 256;

    WindowState &m_state;
    MSComm &m_comm;
    ConsoleTimer &m_timer2;
    ConsoleTimer &m_timer4;
    QString m_txd, m_rxd, m_status;
    ReplyMatcher m_replies;
    Clock &m_clock;
    ConsoleTimer m_settleTimer;
    std::map<quint64, Pending> m_pending;
    quint64 m_commands = 0;
    quint64 m_intent = 0;
    QString m_name;
    bool m_wasIdle = true;
};
