// SPDX-License-Identifier: GPL-3.0-or-later
#include "localendpoint.h"

#include "lineforms.h"
#include "programname.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#ifndef SO_PEERGROUPS
#define SO_PEERGROUPS 59
#endif

namespace {

constexpr char kDeviceDirectory[] = "/run/projector-console";

bool isSerialDevice(const QString &device)
{
    return device.startsWith(QLatin1Char('/')) && !isNetworkDevice(device);
}

LocalPeer peerOf(int fd)
{
    LocalPeer peer;
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return peer;
    peer.known = true;
    peer.pid = credentials.pid;
    peer.uid = credentials.uid;
    peer.gid = credentials.gid;
    gid_t groups[256];
    socklen_t length = sizeof groups;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERGROUPS, groups, &length) == 0) {
        for (socklen_t i = 0; i < length / sizeof(gid_t); ++i)
            peer.groups << groups[i];
    }
    return peer;
}

QString uidOf(const struct stat &st)
{
    return QStringLiteral("uid %1").arg(st.st_uid);
}

// Connects without blocking: a local socket is reached at once or not at all.
int connectLocal(const QString &path, int *error)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof address.sun_path)) {
        *error = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, name.constData(), name.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        *error = errno;
        ::close(fd);
        return -1;
    }
    *error = 0;
    return fd;
}

QString runtimeDirectory(const QString &device, QString *why)
{
    if (const QString own = qEnvironmentVariable("PROJECTOR_CONSOLE_RUNTIME_DIR"); !own.isEmpty()) {
        if (!QFileInfo::exists(own) && QDir().mkpath(own))
            ::chmod(QFile::encodeName(own).constData(), 0700);
        return own;
    }
    if (isSerialDevice(device))
        return QLatin1String(kDeviceDirectory);
    if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR"); !runtime.isEmpty())
        return runtime;
    const QString perUser = QStringLiteral("/run/user/%1").arg(::geteuid());
    if (QFileInfo(perUser).isDir())
        return perUser;
    if (why)
        *why = QStringLiteral("this user has no runtime directory (XDG_RUNTIME_DIR is not set)");
    return {};
}

} // namespace

QString LocalPeer::describe() const
{
    if (!known)
        return QStringLiteral("a program of this computer");
    const QString program = programName(pid);
    return QStringLiteral("pid %1%2, uid %3")
        .arg(pid)
        .arg(program.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(program))
        .arg(uid);
}

bool mayUseLine(const LocalPeer &peer, const QString &device)
{
    if (!peer.known)
        return false;
    if (peer.uid == 0)
        return true;
    if (!isSerialDevice(device))
        return peer.uid == ::geteuid();
    struct stat st = {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return false;
    if (peer.uid == st.st_uid || (st.st_mode & S_IWOTH))
        return true;
    const bool member = peer.gid == st.st_gid || peer.groups.contains(uint(st.st_gid));
    return member && (st.st_mode & S_IWGRP);
}

QString endpointPath(const QString &device, QString *why)
{
    const QString directory = runtimeDirectory(device, why);
    if (directory.isEmpty())
        return {};
    QString key = device;
    if (isSerialDevice(device)) {
        // Every name of the device leads to the one endpoint.
        if (const QString canonical = QFileInfo(device).canonicalFilePath(); !canonical.isEmpty())
            key = canonical;
    } else {
        key = QStringLiteral("%1:%2").arg(::geteuid()).arg(device);
    }
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256);
    return directory + QStringLiteral("/projector-console-")
           + QString::fromLatin1(digest.toHex().left(24));
}

