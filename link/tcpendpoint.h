// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <memory>

class QTcpServer;
class QTcpSocket;

// One TCP connection carrying lines that end in a carriage return (a line
// feed after it, or instead of it, is taken as well).
class TcpChannel : public QObject
{
    Q_OBJECT

public:
    explicit TcpChannel(QTcpSocket *socket, qsizetype maxLineLength, QObject *parent = nullptr);
    ~TcpChannel() override;

    // Writes `bytes` as they are.
    void send(const QByteArray &bytes);
    // Ends the connection once what was sent has gone out.
    void close();
    bool isOpen() const;
    // "127.0.0.1:40312".
    QString peer() const { return m_peer; }

signals:
    // One line, without its terminator.
    void lineReceived(const QByteArray &line);
    // A line longer than the limit came; the connection is ended.
    void overlong();
    // The other end went away, or the connection was ended here.
    void closed();

private:
    void readLines();

    QTcpSocket *m_socket;
    qsizetype m_maxLineLength;
    QByteArray m_pending;
    QString m_peer;
    bool m_closedTold = false;
};

// Listens on one address and port for connections carrying lines.
class TcpEndpoint : public QObject
{
    Q_OBJECT

public:
    explicit TcpEndpoint(qsizetype maxLineLength, QObject *parent = nullptr);
    ~TcpEndpoint() override;

    // Port 0 takes any free port; port() then tells which.
    bool listen(const QHostAddress &address, quint16 port);
    quint16 port() const;
    QHostAddress address() const;
    QString errorString() const { return m_error; }

signals:
    // A client connected; the channel is the receiver's to keep or delete.
    void arrived(TcpChannel *channel);

private:
    std::unique_ptr<QTcpServer> m_server;
    qsizetype m_maxLineLength;
    QString m_error;
};
