// SPDX-License-Identifier: GPL-3.0-or-later
#include "senders.h"

#include "traffic.h"
#include "windowstate.h"

CommandSender::CommandSender(WindowState &state, Traffic &traffic, SenderTimers timers)
    : m_state(state), m_traffic(traffic), m_timers(timers)
{}

bool CommandSender::send(const QString &code)
{
    m_state.SendText = m_state.AddressPrefix + code + QLatin1Char('\r');
    return m_traffic.Hyouji(m_state.SendText, 1);
}

void CommandSender::setIntervalPair(int replyWindow)
{
    m_timers.timer2.setInterval(replyWindow);
    m_timers.timer4.setInterval(replyWindow + 500);
}

bool CommandSender::click(const commands::OneShot &button)
{
    if (const int window = commands::replyWindow(button.shape))
        setIntervalPair(window);
    if (!send(button.code))
        return false;
    if (button.shape == commands::Shape::MenuContext) {
        m_timers.timer1.setInterval(200);
        m_state.CursorMode = 1;
    }
    return true;
}

bool CommandSender::sendManual(const QString &typed)
{
    setIntervalPair(2000);
    m_state.ManualText = typed;
    return send(m_state.ManualText);
}
