#include "traffic.h"

#include "app/windowstate.h"
#include "mscomm.h"
#include "status/decoders.h"
#include "trace.h"

#include <QLabel>
#include <QTimer>

Traffic::Traffic(WindowState &state, MSComm &comm, TrafficLines lines, QTimer &timer2,
                 QTimer &timer4, QObject *parent)
    : QObject(parent), m_state(state), m_comm(comm), m_lines(lines), m_timer2(timer2),
      m_timer4(timer4)
{
    connect(&m_timer2, &QTimer::timeout, this, &Traffic::Timer2_Timer);
    connect(&m_timer4, &QTimer::timeout, this, &Traffic::Timer4_Timer);
    connect(&m_comm, &MSComm::onComm, this, &Traffic::MSComm1_OnComm);
}

bool Traffic::Hyouji(const QString &text, quint8 mode)
{
    if (mode == 1) {
        if (!m_comm.setOutput(text)) {
            emit refused(m_comm.errorDescription());
            return false;
        }
        m_lines.txd->setText(trace(text));
        m_timer2.start();
        m_state.ReplyPending = 1;
        m_timer4.start();
        return true;
    }
    const QString shown = trace(text);
    m_lines.rxd->setText(shown);
    if (const auto decoded = status::decode(shown, m_state.SendText, m_state.AddressPrefix))
        m_lines.status->setText(*decoded);
    return true;
}

void Traffic::blankSentAndReceived()
{
    m_lines.txd->setText(QString());
    m_lines.rxd->setText(QString());
}

void Traffic::Timer4_Timer()
{
    blankSentAndReceived();
    m_lines.status->setText(QString());
    m_timer4.stop();
}

void Traffic::MSComm1_OnComm()
{
    if (m_comm.commEvent() != MSComm::comEvReceive)
        return;
    const QString arrived = m_comm.input();
    const qsizetype room = kRecvBufferLimit - m_state.RecvBuffer.size();
    if (room > 0)
        m_state.RecvBuffer += arrived.left(room);
    m_state.ReplyPending = 0;
    Hyouji(m_state.RecvBuffer, 2);
}

void Traffic::Timer2_Timer()
{
    if (m_state.ReplyPending == 1)
        m_lines.rxd->setText(QStringLiteral(" X X X X"));
    m_timer2.stop();
    m_state.RecvBuffer.clear();
    m_state.ReplyPending = 0;
}