QString endpointPlaceProblem(const QString &directory, const QString &device)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(directory).constData(), &st) != 0)
        return isSerialDevice(device) && directory == QLatin1String(kDeviceDirectory)
                   ? QStringLiteral("%1 does not exist (the package makes it at boot with "
                                    "systemd-tmpfiles)")
                         .arg(directory)
                   : QStringLiteral("%1 does not exist").arg(directory);
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("%1 is not a directory").arg(directory);
    if (st.st_uid != 0 && st.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to %2").arg(directory, uidOf(st));
    if (st.st_mode & S_IWOTH)
        return QStringLiteral("anybody may make names in %1").arg(directory);
    if (st.st_mode & S_IWGRP) {
        struct stat line = {};
        if (!isSerialDevice(device) || ::stat(QFile::encodeName(device).constData(), &line) != 0
            || line.st_gid != st.st_gid || !(line.st_mode & S_IWGRP))
            return QStringLiteral("the group %1 may make names in %2 but may not use the device")
                .arg(st.st_gid)
                .arg(directory);
    }
    return {};
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

LocalChannel::Reached LocalChannel::reach(const QString &device)
{
    Reached reached;
    const QString path = endpointPath(device);
    if (path.isEmpty())
        return reached;
    int error = 0;
    const int fd = connectLocal(path, &error);
    if (fd < 0) {
        if (error == EACCES || error == EPERM) {
            reached.reach = Reach::Denied;
            reached.message = QStringLiteral("a console holds %1 and serves it to those who may "
                                             "use the device; this user may not (permission "
                                             "denied)")
                                  .arg(device);
        } else if (error == EAGAIN) {
            reached.reach = Reach::Busy;
            reached.message = QStringLiteral("the console serving %1 at %2 takes no connection now")
                                  .arg(device, path);
        }
        return reached;
    }
    const LocalPeer peer = peerOf(fd);
    if (!mayUseLine(peer, device)) {
        ::close(fd);
        reached.reach = Reach::Untrusted;
        reached.message = QStringLiteral("%1 is served by %2, which may not use %3: refused, "
                                         "nothing was sent to it")
                              .arg(path, peer.describe(), device);
        return reached;
    }
    auto socket = std::make_unique<QLocalSocket>();
    if (!socket->setSocketDescriptor(fd)) {
        ::close(fd);
        return reached;
    }
    reached.reach = Reach::Served;
    reached.channel = std::make_unique<LocalChannel>(socket.release());
    reached.channel->m_peer = peer;
    return reached;
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

qint64 LocalChannel::bytesHeld() const
{
    return m_socket->bytesToWrite();
}

LocalEndpoint::LocalEndpoint(QObject *parent) : QObject(parent) {}

LocalEndpoint::~LocalEndpoint()
{
    close();
}

bool LocalEndpoint::listen(const QString &device)
{
    close();
    QString why;
    const QString path = endpointPath(device, &why);
    if (path.isEmpty()) {
        m_error = why;
        return false;
    }
    if (const QString problem = endpointPlaceProblem(QFileInfo(path).path(), device);
        !problem.isEmpty()) {
        m_error = QStringLiteral("no place for its endpoint that only those who may use it can "
                                 "write: %1")
                      .arg(problem);
        return false;
    }
    if (!clearPath(device, path))
        return false;
    auto server = std::make_unique<QLocalServer>();
    // Created for the owner alone; widened to the device's group once it stands.
    server->setSocketOptions(QLocalServer::UserAccessOption);
    server->setMaxPendingConnections(64);
    if (!server->listen(path)) {
        m_error = QStringLiteral("%1 (%2)").arg(server->errorString(), path);
        return false;
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
            channel->m_peer = peerOf(int(socket->socketDescriptor()));
            emit arrived(channel);
        }
    });
    return true;
}

// A console that answers at the path keeps it; whatever else is there (a
// socket nobody listens on, a file, an empty directory) is removed.
bool LocalEndpoint::clearPath(const QString &device, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(name.constData(), &st) != 0)
        return true;
    if (S_ISSOCK(st.st_mode)) {
        int error = 0;
        if (const int fd = connectLocal(path, &error); fd >= 0) {
            m_error = QStringLiteral("another console serves %1: %2, at %3")
                          .arg(device, peerOf(fd).describe(), path);
            ::close(fd);
            return false;
        }
        if (error == EAGAIN) {
            m_error = QStringLiteral("another console serves %1 at %2").arg(device, path);
            return false;
        }
        if (error != ECONNREFUSED && error != ENOENT) {
            m_error = QStringLiteral("%1 is a socket of %2 that this user cannot reach (%3)")
                          .arg(path, uidOf(st), QString::fromLocal8Bit(std::strerror(error)));
            return false;
        }
    }
    const int removed
        = S_ISDIR(st.st_mode) ? ::rmdir(name.constData()) : ::unlink(name.constData());
    if (removed != 0 && errno != ENOENT) {
        m_error = QStringLiteral("%1, left there by %2, cannot be removed (%3)")
                      .arg(path, uidOf(st), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

bool LocalEndpoint::restrictTo(const QString &device)
{
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
