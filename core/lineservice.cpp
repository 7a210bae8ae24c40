// SPDX-License-Identifier: GPL-3.0-or-later
#include "lineservice.h"

#include "console.h"
#include "link/localendpoint.h"

#include <unistd.h>

LineService::LineService(Console &console, std::function<QString(int)> deviceOf, QObject *parent)
    : QObject(parent), m_console(console), m_deviceOf(std::move(deviceOf)),
      m_endpoint(std::make_unique<LocalEndpoint>()), m_scheduler(Clock::steady())
{
    connect(m_endpoint.get(), &LocalEndpoint::arrived, this, &LineService::arrived);
    connect(&m_console, &Console::outcome, this, &LineService::ended);
    connect(&m_console, &Console::becameSettled, this, &LineService::scheduleDispatch);
    connect(&m_console, &Console::lineLost, this, &LineService::refresh, Qt::QueuedConnection);
    connect(&m_console, &Console::holdEnded, this, [this](quint64 intent) {
        if (m_inFlight && intent == m_inFlight->intent)
            holdReleased();
    });
    connect(&m_console, &Console::transmitted, this, [this](const QString &text, quint64 intent) {
        if (!m_inFlight)
            return;
        // The operator's own command while a client holds a button.
        if (intent != m_inFlight->intent) {
            if (intent != 0)
                m_scheduler.operatorSent();
            return;
        }
        m_inFlight->sentAny = true;
        event(lineprotocol::Message::Kind::Transmitted, text);
    });
    connect(&m_console, &Console::arrived, this, [this](const QString &characters) {
        event(lineprotocol::Message::Kind::Arrived, characters);
    });
    connect(&m_scheduler, &LineScheduler::turnOver, this, &LineService::cutHold);
    // Port switches and the end are the window's; the served line follows them.
    m_poll.setInterval(250);
    connect(&m_poll, &QTimer::timeout, this, &LineService::refresh);
    m_poll.start();
}

LineService::~LineService()
{
    m_poll.stop();
    stopServing(QStringLiteral("the console ended"));
}

QString LineService::endpoint() const
{
    return m_endpoint->path();
}

void LineService::setLimits(const Limits &limits)
{
    m_limits = limits;
    m_scheduler.setHoldTurn(limits.holdTurnMs);
}

QString LineService::senderOf(quint64 intent) const
{
    if (!m_inFlight || intent != m_inFlight->intent)
        return {};
    const LocalChannel *client = m_inFlight->request.client;
    return client ? client->peer() : QStringLiteral("a client gone");
}

void LineService::refresh()
{
    const MSComm &comm = m_console.port();
    const QString device = comm.portOpen() ? m_deviceOf(comm.commPort()) : QString();
    if (device == m_served) {
        // Commands waiting go as soon as the line allows, whatever told it.
        if (!m_scheduler.isEmpty())
            scheduleDispatch();
        return;
    }
    stopServing(comm.portOpen()
                    ? QStringLiteral("the console switched from %1 to %2").arg(m_served, device)
                    : QStringLiteral("the console closed %1").arg(m_served));
    if (device.isEmpty())
        return;
    m_served = device;
    if (!m_endpoint->listen(device))
        emit problem(QStringLiteral("%1 is not served to other programs: %2")
                         .arg(device, m_endpoint->errorString()));
}

void LineService::stopServing(const QString &why)
{
    const QString failure = QStringLiteral("%1 while the command waited").arg(why);
    for (const LineScheduler::Entry &waiting : m_scheduler.takeAll())
        refuse(qobject_cast<LocalChannel *>(waiting.client), waiting.request.id, failure);
    if (m_inFlight) {
        const Request request = m_inFlight->request;
        m_inFlight.reset();
        m_scheduler.finished();
        refuse(request.client, request.body.id, QStringLiteral("%1 during the command").arg(why));
    }
    const QList<LocalChannel *> clients = m_clients.keys();
    m_clients.clear();
    for (LocalChannel *client : clients) {
        client->disconnect(this);
        client->deleteLater();
    }
    m_endpoint->close();
    m_served.clear();
}

