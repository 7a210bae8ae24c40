// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/console.h"
#include "core/traffic.h"

// The console's variables, serial component and timers as they stand: what a
// test looks at, and no front end may touch.
class ConsoleProbe
{
public:
    explicit ConsoleProbe(Console &console) : m_console(console) {}

    WindowState &state() { return m_console.state(); }
    MSComm &comm() { return m_console.comm(); }
    Traffic &traffic() { return m_console.traffic(); }
    ConsoleTimer &timer(int n) { return m_console.timer(n); }

private:
    Console &m_console;
};

inline ConsoleProbe probe(Console &console)
{
    return ConsoleProbe(console);
}
