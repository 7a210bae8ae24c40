// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;

// A process at the other end of a local connection, as the system tells it.
struct LocalPeer
{
    bool known = false;
    qint64 pid = 0;
    uint uid = 0;
    uint gid = 0;
    QList<uint> groups; // supplementary

    // "pid 4242 (projector-ctl), uid 0": the program as the system names it.
    QString describe() const;
};

// Whether `peer` may use the line of `device` itself: for a serial device,
// root, the device's owner, a member of its group when the group may write,
// anybody when all may write; for a network or simulated line, root or this
// program's own user.
bool mayUseLine(const LocalPeer &peer, const QString &device);

// Where a console serves the line `device` to the programs of this computer:
// a local socket with a name of fixed length taken from the device, in the
// directory of the package's device group for a serial device, in the user's
// own runtime directory otherwise (PROJECTOR_CONSOLE_RUNTIME_DIR, where set,
// for every line). Empty when there is no such directory; `why` says so.
QString endpointPath(const QString &device, QString *why = nullptr);

// Empty when only those who may use `device` can create names in `directory`,
// else what is wrong with it.
QString endpointPlaceProblem(const QString &directory, const QString &device);

// One connection to an endpoint, carrying lines of text.
class LocalChannel : public QObject
{
    Q_OBJECT

public:
    // A line longer than this is no message: the connection is ended.
    static constexpr qsizetype kMaxLineLength = 16384;

    // How a client's attempt to reach a console went.
    enum class Reach { Served, NotServed, Denied, Busy, Untrusted };
    struct Reached
    {
        Reach reach = Reach::NotServed;
        std::unique_ptr<LocalChannel> channel; // when served
        QString message;                       // why not, when it matters
    };

    explicit LocalChannel(QLocalSocket *socket, QObject *parent = nullptr);
    ~LocalChannel() override;

    // Connects to the console serving `device`, if any, and only if the
    // process behind the endpoint may use the line itself: nothing is sent
    // to any other.
    static Reached reach(const QString &device);

    // Connects to the endpoint at `path` whoever serves it, waiting at most
    // `timeoutMs`. None when nothing serves there; `denied` then says whether
    // a server is there that this user may not use.
    static std::unique_ptr<LocalChannel> connectTo(const QString &path, int timeoutMs,
                                                   bool *denied = nullptr);

    void send(const QByteArray &line);
    void close();
    bool isOpen() const;
    // What was sent and not yet taken by the other end.
    qint64 bytesHeld() const;
    // On the serving side, the program at the other end.
    QString peer() const { return m_peer.describe(); }
    const LocalPeer &peerCredentials() const { return m_peer; }

signals:
    void lineReceived(const QByteArray &line);
    // The other end went away, or the connection was ended here.
    void closed();

private:
    friend class LocalEndpoint;
    void readLines();

    QLocalSocket *m_socket;
    LocalPeer m_peer;
    bool m_closedTold = false;
};

// The serving side: listens at the endpoint of one line, carrying the device's
// group and mode for a serial device, the owner's alone otherwise. What is
// left at the path by a console that ended is replaced; a console that still
// answers there keeps it.
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
    bool clearPath(const QString &device, const QString &path);
    bool restrictTo(const QString &device);

    std::unique_ptr<QLocalServer> m_server;
    QString m_error;
};