void LineService::arrived(LocalChannel *channel)
{
    channel->setParent(this);
    if (const QString refusal = admission(channel); !refusal.isEmpty()) {
        refuse(channel, 0, refusal);
        channel->deleteLater();
        return;
    }
    Client &client = m_clients[channel];
    client.uid = channel->peerCredentials().uid;
    client.idle = new QTimer(channel);
    client.idle->setSingleShot(true);
    client.idle->setInterval(m_limits.idleMs);
    client.idle->start();
    connect(client.idle, &QTimer::timeout, this, [this, channel] { idled(channel); });
    connect(channel, &LocalChannel::lineReceived, this,
            [this, channel](const QByteArray &line) { receive(channel, line); });
    connect(channel, &LocalChannel::closed, this, [this, channel] { gone(channel); });
}

// Who may use the device may use the served line; one user cannot take every
// connection, and the console's own user and root always find one.
QString LineService::admission(const LocalChannel *channel) const
{
    const LocalPeer &peer = channel->peerCredentials();
    if (!mayUseLine(peer, m_served))
        return QStringLiteral("refused: uid %1 may not use %2").arg(peer.uid).arg(m_served);
    const bool operatorOwn = peer.uid == 0 || peer.uid == ::geteuid();
    int same = 0, others = 0;
    for (const Client &client : m_clients) {
        same += client.uid == peer.uid;
        others += client.uid != 0 && client.uid != ::geteuid();
    }
    if (same >= m_limits.perUser)
        return QStringLiteral("refused: uid %1 has %2 connections to the console already; try "
                              "again later")
            .arg(peer.uid)
            .arg(m_limits.perUser);
    if (!operatorOwn && others >= m_limits.clients)
        return QStringLiteral("refused: the console serves %1 clients already; try again later")
            .arg(m_limits.clients);
    return {};
}

// A client that asked nothing for a while and has nothing under way is let go.
void LineService::idled(LocalChannel *channel)
{
    const auto it = m_clients.find(channel);
    if (it == m_clients.end())
        return;
    const bool busy
        = m_scheduler.waiting(channel) > 0 || (m_inFlight && m_inFlight->request.client == channel);
    if (busy) {
        it->idle->start();
        return;
    }
    refuse(channel, 0, QStringLiteral("closed: no request for %1 s").arg(m_limits.idleMs / 1000.0));
    channel->close();
}

// A client that stops reading is dropped before what it leaves unread grows.
void LineService::send(LocalChannel *channel, const QByteArray &message)
{
    channel->send(message);
    if (channel->bytesHeld() <= m_limits.heldBytes || !channel->isOpen())
        return;
    emit problem(QStringLiteral("dropped %1 from %2: it left %3 bytes of replies unread")
                     .arg(channel->peer(), m_served)
                     .arg(channel->bytesHeld()));
    channel->close();
}

void LineService::refuse(LocalChannel *channel, qint64 id, const QString &why)
{
    if (!channel)
        return;
    Outcome refused;
    refused.result = Outcome::Result::LineFailed;
    refused.failure = why;
    send(channel, lineprotocol::encodeOutcome(id, refused));
}

QString LineService::check(const lineprotocol::Request &body) const
{
    if (!body.settings.isEmpty() && body.settings != m_console.port().settings())
        return QStringLiteral("the console holds %1 at %2, not at %3")
            .arg(m_served, m_console.port().settings(), body.settings);
    switch (body.kind) {
    case lineprotocol::Request::Kind::Command:
        if (!commands::findOneShot(body.name))
            return QStringLiteral("no such command");
        break;
    case lineprotocol::Request::Kind::Hold:
        if (!commands::findHold(body.name))
            return QStringLiteral("no such repeating command, or no time to hold it");
        break;
    case lineprotocol::Request::Kind::Text:
        break;
    }
    return QString();
}

void LineService::receive(LocalChannel *channel, const QByteArray &line)
{
    QString why;
    qint64 id = 0;
    const std::optional<lineprotocol::Request> body = lineprotocol::decodeRequest(line, &why, &id);
    if (!body && id == 0) {
        // Not even a request of this protocol: the connection ends.
        refuse(channel, 0, QStringLiteral("the console cannot read the request: %1").arg(why));
        channel->close();
        return;
    }
    if (const auto it = m_clients.find(channel); it != m_clients.end())
        it->idle->start();
    if (!body) {
        refuse(channel, id, why);
        return;
    }
    if (const QString wrong = check(*body); !wrong.isEmpty()) {
        refuse(channel, id, wrong);
        return;
    }
    if (!m_scheduler.add(channel, *body)) {
        refuse(channel, id,
               QStringLiteral("refused: %1 commands of this client wait already for %2")
                   .arg(kQueueLimit)
                   .arg(m_served));
        return;
    }
    scheduleDispatch();
}

