// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue.h"
#include "senders.h"

#include <optional>

class MSComm;

// The press-and-hold buttons: a press sends at once and starts Timer1, every
// tick sends the same command again, a release stops the repetition.
class PressAndHold
{
public:
    PressAndHold(WindowState &state, Traffic &traffic, const MSComm &comm, SenderTimers timers);

    // False when the port refused the first command: no repetition starts.
    bool press(const commands::Hold &button);
    void release(const commands::Hold &button);
    void Timer1_Timer();
    // The ticks of this hold go to `prefix`, whatever address is chosen
    // meanwhile (a client's hold); until the next press or release.
    void fixPrefix(const QString &prefix) { m_fixedPrefix = prefix; }

private:
    bool send(const char *code);
    void rememberSender();

    WindowState &m_state;
    Traffic &m_traffic;
    const MSComm &m_comm;
    SenderTimers m_timers;
    std::optional<QString> m_fixedPrefix;
    quint64 m_intent = 0; // of the press; its ticks are its commands
    QString m_name;
};
