// SPDX-License-Identifier: GPL-3.0-or-later
#include "servedlink.h"

#include "core/lineclient.h"
#include "link/localendpoint.h"

namespace watch {

ServedLink::ServedLink(std::unique_ptr<LocalChannel> channel, QString device, QString settings,
                       QObject *parent)
    : StatusLink(parent),
      m_client(std::make_unique<LineClient>(std::move(channel), device, std::move(settings))),
      m_device(std::move(device))
{
    // Its "transmitted" starts the patience.
    m_client->setTrafficTold(true);
    m_patience.setSingleShot(true);
    m_patience.setInterval(kPatienceMs);
    // Told before the client is closed, whose end would tell another reason.
    connect(&m_patience, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("the console serving %1 did not end a query within %2 s")
                 .arg(m_device)
                 .arg(m_patience.interval() / 1000.0));
        m_client->close();
    });
    connect(m_client.get(), &LineClient::transmitted, this,
            [this](const QString &, quint64 intent) {
                if (m_asking && intent == m_asked && !m_patience.isActive())
                    m_patience.start();
            });
    connect(m_client.get(), &LineClient::outcome, this, [this](const Outcome &outcome) {
        if (!m_asking || outcome.intent != m_asked)
            return;
        m_patience.stop();
        m_asking = false;
        emit answered(LinkAnswer::of(outcome));
    });
    connect(m_client.get(), &LineClient::gone, this, [this](const QString &why) { fail(why); });
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
    return m_client->isOpen();
}

void ServedLink::ask(int address, Query query)
{
    m_asking = true;
    if (!isOpen()) {
        fail(gone());
        return;
    }
    m_asked = m_client->send(buttonFor(query), {addressPrefix(address), true});
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
