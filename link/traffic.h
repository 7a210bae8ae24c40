#pragma once

#include <QObject>

class MSComm;
class QLabel;
class QTimer;
struct WindowState;

// The three value lines of the traffic display.
struct TrafficLines
{
    QLabel *txd;    // Label11
    QLabel *rxd;    // Label12
    QLabel *status; // Label22
};

// The road every byte takes: Hyouji sends and shows (mode 1) or shows and
// decodes what came back (any other mode); Timer2 is the reply window and
// Timer4 the display hold that blanks the traffic lines.
class Traffic : public QObject
{
    Q_OBJECT

public:
    // Received characters kept per reply window; the start is kept, since the
    // decoders read the beginning of a reply.
    static constexpr qsizetype kRecvBufferLimit = 32767;

    Traffic(WindowState &state, MSComm &comm, TrafficLines lines, QTimer &timer2, QTimer &timer4,
            QObject *parent = nullptr);

    // Returns false when the port refused the text; nothing is shown then and
    // refused() carries the port's description.
    bool Hyouji(const QString &text, quint8 mode);

    // Blanks the TXD and RXD lines, as the release of a press-and-hold button does.
    void blankSentAndReceived();

    void Timer2_Timer();
    void Timer4_Timer();
    void MSComm1_OnComm();

signals:
    void refused(const QString &description);

private:
    WindowState &m_state;
    MSComm &m_comm;
    TrafficLines m_lines;
    QTimer &m_timer2;
    QTimer &m_timer4;
};
