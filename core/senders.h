// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue.h"

class ConsoleTimer;
class Traffic;
struct WindowState;

// The window's timers that senders touch.
struct SenderTimers
{
    ConsoleTimer &timer1; // repetition tick
    ConsoleTimer &timer2; // reply window
    ConsoleTimer &timer4; // display hold
};

// The one-shot buttons and manual entry: each click builds one command text,
// AddressPrefix + code + CR, and hands it to Hyouji. A refused transmission
// ends the handler there.
class CommandSender
{
public:
    CommandSender(WindowState &state, Traffic &traffic, SenderTimers timers);

    bool click(const commands::OneShot &button);
    // "SEND": the typed text goes out unaltered behind the prefix.
    bool sendManual(const QString &typed);

private:
    bool send(const QString &code);
    void setIntervalPair(int replyWindow);

    WindowState &m_state;
    Traffic &m_traffic;
    SenderTimers m_timers;
};
