// SPDX-License-Identifier: GPL-3.0-or-later
#include "pressandhold.h"

#include "link/mscomm.h"
#include "traffic.h"
#include "windowstate.h"

PressAndHold::PressAndHold(WindowState &state, Traffic &traffic, const MSComm &comm,
                           SenderTimers timers)
    : m_state(state), m_traffic(traffic), m_comm(comm), m_timers(timers)
{}

bool PressAndHold::send(const char *code)
{
    const QString chosen = m_state.AddressPrefix;
    if (m_fixedPrefix)
        m_state.AddressPrefix = *m_fixedPrefix;
    m_state.SendText = m_state.AddressPrefix + QLatin1String(code) + QLatin1Char('\r');
    const bool sent = m_traffic.Hyouji(m_state.SendText, 1);
    m_state.AddressPrefix = chosen;
    return sent;
}

void PressAndHold::rememberSender()
{
    m_intent = m_traffic.senderIntent();
    m_name = m_traffic.senderName();
}

bool PressAndHold::press(const commands::Hold &button)
{
    m_fixedPrefix.reset();
    rememberSender();
    if (button.isMenuArrow()) {
        if (m_state.CursorMode == 1) {
            m_timers.timer2.setInterval(150);
            m_timers.timer4.setInterval(190);
        } else if (m_state.CursorMode == 3) {
            m_timers.timer2.setInterval(5);
            m_timers.timer4.setInterval(5);
        }
        m_state.RepeatCode = button.repeatCode;
        if (!send(button.code))
            return false;
        m_timers.timer1.start();
        return true;
    }
    m_state.RepeatCode = button.repeatCode;
    if (!send(button.code))
        return false;
    m_timers.timer1.setInterval(button.timer1);
    m_timers.timer2.setInterval(button.timer2);
    m_timers.timer4.setInterval(button.timer4);
    m_timers.timer1.start();
    return true;
}

void PressAndHold::Timer1_Timer()
{
    if (m_state.RepeatCode == 0)
        return;
    // A repetition never queues behind one that has not yet left the computer:
    // what is queued would keep the projector moving after the release.
    if (m_comm.outBufferCount() > 0)
        return;
    const commands::Hold *held = commands::holdForRepeatCode(m_state.RepeatCode);
    if (!held)
        return;
    // A command sent between two ticks (a click, a client's) leaves the ticks
    // the press's.
    const quint64 intent = m_traffic.senderIntent();
    const QString name = m_traffic.senderName();
    m_traffic.setSender(m_intent, m_name);
    send(held->code);
    m_traffic.setSender(intent, name);
}

void PressAndHold::release(const commands::Hold &button)
{
    m_fixedPrefix.reset();
    m_state.RepeatCode = 0;
    m_timers.timer1.stop();
    m_traffic.endReplyWindow();
    m_timers.timer4.start();
    m_traffic.blankSentAndReceived();
    m_timers.timer2.setInterval(500);
    m_timers.timer4.setInterval(1000);
    m_state.RecvBuffer.clear();
    if (button.digitalZoom) {
        m_timers.timer1.setInterval(5);
        m_state.CursorMode = 3;
    }
}
