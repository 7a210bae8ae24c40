// SPDX-License-Identifier: GPL-3.0-or-later
#include "deviceline.h"

#include "localendpoint.h"
#include "programname.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// Says so when the path is no serial device: /dev/null, a file, a FIFO or a
// directory would otherwise fail with a system error that does not say what
// is wrong, or open. The kind of file is known before opening; whether a
// character device has a line is asked only once its opening has failed, so a
// working port is never opened twice. Empty when it may be a serial device.
QString notASerialDevice(const QString &device, bool askCharacterDevice)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    struct stat st = {};
    if (::stat(path.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG
                   ? QStringLiteral("the device does not exist")
                   : QString();
    const auto refuse = [](const char *what) {
        return QStringLiteral("it is not a serial device%1").arg(QLatin1String(what));
    };
    if (S_ISDIR(st.st_mode))
        return refuse(" but a directory");
    if (S_ISFIFO(st.st_mode))
        return refuse(" but a FIFO");
    if (S_ISREG(st.st_mode))
        return refuse(" but a regular file");
    if (!S_ISCHR(st.st_mode))
        return refuse(" but a special file");
    if (!askCharacterDevice)
        return {};
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    termios attributes = {};
    const bool terminal = ::tcgetattr(fd, &attributes) == 0;
    ::close(fd);
    if (!terminal)
        return refuse("");
#else
    Q_UNUSED(device);
    Q_UNUSED(askCharacterDevice);
#endif
    return {};
}

QStringList lockFiles(const QString &device)
{
    const QString name = QStringLiteral("LCK..") + device.section(u'/', 2).replace(u'/', u'_');
    return {QStringLiteral("/run/lock/") + name, QStringLiteral("/var/lock/") + name};
}

// The process id a lock file names, as programs using a serial device write it
// (a number on the first line); 0 when it names none.
qint64 lockPid(const QString &path)
{
    QFile lock(path);
    if (!lock.open(QIODevice::ReadOnly))
        return 0;
    bool isNumber = false;
    const qint64 pid = lock.read(512).split('\n').value(0).trimmed().toLongLong(&isNumber);
    return isNumber && pid > 0 ? pid : 0;
}

// "projector-ctl (process 1234)": the program as the system names the process
// a lock file names, never as the file claims.
QString lockHolder(const QString &device)
{
    for (const QString &path : lockFiles(device)) {
        if (const qint64 pid = lockPid(path)) {
            QString program = programName(pid);
            if (program.isEmpty())
                program = QStringLiteral("another program");
            return QStringLiteral("%1 (process %2)").arg(program).arg(pid);
        }
    }
    return {};
}

#ifdef Q_OS_UNIX
// Whether the user `uid` may use `device`, by the groups the system gives it.
bool userMayUse(uid_t uid, gid_t gid, const QString &device)
{
    LocalPeer user;
    user.known = true;
    user.uid = uid;
    user.gid = gid;
    if (const passwd *entry = ::getpwuid(uid)) {
        gid_t groups[256];
        int count = 256;
        if (::getgrouplist(entry->pw_name, entry->pw_gid, groups, &count) >= 0) {
            for (int i = 0; i < count; ++i)
                user.groups << groups[i];
        }
    }
    return mayUseLine(user, device);
}
#endif

// A lock whose process no longer runs is stale, and one written by a user who
// may not use the device is no lock of the device's: both are removed. Empty
// unless such a lock stays.
QString clearLocks(const QString &device)
{
#ifdef Q_OS_UNIX
    for (const QString &path : lockFiles(device)) {
        const QByteArray name = QFile::encodeName(path);
        struct stat st = {};
        if (::lstat(name.constData(), &st) != 0)
            continue;
        const qint64 pid = lockPid(path);
        const bool stale = pid == 0 || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH);
        const bool foreign = !userMayUse(st.st_uid, st.st_gid, device);
        if (!stale && !foreign)
            continue;
        if (::unlink(name.constData()) != 0 && errno != ENOENT && foreign)
            return QStringLiteral("the lock file %1 was written by uid %2, who may not use the "
                                  "device; it is not honoured, but only root may remove it")
                .arg(path)
                .arg(st.st_uid);
    }
#else
    Q_UNUSED(device);
#endif
    return {};
}

} // namespace

DeviceLine::DeviceLine(const QString &device, QObject *parent) : CommLine(parent), m_device(device)
{
    m_port.setPortName(device);
    // Bounded: a device streaming without pause waits in the system meanwhile.
    m_port.setReadBufferSize(64 * 1024);
    connect(&m_port, &QSerialPort::readyRead, this, &CommLine::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &DeviceLine::onError);
}

