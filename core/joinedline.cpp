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
    m_settings = settingsText(settings);
    join(std::move(m_channel));
    m_open = true;
    m_unsent.clear();
    m_received.clear();
    return true;
}

void JoinedLine::join(std::unique_ptr<LocalChannel> channel)
{
    m_client = std::make_unique<LineClient>(std::move(channel), m_device, m_settings);
    m_client->setTrafficTold(true);
    m_waiting = 0;
    m_joined.start();
    connect(m_client.get(), &LineClient::arrived, this, [this](const QString &characters) {
        m_received += characters.toLatin1();
        emit readyRead();
    });
    // A command the holder refused (another speed, too many waiting) is told;
    // the line stays the holder's and open. Those cut short by the end of the
    // connection stay counted, for gone() to tell.
    connect(m_client.get(), &LineClient::outcome, this, [this](const Outcome &outcome) {
        if (!m_client->isOpen())
            return;
        --m_waiting;
        if (m_open && outcome.result == Outcome::Result::LineFailed)
            emit warning(QStringLiteral("%1 did not send %2: %3")
                             .arg(m_holder, outcome.name, outcome.failure));
    });
    connect(m_client.get(), &LineClient::gone, this, &JoinedLine::gone);
}

// A holder lets a connection go that asked nothing for long: the same holder,
// still serving, is joined again at once. Any other end of the connection
// loses the line.
void JoinedLine::gone(const QString &why)
{
    if (!m_open)
        return;
    if (m_waiting == 0 && m_joined.elapsed() >= kRejoinAfterMs) {
        LocalChannel::Reached reached = LocalChannel::reach(m_device);
        if (reached.reach == LocalChannel::Reach::Served && reached.channel->peer() == m_holder) {
            // It is telling of its end right now.
            m_client->disconnect(this);
            m_client.release()->deleteLater();
            join(std::move(reached.channel));
            return;
        }
    }
    m_open = false;
    m_error = why;
    emit lost(m_waiting == 0
                  ? QStringLiteral("%1 no longer serves %2").arg(m_holder, m_device)
                  : QStringLiteral("%1 stopped serving %2: %3").arg(m_holder, m_device, why));
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
    m_settings = settingsText(settings);
    m_client->setSettings(m_settings);
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
        ++m_waiting;
    }
    return true;
}

QByteArray JoinedLine::readAll()
{
    return std::exchange(m_received, {});
}
