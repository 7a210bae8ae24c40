// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock.h"

#include <QElapsedTimer>

namespace {

class SteadyClock final : public Clock
{
public:
    SteadyClock() { m_started.start(); }
    qint64 nowMs() const override { return m_started.elapsed(); }

private:
    QElapsedTimer m_started;
};

} // namespace

Clock &Clock::steady()
{
    static SteadyClock clock;
    return clock;
}

ConsoleTimer::ConsoleTimer(Clock &clock, QObject *parent) : QObject(parent), m_clock(clock)
{
    if (m_clock.firesTimers()) {
        m_clock.add(this);
        return;
    }
    // Precise: the coarse default drifts a 500 ms interval by 5 %.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ConsoleTimer::timeout);
}

ConsoleTimer::~ConsoleTimer()
{
    if (m_clock.firesTimers())
        m_clock.remove(this);
}

void ConsoleTimer::setInterval(int ms)
{
    m_interval = ms;
    if (!m_clock.firesTimers())
        m_timer.setInterval(ms);
    else if (m_active)
        m_deadline = m_clock.nowMs() + ms;
}

void ConsoleTimer::setSingleShot(bool singleShot)
{
    m_singleShot = singleShot;
    m_timer.setSingleShot(singleShot);
}

bool ConsoleTimer::isActive() const
{
    return m_clock.firesTimers() ? m_active : m_timer.isActive();
}

void ConsoleTimer::start()
{
    if (!m_clock.firesTimers()) {
        m_timer.start(m_interval);
        return;
    }
    m_active = true;
    m_deadline = m_clock.nowMs() + m_interval;
}

void ConsoleTimer::start(int ms)
{
    m_interval = ms;
    start();
}

void ConsoleTimer::stop()
{
    m_active = false;
    m_timer.stop();
}

void ConsoleTimer::fire()
{
    if (!m_active)
        return;
    if (m_singleShot)
        m_active = false;
    else
        m_deadline += qMax(m_interval, 1);
    emit timeout();
}
