// SPDX-License-Identifier: GPL-3.0-or-later
#include "remotesession.h"

#include "core/console.h"
#include "core/outcomewire.h"
#include "core/trafficlog.h"
#include "link/localendpoint.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTimer>

// The log follows a console's traffic; here that traffic is told by the console
// serving the line, and handed on in the same form, on port 1 as when this
// program holds the line itself.
struct RemoteSession::Relay
{
    Console console{[](int) { return std::unique_ptr<CommLine>(); }};
};

RemoteSession::RemoteSession(std::unique_ptr<LocalChannel> channel, QString line, QString settings,
                             QString addressPrefix, QObject *parent)
    : QObject(parent), m_channel(std::move(channel)), m_line(std::move(line)),
      m_settings(std::move(settings)), m_addressPrefix(std::move(addressPrefix))
{
    connect(m_channel.get(), &LocalChannel::lineReceived, this, &RemoteSession::receive);
    connect(m_channel.get(), &LocalChannel::closed, &m_loop, &QEventLoop::quit);
}

RemoteSession::~RemoteSession() = default;

void RemoteSession::follow(TrafficLog &log)
{
    m_relay = std::make_unique<Relay>();
    log.follow(m_relay->console);
}

RemoteSession::Result RemoteSession::run(const Job &job)
{
    QElapsedTimer clock;
    clock.start();
    QJsonObject request{{QStringLiteral("id"), ++m_id},
                        {QStringLiteral("settings"), m_settings},
                        {QStringLiteral("address"), m_addressPrefix},
                        {QStringLiteral("log"), bool(m_relay)}};
    if (job.hold) {
        request.insert(QStringLiteral("hold"), QLatin1String(job.hold->name));
        request.insert(QStringLiteral("ms"), job.holdMs);
    } else if (job.oneShot) {
        request.insert(QStringLiteral("command"), job.oneShot->name);
    } else {
        request.insert(QStringLiteral("text"), job.manual);
    }
    m_result.reset();
    m_channel->send(QJsonDocument(request).toJson(QJsonDocument::Compact));
    // A console that stopped answering must not hold a schedule for ever.
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    deadline.start(kPatienceMs + job.holdMs);
    if (m_channel->isOpen())
        m_loop.exec();
    Result result;
    result.outcome.milliseconds = clock.elapsed();
    // The console's time counts from when the command went out on its line.
    if (m_result) {
        result = *m_result;
    } else if (m_channel->isOpen()) {
        result.outcome.result = Outcome::Result::LineFailed;
        result.outcome.failure
            = QStringLiteral("the console serving %1 did not end the command within %2 s")
                  .arg(m_line)
                  .arg((kPatienceMs + job.holdMs) / 1000);
    } else {
        result.outcome.result = Outcome::Result::LineFailed;
        result.outcome.failure
            = QStringLiteral("the console serving %1 went away during the command; whether "
                             "the projector got it is not known")
                  .arg(m_line);
    }
    result.outcome.name = job.command;
    return result;
}

void RemoteSession::receive(const QByteArray &line)
{
    const QJsonObject message = QJsonDocument::fromJson(line).object();
    // 0: a refusal of the connection itself.
    const qint64 id = message.value(QStringLiteral("id")).toInteger();
    if (id != m_id && id != 0)
        return;
    if (m_relay) {
        Console &relay = m_relay->console;
        if (message.contains(QStringLiteral("tx")))
            emit relay.transmitted(message.value(QStringLiteral("tx")).toString(), m_id);
        if (message.contains(QStringLiteral("rx")))
            emit relay.arrived(message.value(QStringLiteral("rx")).toString());
    }
    if (message.contains(QStringLiteral("outcome"))) {
        const wire::ClientOutcome outcome
            = wire::fromJson(message.value(QStringLiteral("outcome")).toObject());
        m_result = Result{outcome.outcome, outcome.value};
        m_loop.quit();
    }
}
