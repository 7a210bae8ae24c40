// SPDX-License-Identifier: GPL-3.0-or-later
#include "servedlink.h"

#include "core/outcomewire.h"
#include "link/localendpoint.h"

#include <QJsonDocument>

namespace watch {

ServedLink::ServedLink(std::unique_ptr<LocalChannel> channel, QString device, QString settings,
                       QObject *parent)
    : StatusLink(parent), m_channel(std::move(channel)), m_device(std::move(device)),
      m_settings(std::move(settings))
{
    m_patience.setSingleShot(true);
    m_patience.setInterval(kPatienceMs);
    // Told before the channel is closed, whose end would tell another reason.
    connect(&m_patience, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("the console serving %1 did not end a query within %2 s")
                 .arg(m_device)
                 .arg(m_patience.interval() / 1000.0));
        m_channel->close();
    });
    connect(m_channel.get(), &LocalChannel::lineReceived, this, &ServedLink::receive);
    connect(m_channel.get(), &LocalChannel::closed, this, [this] { fail(gone()); });
}

ServedLink::~ServedLink() = default;

QString ServedLink::gone() const
{
    return QStringLiteral("the console serving %1 went away").arg(m_device);
}

bool ServedLink::open(QString *error)
{
    if (!isOpen() && error)
        *error = gone();
    return isOpen();
}

bool ServedLink::isOpen() const
{
    return m_channel->isOpen();
}

void ServedLink::ask(int address, Query query)
{
    m_asking = true;
    const QJsonObject request{{QStringLiteral("v"), wire::kVersion},
                              {QStringLiteral("id"), ++m_id},
                              {QStringLiteral("settings"), m_settings},
                              {QStringLiteral("address"), addressPrefix(address)},
                              {QStringLiteral("command"), buttonFor(query)},
                              {QStringLiteral("log"), true}, // its "tx" starts the patience
                              {QStringLiteral("background"), true}};
    m_channel->send(QJsonDocument(request).toJson(QJsonDocument::Compact));
    if (!isOpen())
        fail(gone());
}

void ServedLink::receive(const QByteArray &line)
{
    const QJsonObject message = QJsonDocument::fromJson(line).object();
    // 0: a refusal of the connection itself.
    const qint64 id = message.value(QStringLiteral("id")).toInteger(-1);
    if (!m_asking || (id != m_id && id != 0))
        return;
    if (message.value(QStringLiteral("v")).toInt() != wire::kVersion) {
        fail(QStringLiteral("the console serving %1 speaks another version of its protocol")
                 .arg(m_device));
        return;
    }
    if (message.contains(QStringLiteral("tx")) && !m_patience.isActive())
        m_patience.start();
    if (!message.contains(QStringLiteral("outcome")))
        return;
    m_patience.stop();
    m_asking = false;
    wire::ClientOutcome client
        = wire::fromJson(message.value(QStringLiteral("outcome")).toObject());
    client.outcome.value = status::fromJson(client.value);
    emit answered(LinkAnswer::of(client.outcome));
}

void ServedLink::fail(const QString &description)
{
    m_patience.stop();
    if (!std::exchange(m_asking, false))
        return;
    LinkAnswer answer;
    answer.lineFailed = true;
    answer.failure = description;
    emit answered(answer);
}

} // namespace watch
