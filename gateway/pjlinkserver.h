// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config.h"
#include "core/clock.h"

#include <QObject>
#include <QTimer>
#include <deque>
#include <memory>
#include <optional>

class TcpChannel;
class TcpEndpoint;

namespace gateway {

class LineDriver;

// One PJLink client's connection to one projector: the greeting, the
// authentication of its first command, then one request at a time, each
// answered from the projector's own replies.
class PjlinkSession : public QObject
{
    Q_OBJECT

public:
    // A connection idle this long is closed.
    static constexpr int kIdleMs = 30000;
    // Requests a client may send ahead of its answers; beyond, it is cut off.
    static constexpr int kAheadLimit = 4;

    PjlinkSession(TcpChannel *channel, LineDriver &line, const ProjectorEntry &projector,
                  const std::optional<QByteArray> &password, Clock &clock,
                  QObject *parent = nullptr);
    ~PjlinkSession() override;

signals:
    void ended();

private:
    void received(const QByteArray &line);
    void handle(const QByteArray &line);
    void answer(const QByteArray &text);
    void end();

    std::unique_ptr<TcpChannel> m_channel;
    LineDriver &m_line;
    const ProjectorEntry &m_projector;
    std::optional<QByteArray> m_password;
    std::optional<QByteArray> m_random; // while the first command is still to come
    std::deque<QByteArray> m_ahead;
    bool m_waiting = false;
    bool m_ended = false;
    bool m_told = false;
    ConsoleTimer m_idle;
};

// PJLink for one projector of a line, on its own address and port.
class PjlinkServer : public QObject
{
    Q_OBJECT

public:
    // `clock` runs the sessions' idle time: the computer's, or a test's.
    PjlinkServer(LineDriver &line, ProjectorEntry projector, std::optional<QByteArray> password,
                 int connectionLimit, Clock &clock = Clock::steady(), QObject *parent = nullptr);
    ~PjlinkServer() override;

    bool listen(QString *error);
    quint16 port() const;
    int connections() const { return m_sessions; }

private:
    LineDriver &m_line;
    ProjectorEntry m_projector;
    std::optional<QByteArray> m_password;
    int m_connectionLimit;
    Clock &m_clock;
    int m_sessions = 0;
    std::unique_ptr<TcpEndpoint> m_endpoint;
};

} // namespace gateway