// The line is left in order: a command under way runs to its end (its reply
// is taken as the console takes any), a hold is released, the rest is dropped.
void LineService::gone(LocalChannel *channel)
{
    m_clients.remove(channel);
    m_scheduler.remove(channel);
    if (m_inFlight && m_inFlight->request.client == channel) {
        m_inFlight->request.client = nullptr;
        if (m_inFlight->hold && !m_inFlight->released)
            m_console.endHold(m_inFlight->intent);
    }
    channel->deleteLater();
}

void LineService::event(lineprotocol::Message::Kind kind, const QString &text)
{
    if (!m_inFlight || !m_inFlight->request.body.log || !m_inFlight->request.client)
        return;
    send(m_inFlight->request.client,
         lineprotocol::encodeTraffic(m_inFlight->request.body.id, kind, text));
}

// From the console's own signals, which may come in the middle of its work.
void LineService::scheduleDispatch()
{
    if (std::exchange(m_dispatchDue, true))
        return;
    QMetaObject::invokeMethod(this, &LineService::dispatch, Qt::QueuedConnection);
}

void LineService::dispatch()
{
    m_dispatchDue = false;
    finishIfDone();
    if (m_inFlight)
        return;
    // With nothing of a client's under way, a held button is the operator's.
    const LineScheduler::Line line{m_console.settled() && m_console.port().portOpen(),
                                   m_console.repeating()};
    const std::optional<LineScheduler::Entry> next = m_scheduler.next(line);
    if (next)
        start({qobject_cast<LocalChannel *>(next->client), next->request});
}

void LineService::start(Request request)
{
    const lineprotocol::Request &body = request.body;
    m_inFlight = InFlight{};
    InFlight &flight = *m_inFlight;
    flight.request = request;
    flight.hold = body.kind == lineprotocol::Request::Kind::Hold;
    const Console::For asked{body.address, body.background};
    // Its outcomes may come before the call returns.
    flight.intent = m_console.nextIntent();
    quint64 intent = 0;
    if (flight.hold)
        intent = m_console.hold(body.name, body.ms, asked);
    else if (body.kind == lineprotocol::Request::Kind::Command)
        intent = m_console.send(body.name, asked);
    else
        intent = m_console.sendText(body.text, asked);
    if (!m_inFlight) // ended by now
        return;
    Q_ASSERT(intent == m_inFlight->intent);
    m_inFlight->calling = false;
    finishIfDone();
}

// Its turn is over: the hold ends as its time would end it.
void LineService::cutHold()
{
    if (m_inFlight && m_inFlight->hold && !m_inFlight->released)
        m_console.endHold(m_inFlight->intent);
}

void LineService::ended(const Outcome &outcome)
{
    if (!m_inFlight || outcome.intent != m_inFlight->intent)
        return;
    ++m_inFlight->ended;
    m_inFlight->latest = outcome;
    finishIfDone();
}

void LineService::holdReleased()
{
    if (!m_inFlight || !m_inFlight->hold || m_inFlight->released)
        return;
    m_inFlight->released = true;
    finishIfDone();
}

// A single command is done at its outcome; a hold once released and the line
// has settled, its outcome being that of the last command it sent.
void LineService::finishIfDone()
{
    if (!m_inFlight || m_inFlight->calling)
        return;
    const InFlight &flight = *m_inFlight;
    const bool done = flight.hold ? flight.released && m_console.settled() : flight.ended > 0;
    if (!done)
        return;
    if (flight.hold && !flight.sentAny && flight.ended == 0) {
        m_inFlight->latest.result = Outcome::Result::LineFailed;
        m_inFlight->latest.failure = m_console.port().errorDescription();
    } else if (flight.hold && m_scheduler.cutShort()) {
        m_inFlight->latest.result = Outcome::Result::LineFailed;
        m_inFlight->latest.failure
            = QStringLiteral("the hold of %1 was cut short: others waited for %2, and a hold "
                             "lasts %3 s at most then")
                  .arg(QLatin1String(commands::findHold(flight.request.body.name)->readable),
                       m_served)
                  .arg(m_scheduler.holdTurn() / 1000.0);
    }
    const InFlight finished = std::move(*m_inFlight);
    m_inFlight.reset();
    m_scheduler.finished();
    if (finished.request.client)
        send(finished.request.client,
             lineprotocol::encodeOutcome(finished.request.body.id, finished.latest));
    scheduleDispatch();
}
