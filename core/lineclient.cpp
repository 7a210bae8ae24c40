// SPDX-License-Identifier: GPL-3.0-or-later
#include "lineclient.h"

#include "link/localendpoint.h"

LineClient::LineClient(std::unique_ptr<LocalChannel> channel, QString device, QString settings,
                       QObject *parent)
    : QObject(parent), m_channel(std::move(channel)), m_device(std::move(device)),
      m_settings(std::move(settings))
{
    connect(m_channel.get(), &LocalChannel::lineReceived, this, &LineClient::receive);
    connect(m_channel.get(), &LocalChannel::closed, this, [this] {
        failAll(QStringLiteral("the console serving %1 went away during the command; whether "
                               "the projector got it is not known")
                    .arg(m_device));
    });
}

LineClient::~LineClient()
{
    m_channel->disconnect(this);
}

bool LineClient::isOpen() const
{
    return m_channel->isOpen();
}

void LineClient::close()
{
    m_channel->close();
}

quint64 LineClient::send(const QString &id, const For &asked)
{
    lineprotocol::Request request;
    request.name = id;
    request.address = asked.address;
    request.background = asked.background;
    return ask(request);
}

quint64 LineClient::hold(const QString &id, int ms, const For &asked)
{
    lineprotocol::Request request;
    request.kind = lineprotocol::Request::Kind::Hold;
    request.name = id;
    request.ms = ms;
    request.address = asked.address;
    request.background = asked.background;
    return ask(request);
}

quint64 LineClient::sendText(const QString &text, const For &asked)
{
    lineprotocol::Request request;
    request.kind = lineprotocol::Request::Kind::Text;
    request.text = text;
    request.address = asked.address;
    request.background = asked.background;
    return ask(request);
}

quint64 LineClient::ask(lineprotocol::Request request)
{
    request.id = ++m_lastId;
    request.settings = m_settings;
    request.log = m_traffic;
    const quint64 intent = quint64(request.id);
    m_open.insert(request.id,
                  request.kind == lineprotocol::Request::Kind::Text ? request.text : request.name);
    if (!isOpen()) {
        fail(intent, QStringLiteral("the console serving %1 went away").arg(m_device));
        return 0;
    }
    m_channel->send(lineprotocol::encode(request));
    return intent;
}

void LineClient::receive(const QByteArray &line)
{
    QString why;
    const std::optional<lineprotocol::Message> message = lineprotocol::decodeMessage(line, &why);
    if (!message) {
        failAll(QStringLiteral("the console serving %1 sent %2").arg(m_device, why));
        m_channel->close();
        return;
    }
    // 0: a refusal of the connection itself, which ends every intent.
    if (message->id == 0) {
        failAll(message->outcome.failure);
        return;
    }
    const quint64 intent = quint64(message->id);
    if (!m_open.contains(message->id))
        return;
    switch (message->kind) {
    case lineprotocol::Message::Kind::Transmitted:
        emit transmitted(message->text, intent);
        break;
    case lineprotocol::Message::Kind::Arrived:
        emit arrived(message->text);
        break;
    case lineprotocol::Message::Kind::Outcome: {
        Outcome ended = message->outcome;
        ended.intent = intent;
        m_open.remove(message->id);
        emit outcome(ended);
        break;
    }
    }
}

void LineClient::fail(quint64 intent, const QString &why)
{
    Outcome failed;
    failed.intent = intent;
    failed.name = m_open.take(qint64(intent));
    failed.result = Outcome::Result::LineFailed;
    failed.failure = why;
    emit outcome(failed);
}

void LineClient::failAll(const QString &why)
{
    const QList<qint64> open = m_open.keys();
    for (const qint64 id : open)
        fail(quint64(id), why);
    if (!std::exchange(m_goneTold, true))
        emit gone(why);
}
