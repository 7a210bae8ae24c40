// SPDX-License-Identifier: GPL-3.0-or-later
#include "tcpendpoint.h"

#include <QTcpServer>
#include <QTcpSocket>

TcpChannel::TcpChannel(QTcpSocket *socket, qsizetype maxLineLength, QObject *parent)
    : QObject(parent), m_socket(socket), m_maxLineLength(maxLineLength)
{
    m_socket->setParent(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const QHostAddress address = m_socket->peerAddress();
    m_peer = (address.protocol() == QAbstractSocket::IPv6Protocol
                  ? QStringLiteral("[%1]").arg(address.toString())
                  : address.toString())
             + QLatin1Char(':') + QString::number(m_socket->peerPort());
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpChannel::readLines);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (!std::exchange(m_closedTold, true))
            emit closed();
    });
}

TcpChannel::~TcpChannel()
{
    m_closedTold = true;
}

void TcpChannel::send(const QByteArray &bytes)
{
    if (isOpen())
        m_socket->write(bytes);
}

void TcpChannel::close()
{
    m_socket->disconnectFromHost();
}

bool TcpChannel::isOpen() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void TcpChannel::readLines()
{
    while (isOpen() && m_socket->bytesAvailable() > 0) {
        m_pending += m_socket->read(4096);
        qsizetype start = 0;
        for (qsizetype i = 0; i < m_pending.size(); ++i) {
            const char c = m_pending.at(i);
            if (c != '\r' && c != '\n')
                continue;
            const QByteArray line = m_pending.mid(start, i - start);
            start = i + 1;
            // The line feed of a CR LF pair ends no line of its own.
            if (c == '\n' && line.isEmpty() && i > 0 && m_pending.at(i - 1) == '\r')
                continue;
            emit lineReceived(line);
            if (!isOpen())
                return;
        }
        m_pending.remove(0, start);
        if (m_pending.size() > m_maxLineLength) {
            m_pending.clear();
            emit overlong();
            m_socket->abort();
            return;
        }
    }
}

TcpEndpoint::TcpEndpoint(qsizetype maxLineLength, QObject *parent)
    : QObject(parent), m_maxLineLength(maxLineLength)
{}

TcpEndpoint::~TcpEndpoint() = default;

bool TcpEndpoint::listen(const QHostAddress &address, quint16 port)
{
    m_server = std::make_unique<QTcpServer>();
    if (!m_server->listen(address, port)) {
        m_error = m_server->errorString();
        m_server.reset();
        return false;
    }
    connect(m_server.get(), &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection())
            emit arrived(new TcpChannel(socket, m_maxLineLength));
    });
    return true;
}

quint16 TcpEndpoint::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

QHostAddress TcpEndpoint::address() const
{
    return m_server ? m_server->serverAddress() : QHostAddress();
}
