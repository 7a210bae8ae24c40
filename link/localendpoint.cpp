// SPDX-License-Identifier: GPL-3.0-or-later
#include "localendpoint.h"

#include "lineforms.h"
#include "programname.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool isSerialDevice(const QString &device)
{
    return device.startsWith(QLatin1Char('/')) && !isNetworkDevice(device);
}

QString peerOf(QLocalSocket *socket)
{
#ifdef Q_OS_LINUX
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size)
        == 0) {
        const QString program = programName(credentials.pid);
        return QStringLiteral("pid %1%2, uid %3")
            .arg(credentials.pid)
            .arg(program.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(program))
            .arg(credentials.uid);
    }
#else
    Q_UNUSED(socket);
#endif
    return QStringLiteral("a program of this computer");
}

QString currentUser()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

QString lockDirectory()
{
#ifdef Q_OS_UNIX
    struct stat st = {};
    if (::stat("/run/lock", &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)
        && (st.st_mode & S_IWOTH))
        return QStringLiteral("/run/lock");
#endif
    return QDir::tempPath();
}

} // namespace

QString endpointPath(const QString &device)
{
    QString name = device;
    if (isSerialDevice(device)) {
        // Every name of the device leads to the one endpoint.
        if (const QString canonical = QFileInfo(device).canonicalFilePath(); !canonical.isEmpty())
            name = canonical;
    } else {
        name = QStringLiteral("-u%1-%2").arg(currentUser(), device);
    }
    for (QChar &c : name) {
        if (!c.isLetterOrNumber() && c != u'.' && c != u'-')
            c = u'_';
    }
    // Beside the serial lock files, which every program sees (a service with
    // a /tmp of its own too); a long name keeps its end, which tells devices
    // apart, as socket paths are short.
    return lockDirectory() + QStringLiteral("/projector-console") + name.right(80);
}

LocalChannel::LocalChannel(QLocalSocket *socket, QObject *parent)
    : QObject(parent), m_socket(socket)
{
    m_socket->setParent(this);
    connect(m_socket, &QLocalSocket::readyRead, this, &LocalChannel::readLines);
    connect(m_socket, &QLocalSocket::disconnected, this, [this] {
        if (!std::exchange(m_closedTold, true))
            emit closed();
    });
}

LocalChannel::~LocalChannel()
{
    m_closedTold = true;
}

std::unique_ptr<LocalChannel> LocalChannel::connectTo(const QString &path, int timeoutMs,
                                                      bool *denied)
{
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(path);
    if (denied)
        *denied = false;
    if (!socket->waitForConnected(timeoutMs)) {
        if (denied)
            *denied = socket->error() == QLocalSocket::SocketAccessError;
        return nullptr;
    }
    return std::make_unique<LocalChannel>(socket.release());
}

void LocalChannel::readLines()
{
    while (m_socket->canReadLine()) {
        QByteArray line = m_socket->readLine();
        line.chop(1);
        emit lineReceived(line);
        if (m_closedTold)
            return;
    }
    if (m_socket->bytesAvailable() > kMaxLineLength)
        close();
}

void LocalChannel::send(const QByteArray &line)
{
    if (m_socket->state() != QLocalSocket::ConnectedState)
        return;
    m_socket->write(line + '\n');
    m_socket->flush();
}

void LocalChannel::close()
{
    m_socket->abort();
    if (!std::exchange(m_closedTold, true))
        emit closed();
}

bool LocalChannel::isOpen() const
{
    return m_socket->state() == QLocalSocket::ConnectedState;
}

LocalEndpoint::LocalEndpoint(QObject *parent) : QObject(parent) {}

LocalEndpoint::~LocalEndpoint()
{
    close();
}

bool LocalEndpoint::listen(const QString &device)
{
    close();
    const QString path = endpointPath(device);
    auto server = std::make_unique<QLocalServer>();
    // Created for the owner alone; widened to the device's group once it stands.
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(64);
    if (!server->listen(path)) {
        if (server->serverError() != QAbstractSocket::AddressInUseError) {
            m_error = server->errorString();
            return false;
        }
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(500)) {
            m_error = QStringLiteral("another console serves %1 at %2").arg(device, path);
            return false;
        }
        // Left by a console that ended without removing it.
        QLocalServer::removeServer(path);
        if (!server->listen(path)) {
            m_error = server->errorString();
            return false;
        }
    }
    m_server = std::move(server);
    if (!restrictTo(device)) {
        close();
        return false;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            auto *channel = new LocalChannel(socket);
            // Only the serving side asks who is at the other end.
            channel->m_peer = peerOf(socket);
            emit arrived(channel);
        }
    });
    return true;
}

bool LocalEndpoint::restrictTo(const QString &device)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(m_server->fullServerName());
    mode_t mode = S_IRUSR | S_IWUSR;
    struct stat st = {};
    if (isSerialDevice(device) && ::stat(QFile::encodeName(device).constData(), &st) == 0) {
        // A client needs to write to a socket to connect: whoever may write to
        // the device may use the endpoint.
        if (::chown(path.constData(), uid_t(-1), st.st_gid) == 0 && (st.st_mode & S_IWGRP))
            mode |= S_IRGRP | S_IWGRP;
        if (st.st_mode & S_IWOTH)
            mode |= S_IROTH | S_IWOTH;
    }
    if (::chmod(path.constData(), mode) != 0) {
        m_error
            = QStringLiteral("cannot set the permissions of %1").arg(m_server->fullServerName());
        return false;
    }
#else
    Q_UNUSED(device);
#endif
    return true;
}

void LocalEndpoint::close()
{
    if (m_server) {
        m_server->close(); // removes the socket file
        m_server.reset();
    }
}

QString LocalEndpoint::path() const
{
    return m_server ? m_server->fullServerName() : QString();
}
