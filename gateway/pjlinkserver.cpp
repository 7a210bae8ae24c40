// SPDX-License-Identifier: GPL-3.0-or-later
#include "pjlinkserver.h"

#include "linedriver.h"
#include "link/tcpendpoint.h"
#include "pjlinkplan.h"

namespace gateway {

PjlinkSession::PjlinkSession(TcpChannel *channel, LineDriver &line, const ProjectorEntry &projector,
                             const std::optional<QByteArray> &password, Clock &clock,
                             QObject *parent)
    : QObject(parent), m_channel(channel), m_line(line), m_projector(projector),
      m_password(password), m_idle(clock)
{
    m_channel->setParent(nullptr);
    connect(m_channel.get(), &TcpChannel::lineReceived, this, &PjlinkSession::received);
    connect(m_channel.get(), &TcpChannel::closed, this, &PjlinkSession::end);
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleMs);
    connect(&m_idle, &ConsoleTimer::timeout, this, [this] { m_channel->close(); });
    m_idle.start();
    if (m_password)
        m_random = pjlink::randomChallenge();
    m_channel->send(pjlink::greeting(m_random));
}

PjlinkSession::~PjlinkSession() = default;

void PjlinkSession::received(const QByteArray &line)
{
    if (m_ended)
        return;
    m_idle.start();
    // In the order sent: behind those that came while an answer was owed.
    if (!m_waiting && m_ahead.empty()) {
        handle(line);
        return;
    }
    if (m_ahead.size() >= kAheadLimit) {
        m_channel->close();
        return;
    }
    m_ahead.push_back(line);
}

void PjlinkSession::handle(const QByteArray &line)
{
    if (line.isEmpty())
        return;
    const pjlink::Parsed parsed = pjlink::parseLine(line);
    if (m_random) {
        if (parsed.kind == pjlink::Parsed::Kind::Unreadable
            || !pjlink::digestMatches(parsed.digest, *m_random, *m_password)) {
            m_channel->send(pjlink::authenticationRefused());
            m_channel->close();
            m_ended = true;
            return;
        }
        m_random.reset();
    }
    switch (parsed.kind) {
    case pjlink::Parsed::Kind::Unreadable:
        m_channel->close();
        m_ended = true;
        return;
    case pjlink::Parsed::Kind::Garbled:
        answer(pjlink::answer(parsed.request, pjlink::Error::Undefined));
        return;
    case pjlink::Parsed::Kind::Request:
        break;
    }
    const pjlink::Request request = parsed.request;
    const pjlink::Plan plan = pjlink::plan(request, m_projector.profile);
    if (!plan.immediate.isEmpty()) {
        answer(plan.immediate);
        return;
    }
    m_waiting = true;
    m_line.submit(
        m_projector.address, plan.buttons, this, [this, request](const JobResult &result) {
            answer(result.busy ? pjlink::answer(request, pjlink::Error::Unavailable)
                               : pjlink::answerFrom(request, m_projector.profile, result.outcomes));
        });
}

void PjlinkSession::answer(const QByteArray &text)
{
    m_waiting = false;
    m_channel->send(text);
    m_idle.start();
    // The requests that came meanwhile, once this call has returned.
    if (!m_ahead.empty())
        QTimer::singleShot(0, this, [this] {
            while (!m_waiting && !m_ended && !m_ahead.empty()) {
                const QByteArray line = m_ahead.front();
                m_ahead.pop_front();
                handle(line);
            }
        });
}

void PjlinkSession::end()
{
    m_ended = true;
    m_idle.stop();
    if (!std::exchange(m_told, true))
        emit ended();
}

PjlinkServer::PjlinkServer(LineDriver &line, ProjectorEntry projector,
                           std::optional<QByteArray> password, int connectionLimit, Clock &clock,
                           QObject *parent)
    : QObject(parent), m_line(line), m_projector(std::move(projector)),
      m_password(std::move(password)), m_connectionLimit(connectionLimit), m_clock(clock),
      m_endpoint(std::make_unique<TcpEndpoint>(pjlink::kMaxLineLength))
{
    connect(m_endpoint.get(), &TcpEndpoint::arrived, this, [this](TcpChannel *channel) {
        if (m_sessions >= m_connectionLimit) {
            channel->close();
            connect(channel, &TcpChannel::closed, channel, &QObject::deleteLater);
            QTimer::singleShot(1000, channel, &QObject::deleteLater);
            return;
        }
        ++m_sessions;
        auto *session = new PjlinkSession(channel, m_line, m_projector, m_password, m_clock, this);
        connect(
            session, &PjlinkSession::ended, this,
            [this, session] {
                --m_sessions;
                session->deleteLater();
            },
            Qt::SingleShotConnection);
    });
}

PjlinkServer::~PjlinkServer() = default;

bool PjlinkServer::listen(QString *error)
{
    if (m_endpoint->listen(m_projector.listen, m_projector.port))
        return true;
    if (error)
        *error = m_endpoint->errorString();
    return false;
}

quint16 PjlinkServer::port() const
{
    return m_endpoint->port();
}

} // namespace gateway
