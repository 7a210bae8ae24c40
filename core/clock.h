// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <QtGlobal>

class ConsoleTimer;

// Where the console's time comes from. The computer's monotonic clock runs its
// timers as Qt timers; a clock driven by hand (a test's) runs them itself, so
// that every tick and every window can be stepped through exactly.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual qint64 nowMs() const = 0;

    // The computer's monotonic clock.
    static Clock &steady();

protected:
    friend class ConsoleTimer;
    // True when this clock fires its timers itself (see ConsoleTimer::fire()).
    virtual bool firesTimers() const { return false; }
    virtual void add(ConsoleTimer *) {}
    virtual void remove(ConsoleTimer *) {}
};

// A timer of the console: a QTimer on the steady clock, a deadline that the
// clock fires otherwise. It offers what the console uses of QTimer, with its
// meaning: setInterval() restarts an active timer.
class ConsoleTimer : public QObject
{
    Q_OBJECT

public:
    explicit ConsoleTimer(Clock &clock, QObject *parent = nullptr);
    ~ConsoleTimer() override;

    void setInterval(int ms);
    // The interval from the next start(); a running timer keeps its deadline.
    void setNextInterval(int ms) { m_interval = ms; }
    int interval() const { return m_interval; }
    void setSingleShot(bool singleShot);
    bool isSingleShot() const { return m_singleShot; }
    bool isActive() const;
    void start();
    void start(int ms);
    void stop();

    // For a clock that fires its timers: when the next timeout is due.
    qint64 deadline() const { return m_deadline; }
    // The clock has reached deadline(): the timer ends (single shot) or
    // starts its next interval, then times out.
    void fire();

signals:
    void timeout();

private:
    Clock &m_clock;
    QTimer m_timer;
    int m_interval = 0;
    bool m_singleShot = false;
    bool m_active = false;
    qint64 m_deadline = 0;
};
