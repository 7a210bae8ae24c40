// SPDX-License-Identifier: GPL-3.0-or-later
#include "joinedline.h"

#include "lineclient.h"
#include "link/localendpoint.h"

#include <QRegularExpression>

JoinedLine::JoinedLine(std::unique_ptr<LocalChannel> channel, QString device, QObject *parent)
    : CommLine(parent), m_channel(std::move(channel)), m_device(std::move(device)),
      m_holder(m_channel->peer())
{}

JoinedLine::~JoinedLine() = default;

QString JoinedLine::settingsText(const SerialSettings &settings)
{
    static constexpr char kParity[] = {'N', 'E', 'O', 'M', 'S'};
    const QString stop = settings.stopBits == SerialSettings::StopBits::One          ? "1"
                         : settings.stopBits == SerialSettings::StopBits::OneAndHalf ? "1.5"
                                                                                     : "2";
    return QStringLiteral("%1,%2,%3,%4")
        .arg(settings.baudRate)
        .arg(QLatin1Char(kParity[int(settings.parity)]))
        .arg(settings.dataBits)
        .arg(stop);
}

// The connection reached is used once: a line closed and opened again is
// reached anew, and so made anew.
bool JoinedLine::open(const SerialSettings &settings)
{
    if (!m_channel || !m_channel->isOpen()) {
        m_error = QStringLiteral("the connection to %1, which holds %2, has ended")
                      .arg(m_holder, m_device);
        return false;
    }
    m_client = std::make_unique<LineClient>(std::move(m_channel), m_device,
                                            settingsText(settings));
    m_client->setTrafficTold(true);
    connectClient();
    m_open = true;
    m_unsent.clear();
    m_received.clear();
    return true;
}

void JoinedLine::connectClient()
{
    connect(m_client.get(), &LineClient::arrived, this, [this](const QString &characters) {
        m_received += characters.toLatin1();
        emit readyRead();
    });
    // A command the holder refused (another speed, too many waiting) is told;
    // the line stays the holder's and open.
    connect(m_client.get(), &LineClient::outcome, this, [this](const Outcome &outcome) {
        if (m_open && outcome.result == Outcome::Result::LineFailed && m_client->isOpen())
            emit warning(QStringLiteral("%1 did not send %2: %3")
                             .arg(m_holder, outcome.name, outcome.failure));
    });
    connect(m_client.get(), &LineClient::gone, this, [this](const QString &why) {
        if (!std::exchange(m_open, false))
            return;
        m_error = why;
        emit lost(QStringLiteral("%1, which held %2, let it go: %3").arg(m_holder, m_device, why));
    });
}

void JoinedLine::close()
{
    if (!std::exchange(m_open, false))
        return;
    m_client->close();
}

bool JoinedLine::isOpen() const
{
    return m_open;
}

// The holder holds the line at its own settings; those asked travel with each
// command, which the holder refuses at others.
bool JoinedLine::applySettings(const SerialSettings &settings)
{
    if (!m_open) {
        m_error = QStringLiteral("the port is not open");
        return false;
    }
    m_client->setSettings(settingsText(settings));
    return true;
}

// Each command text, up to its CR, is one of the holder's commands: the
// address prefix says for which projector, the rest is sent behind it.
bool JoinedLine::write(const QByteArray &bytes)
{
    if (!m_open || !m_client->isOpen()) {
        m_error = QStringLiteral("the connection to %1, which holds %2, has ended")
                      .arg(m_holder, m_device);
        return false;
    }
    static const QRegularExpression prefix(QStringLiteral("^A(?:FFF|00[1-4])"));
    m_unsent += bytes;
    qsizetype end;
    while ((end = m_unsent.indexOf('\r')) >= 0) {
        QString text = QString::fromLatin1(m_unsent.left(end));
        m_unsent.remove(0, end + 1);
        LineClient::For asked;
        if (const auto match = prefix.match(text); match.hasMatch()) {
            asked.address = match.captured();
            text.remove(0, asked.address.size());
        }
        m_client->sendText(text, asked);
    }
    return true;
}

QByteArray JoinedLine::readAll()
{
    return std::exchange(m_received, {});
}
