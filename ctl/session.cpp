// SPDX-License-Identifier: GPL-3.0-or-later
#include "session.h"

#include "core/console.h"

#include <QElapsedTimer>
#include <QTimer>

Session::Session(Console &console, QObject *parent) : QObject(parent), m_console(console)
{
    m_console.setPacing(Console::Pacing::WhenSettled);
    // An intent's outcome may come before its number is returned.
    connect(&m_console, &Console::outcome, this,
            [this](const Outcome &outcome) { m_outcomes.insert(outcome.intent, outcome); });
    connect(&m_console, &Console::becameSettled, &m_loop, &QEventLoop::quit);
    connect(&m_console, &Console::lineLost, &m_loop, &QEventLoop::quit);
    // A connection that could not be made.
    connect(&m_console, &Console::warning, &m_loop, &QEventLoop::quit);
}

Outcome Session::run(const Job &job)
{
    quint64 intent = 0;
    if (job.hold)
        intent = m_console.hold(QLatin1String(job.hold->name), job.holdMs);
    else if (job.oneShot)
        intent = m_console.send(job.oneShot->name);
    else
        intent = m_console.sendText(job.manual);
    if (!m_console.settled())
        m_loop.exec();
    // Its time is the console's, counted from when the command went out on the line.
    Outcome outcome = m_outcomes.take(intent);
    m_outcomes.clear();
    outcome.name = job.command;
    return outcome;
}

void Session::drain()
{
    QElapsedTimer clock;
    clock.start();
    while (m_console.port().portOpen() && m_console.port().outBufferCount() > 0
           && clock.elapsed() < 5000) {
        QEventLoop pause;
        QTimer::singleShot(5, &pause, &QEventLoop::quit);
        pause.exec();
    }
}
