// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;

// Where a console serves the line `device` to the programs of this computer: a
// local socket named after the device. A serial device has one endpoint for
// every user (its permissions decide); a network or simulated line has one
// per user, since only the user who runs the console may use it.
QString endpointPath(const QString &device);

// One connection to an endpoint, carrying lines of text.
class LocalChannel : public QObject
{
    Q_OBJECT

public:
    // A line longer than this is no message: the connection is ended.
    static constexpr qsizetype kMaxLineLength = 16384;

    explicit LocalChannel(QLocalSocket *socket, QObject *parent = nullptr);
    ~LocalChannel() override;

    // Connects to the endpoint at `path`, waiting at most `timeoutMs`. None when
    // nothing serves there; `denied` then says whether a server is there that
    // this user may not use.
    static std::unique_ptr<LocalChannel> connectTo(const QString &path, int timeoutMs,
                                                   bool *denied = nullptr);

    void send(const QByteArray &line);
    void close();
    bool isOpen() const;
    // On the serving side, the program at the other end: "pid 4242
    // (projector-ctl), uid 0".
    QString peer() const { return m_peer; }

signals:
    void lineReceived(const QByteArray &line);
    // The other end went away, or the connection was ended here.
    void closed();

private:
    friend class LocalEndpoint;
    void readLines();

    QLocalSocket *m_socket;
    QString m_peer;
    bool m_closedTold = false;
};

// The serving side: listens at the endpoint of one line, carrying the device's
// group and mode for a serial device, the owner's alone otherwise. A socket
// left by a console that was killed is found (nothing answers on it) and
// replaced; one that still answers is another console's, and left alone.
class LocalEndpoint : public QObject
{
    Q_OBJECT

public:
    explicit LocalEndpoint(QObject *parent = nullptr);
    ~LocalEndpoint() override;

    bool listen(const QString &device);
    void close();
    QString path() const;
    QString errorString() const { return m_error; }

signals:
    // A client connected; the channel is the receiver's to keep or delete.
    void arrived(LocalChannel *channel);

private:
    bool restrictTo(const QString &device);

    std::unique_ptr<QLocalServer> m_server;
    QString m_error;
};
