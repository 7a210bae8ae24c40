// SPDX-License-Identifier: GPL-3.0-or-later
#include "traffic.h"

#include "link/mscomm.h"
#include "link/trace.h"
#include "status/decoders.h"
#include "windowstate.h"

namespace {
const QString kAllProjectors = QStringLiteral("AFFF");
}

Traffic::Traffic(WindowState &state, MSComm &comm, ConsoleTimer &timer2, ConsoleTimer &timer4,
                 Clock &clock, QObject *parent)
    : QObject(parent), m_state(state), m_comm(comm), m_timer2(timer2), m_timer4(timer4),
      m_clock(clock), m_settleTimer(clock)
{
    m_settleTimer.setSingleShot(true);
    connect(&m_settleTimer, &ConsoleTimer::timeout, this, &Traffic::settle);
    connect(&m_timer2, &ConsoleTimer::timeout, this, &Traffic::Timer2_Timer);
    connect(&m_timer4, &ConsoleTimer::timeout, this, &Traffic::Timer4_Timer);
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
        emit transmitted(text, m_intent);
        const QString &prefix = m_state.AddressPrefix;
        const QStringView code = QStringView(text).startsWith(prefix)
                                     ? QStringView(text).mid(prefix.size()).chopped(1)
                                     : QStringView();
        ReplyMatcher::Command command;
        command.id = ++m_commands;
        command.projector = prefix;
        command.query = status::queryFor(code);
        // The projectors stay silent when all of them are addressed.
        command.owed = !prefix.startsWith(kAllProjectors);
        Pending &pending = m_pending[command.id];
        pending.outcome.intent = m_intent;
        pending.outcome.command = command.id;
        pending.outcome.name = m_name.isEmpty() ? code.toString() : m_name;
        pending.outcome.sent = trace(text);
        pending.sendText = text;
        pending.prefix = prefix;
        pending.sentMs = m_clock.nowMs();
        m_replies.sent(command, pending.sentMs, m_timer2.interval());
        setLine(m_txd, trace(text), &Traffic::txdChanged);
        m_timer2.start();
        m_state.ReplyPending = 1;
        m_timer4.start();
        m_wasIdle = false;
        settle();
        return true;
    }
    setLine(m_rxd, trace(text), &Traffic::rxdChanged);
    return true;
}

void Traffic::setSender(quint64 intent, const QString &name)
{
    m_intent = intent;
    m_name = name;
}

namespace {

// ACK and "?" take or refuse a command; they describe no state.
bool describesState(const QString &reply)
{
    const QStringView body = ReplyMatcher::body(reply);
    return !status::isAcknowledgement(body) && !status::isRefusal(body);
}

} // namespace

// The STATUS line describes the reply to the latest command and nothing else.
void Traffic::decodeLatestReply(const ReplyMatcher::Reply &reply)
{
    if (reply.command == 0 || reply.command != m_replies.latest() || !describesState(reply.text))
        return;
    const QString shown = trace(reply.text);
    if (const auto decoded = status::decode(shown, m_state.SendText, m_state.AddressPrefix))
        setLine(m_status, *decoded, &Traffic::statusChanged);
}

void Traffic::settle()
{
    const qint64 now = m_clock.nowMs();
    for (const ReplyMatcher::Settled &settled : m_replies.settle(now)) {
        const auto it = m_pending.find(settled.command);
        if (it == m_pending.end())
            continue;
        Pending pending = std::move(it->second);
        m_pending.erase(it);
        Outcome &outcome = pending.outcome;
        outcome.milliseconds = now - pending.sentMs;
        outcome.result = settled.result;
        // " X X X X" only when nothing at all came while it waited.
        if (!settled.reply.isEmpty())
            outcome.received = trace(settled.noise + settled.reply);
        else if (outcome.result == Outcome::Result::NotOwed)
            outcome.received.clear();
        else if (!pending.arrived.isEmpty())
            outcome.received = trace(pending.arrived);
        else
            outcome.received = QStringLiteral(" X X X X");
        const auto query
            = status::queryFor(QStringView(pending.sendText).mid(pending.prefix.size()).chopped(1));
        if (query && !settled.reply.isEmpty() && describesState(settled.reply)) {
            outcome.value = status::readValue(*query, ReplyMatcher::body(settled.reply));
            outcome.status = status::decode(trace(settled.reply), pending.sendText, pending.prefix)
                                 .value_or(QString());
        }
        emit this->settled(outcome);
    }
    if (const auto next = m_replies.nextSettleMs(now))
        m_settleTimer.start(int(std::max<qint64>(0, *next - now)));
    else
        m_settleTimer.stop();
    const bool nowIdle = m_replies.idle(now);
    if (nowIdle && !m_wasIdle) {
        m_wasIdle = true;
        emit becameIdle();
    }
    m_wasIdle = nowIdle;
}

void Traffic::lineFailed(const QString &description)
{
    for (auto &[command, pending] : m_pending) {
        pending.outcome.result = Outcome::Result::LineFailed;
        pending.outcome.failure = description;
        pending.outcome.milliseconds = m_clock.nowMs() - pending.sentMs;
        emit settled(pending.outcome);
    }
    m_pending.clear();
}

void Traffic::blankSentAndReceived()
{
    setLine(m_txd, QString(), &Traffic::txdChanged);
    setLine(m_rxd, QString(), &Traffic::rxdChanged);
}

void Traffic::endReplyWindow()
{
    m_timer2.stop();
    m_replies.windowEnded(m_clock.nowMs());
    settle();
}

void Traffic::Timer4_Timer()
{
    blankSentAndReceived();
    setLine(m_status, QString(), &Traffic::statusChanged);
    m_timer4.stop();
}

void Traffic::MSComm1_OnComm()
{
    if (m_comm.commEvent() == MSComm::comEventRxOver)
        m_replies.inputLost();
    if (m_comm.commEvent() != MSComm::comEvReceive)
        return;
    const QString arrived = m_comm.input();
    emit this->arrived(arrived);
    for (auto &[command, pending] : m_pending) {
        if (pending.arrived.size() < kArrivedKept)
            pending.arrived += QStringView(arrived).left(kArrivedKept - pending.arrived.size());
    }
    m_state.RecvBuffer += arrived;
    // Noise must never push a new reply out of sight: the latest characters stay.
    if (m_state.RecvBuffer.size() > kRecvBufferLimit)
        m_state.RecvBuffer.remove(0, m_state.RecvBuffer.size() - kRecvBufferLimit);
    m_state.ReplyPending = 0;
    const QList<ReplyMatcher::Reply> replies = m_replies.received(arrived, m_clock.nowMs());
    Hyouji(m_state.RecvBuffer, 2);
    for (const ReplyMatcher::Reply &reply : replies)
        decodeLatestReply(reply);
    emit received();
    settle();
}

void Traffic::Timer2_Timer()
{
    if (m_state.ReplyPending == 1)
        setLine(m_rxd, QStringLiteral(" X X X X"), &Traffic::rxdChanged);
    m_timer2.stop();
    m_state.RecvBuffer.clear();
    m_state.ReplyPending = 0;
    m_replies.windowEnded(m_clock.nowMs());
    emit replyWindowEnded();
    settle();
}