bool DeviceLine::open(const SerialSettings &settings)
{
    m_error = notASerialDevice(m_device, false);
    if (m_error.isEmpty())
        m_error = clearLocks(m_device);
    if (!m_error.isEmpty())
        return false;
    if (!configure(settings) || !m_port.open(QIODevice::ReadWrite)) {
        m_error = openFailure();
        m_port.close();
        return false;
    }
    // Modem lines are asserted where the device has them; pseudo-terminals
    // have none, and that is no reason to refuse the port.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(false);
    m_port.clear(QSerialPort::Input);
    m_port.clearError();
    return true;
}

void DeviceLine::close()
{
    m_port.close();
}

bool DeviceLine::configure(const SerialSettings &s)
{
    using P = SerialSettings::Parity;
    static constexpr QSerialPort::Parity parities[]
        = {QSerialPort::NoParity, QSerialPort::EvenParity, QSerialPort::OddParity,
           QSerialPort::MarkParity, QSerialPort::SpaceParity};
    static_assert(static_cast<int>(P::Space) == 4);
    const QSerialPort::StopBits stop
        = s.stopBits == SerialSettings::StopBits::One          ? QSerialPort::OneStop
          : s.stopBits == SerialSettings::StopBits::OneAndHalf ? QSerialPort::OneAndHalfStop
                                                               : QSerialPort::TwoStop;
    return m_port.setBaudRate(s.baudRate) && m_port.setParity(parities[static_cast<int>(s.parity)])
           && m_port.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits))
           && m_port.setStopBits(stop) && m_port.setFlowControl(QSerialPort::NoFlowControl);
}

bool DeviceLine::applySettings(const SerialSettings &settings)
{
    if (!configure(settings)) {
        m_error = QStringLiteral("the device refused the settings (%1)").arg(m_port.errorString());
        m_port.clearError();
        return false;
    }
    return true;
}

QString DeviceLine::openFailure() const
{
    if (const QString kind = notASerialDevice(m_device, true); !kind.isEmpty())
        return kind;
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("the device does not exist");
    case QSerialPort::OpenError:
        return QStringLiteral("the device is already open");
    case QSerialPort::PermissionError: {
#ifdef Q_OS_UNIX
        if (::geteuid() != 0 && ::access(QFile::encodeName(m_device).constData(), R_OK | W_OK) != 0)
            return QStringLiteral("permission denied: the user must be allowed to use serial "
                                  "devices (on Debian, a member of the group dialout)");
#endif
        if (const QString holder = lockHolder(m_device); !holder.isEmpty())
            return QStringLiteral("the device is in use by %1").arg(holder);
        return QStringLiteral("the device is in use by another program (%1)")
            .arg(m_port.errorString());
    }
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("the device does not support these settings");
    default:
        return m_port.errorString();
    }
}

bool DeviceLine::write(const QByteArray &bytes)
{
    if (!m_port.isOpen()) {
        m_error = QStringLiteral("the port is not open");
        return false;
    }
    if (m_port.write(bytes) != bytes.size()) {
        m_error = m_port.errorString();
        return false;
    }
    return true;
}

QByteArray DeviceLine::readAll()
{
    return m_port.readAll();
}

qint64 DeviceLine::bytesWaiting() const
{
    qint64 waiting = m_port.bytesToWrite();
#ifdef Q_OS_UNIX
    int queued = 0;
    if (m_port.isOpen() && ::ioctl(m_port.handle(), TIOCOUTQ, &queued) == 0)
        waiting += queued;
#endif
    return waiting;
}

void DeviceLine::onError(QSerialPort::SerialPortError error)
{
    // When the device goes away the port reports a read error on every turn of
    // the event loop and stays open; close it at the first one.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (!m_port.isOpen())
        return;
    const QString reason = lostReason();
    m_port.clearError();
    m_port.close();
    emit lost(reason);
}

// The port's own error text is the errno of its last read, often a stale
// "Resource temporarily unavailable": say instead what became of the device.
QString DeviceLine::lostReason() const
{
    if (!QFileInfo::exists(m_device))
        return QStringLiteral("the device was removed");
#ifdef Q_OS_UNIX
    pollfd hangUp = {m_port.handle(), POLLIN, 0};
    if (::poll(&hangUp, 1, 0) == 1 && (hangUp.revents & POLLHUP))
        return QStringLiteral("the line was hung up");
#endif
    return QStringLiteral("it can no longer be read");
}
