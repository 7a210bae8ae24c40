#include "traffic.h"

#include "link/mscomm.h"
#include "link/trace.h"
#include "status/decoders.h"
#include "windowstate.h"

#include <QTimer>

namespace {
const QString kAllProjectors = QStringLiteral("AFFF");
}

Traffic::Traffic(WindowState &state, MSComm &comm, QTimer &timer2, QTimer &timer4, QObject *parent)
    : QObject(parent), m_state(state), m_comm(comm), m_timer2(timer2), m_timer4(timer4)
{
    m_clock.start();
    connect(&m_timer2, &QTimer::timeout, this, &Traffic::Timer2_Timer);
    connect(&m_timer4, &QTimer::timeout, this, &Traffic::Timer4_Timer);
    connect(&m_comm, &MSComm::onComm, this, &Traffic::MSComm1_OnComm);
}

void Traffic::setLine(QString &line, const QString &text, void (Traffic::*changed)(const QString &))
{
    if (line == text)
        return;
    line = text;
    emit(this->*changed)(line);
}

bool Traffic::Hyouji(const QString &text, quint8 mode)
{
    if (mode == 1) {
        if (!m_comm.setOutput(text)) {
            emit refused(m_comm.errorDescription());
            return false;
        }
        emit transmitted(text);
        // The projectors stay silent when all of them are addressed.
        m_replies.sent(m_clock.elapsed(), m_timer2.interval(),
                       !m_state.AddressPrefix.startsWith(kAllProjectors));
        setLine(m_txd, trace(text), &Traffic::txdChanged);
        m_timer2.start();
        m_state.ReplyPending = 1;
        m_timer4.start();
        return true;
    }
    setLine(m_rxd, trace(text), &Traffic::rxdChanged);
    return true;
}

// The STATUS line describes the reply to the latest command and nothing else.
void Traffic::decodeLatestReply()
{
    const QString shown = trace(m_replies.latestReply());
    if (const auto decoded = status::decode(shown, m_state.SendText, m_state.AddressPrefix))
        setLine(m_status, *decoded, &Traffic::statusChanged);
}

void Traffic::blankSentAndReceived()
{
    setLine(m_txd, QString(), &Traffic::txdChanged);
    setLine(m_rxd, QString(), &Traffic::rxdChanged);
}

void Traffic::endReplyWindow()
{
    m_timer2.stop();
    m_replies.windowEnded();
}

void Traffic::Timer4_Timer()
{
    blankSentAndReceived();
    setLine(m_status, QString(), &Traffic::statusChanged);
    m_timer4.stop();
}

void Traffic::MSComm1_OnComm()
{
    if (m_comm.commEvent() != MSComm::comEvReceive)
        return;
    const QString arrived = m_comm.input();
    emit this->arrived(arrived);
    m_state.RecvBuffer += arrived;
    // Noise must never push a new reply out of sight: the latest characters stay.
    if (m_state.RecvBuffer.size() > kRecvBufferLimit)
        m_state.RecvBuffer.remove(0, m_state.RecvBuffer.size() - kRecvBufferLimit);
    m_state.ReplyPending = 0;
    const bool replyChanged = m_replies.received(arrived, m_clock.elapsed());
    Hyouji(m_state.RecvBuffer, 2);
    if (replyChanged)
        decodeLatestReply();
    emit received();
}

void Traffic::Timer2_Timer()
{
    if (m_state.ReplyPending == 1)
        setLine(m_rxd, QStringLiteral(" X X X X"), &Traffic::rxdChanged);
    m_timer2.stop();
    m_state.RecvBuffer.clear();
    m_state.ReplyPending = 0;
    m_replies.windowEnded();
    emit replyWindowEnded();
}
