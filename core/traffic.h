#pragma once

#include "replymatcher.h"

#include <QElapsedTimer>
#include <QObject>

class MSComm;
class QTimer;
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

    Traffic(WindowState &state, MSComm &comm, QTimer &timer2, QTimer &timer4,
            QObject *parent = nullptr);

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

signals:
    void refused(const QString &description);
    void txdChanged(const QString &text);
    void rxdChanged(const QString &text);
    void statusChanged(const QString &text);
    // Characters arrived (after the lines were updated) / the reply window ended.
    void received();
    void replyWindowEnded();
    // The bytes of a command left for the line / characters came in from it.
    void transmitted(const QString &text);
    void arrived(const QString &characters);

private:
    void setLine(QString &line, const QString &text, void (Traffic::*changed)(const QString &));
    void decodeLatestReply();

    WindowState &m_state;
    MSComm &m_comm;
    QTimer &m_timer2;
    QTimer &m_timer4;
    QString m_txd, m_rxd, m_status;
    ReplyMatcher m_replies;
    QElapsedTimer m_clock;
};
