// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/clock.h"

#include <QList>
#include <algorithm>

// A clock the test moves on by hand. Every timer due on the way times out at
// its own moment, in the order of the moments.
class ManualClock final : public Clock
{
public:
    qint64 nowMs() const override { return m_now; }

    void advance(qint64 ms) { advanceTo(m_now + ms); }
    void advanceTo(qint64 end)
    {
        while (ConsoleTimer *due = next(end)) {
            m_now = due->deadline();
            due->fire();
        }
        m_now = std::max(m_now, end);
    }

protected:
    bool firesTimers() const override { return true; }
    void add(ConsoleTimer *timer) override { m_timers.append(timer); }
    void remove(ConsoleTimer *timer) override { m_timers.removeOne(timer); }

private:
    ConsoleTimer *next(qint64 end) const
    {
        ConsoleTimer *first = nullptr;
        for (ConsoleTimer *timer : m_timers) {
            if (timer->isActive() && timer->deadline() <= end
                && (!first || timer->deadline() < first->deadline()))
                first = timer;
        }
        return first;
    }

    qint64 m_now = 0;
    QList<ConsoleTimer *> m_timers;
};
