// SPDX-License-Identifier: GPL-3.0-or-later
#include "remotesession.h"

#include "core/lineclient.h"
#include "core/trafficlog.h"
#include "link/localendpoint.h"

#include <QElapsedTimer>
#include <QTimer>

RemoteSession::RemoteSession(std::unique_ptr<LocalChannel> channel, QString line, QString settings,
                             QString addressPrefix, QObject *parent)
    : QObject(parent),
      m_client(std::make_unique<LineClient>(std::move(channel), line, std::move(settings))),
      m_line(std::move(line)), m_addressPrefix(std::move(addressPrefix))
{
    connect(m_client.get(), &LineClient::outcome, this, [this](const Outcome &outcome) {
        if (outcome.intent != m_intent && m_intent != 0)
            return;
        m_outcome = outcome;
        m_loop.quit();
    });
}

RemoteSession::~RemoteSession() = default;

void RemoteSession::follow(TrafficLog &log)
{
    m_client->setTrafficTold(true);
    log.follow(*m_client);
}

RemoteSession::Result RemoteSession::run(const Job &job)
{
    QElapsedTimer clock;
    clock.start();
    m_outcome.reset();
    m_intent = 0;
    const LineClient::For asked{m_addressPrefix};
    if (job.hold)
        m_intent = m_client->hold(QLatin1String(job.hold->name), job.holdMs, asked);
    else if (job.oneShot)
        m_intent = m_client->send(job.oneShot->name, asked);
    else
        m_intent = m_client->sendText(job.manual, asked);
    // A console that stopped answering must not hold a schedule for ever.
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    deadline.start(kPatienceMs + job.holdMs);
    if (!m_outcome)
        m_loop.exec();
    Result result;
    // The console's time counts from when the command went out on its line.
    if (m_outcome) {
        result.outcome = *m_outcome;
    } else {
        result.outcome.milliseconds = clock.elapsed();
        result.outcome.result = Outcome::Result::LineFailed;
        result.outcome.failure
            = QStringLiteral("the console serving %1 did not end the command within %2 s")
                  .arg(m_line)
                  .arg((kPatienceMs + job.holdMs) / 1000);
    }
    result.outcome.name = job.command;
    return result;
}
