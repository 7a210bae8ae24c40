// SPDX-License-Identifier: GPL-3.0-or-later
#include "ptyserver.h"

#include "uart.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// What the server holds back when nobody reads the slave for a long time.
constexpr qsizetype MaxPendingOutput = 64 * 1024;
constexpr int ResumeAfterErrorMs = 100;

struct Speed
{
    speed_t code;
    int baud;
};

constexpr Speed speeds[] = {
    {B1200, 1200},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
    {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
};

speed_t speedCode(int baud)
{
    for (const Speed &speed : speeds) {
        if (speed.baud == baud)
            return speed.code;
    }
    return B19200;
}

} // namespace

PtyServer::PtyServer(QObject *parent) : QObject(parent)
{
    m_resumeTimer.setSingleShot(true);
    connect(&m_resumeTimer, &QTimer::timeout, this, [this] {
        if (m_readNotifier)
            m_readNotifier->setEnabled(true);
    });
    connect(&m_host, &sim::ProjectorHost::replyReady, this, [this](const QByteArray &bytes) {
        m_replies.carry(bytes, model().baudRate(), consoleBaudRate());
    });
    connect(&m_replies, &sim::ReplyCarrier::arrived, this, &PtyServer::writeMaster);
}

PtyServer::~PtyServer()
{
    stop();
}

bool PtyServer::start()
{
    if (isRunning())
        return true;
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return fail(QStringLiteral("posix_openpt"));
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    const char *name = ptsname(m_master);
    if (!name)
        return fail(QStringLiteral("ptsname"));
    m_slavePath = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0)
        return fail(QStringLiteral("open %1").arg(m_slavePath));
    termios mode{};
    if (tcgetattr(m_slave, &mode) != 0)
        return fail(QStringLiteral("tcgetattr"));
    cfmakeraw(&mode);
    cfsetspeed(&mode, speedCode(model().baudRate()));
    if (tcsetattr(m_slave, TCSANOW, &mode) != 0)
        return fail(QStringLiteral("tcsetattr"));

    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyServer::readMaster);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyServer::flushOutput);
    m_error.clear();
    return true;
}

void PtyServer::readMaster()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            const QByteArray bytes(buffer, n);
            m_host.receive(
                sim::received(sim::crossLine(bytes, consoleBaudRate(), model().baudRate())));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // EIO (no slave open) or end of file: the master stays readable, so
        // listening on would spin. Look again a little later.
        pauseReading();
        return;
    }
}

// The master shares the terminal's settings with the slave.
int PtyServer::consoleBaudRate() const
{
    termios mode{};
    if (m_master < 0 || tcgetattr(m_master, &mode) != 0)
        return 0;
    const speed_t code = cfgetospeed(&mode);
    for (const Speed &speed : speeds) {
        if (speed.code == code)
            return speed.baud;
    }
    return 0;
}

void PtyServer::writeMaster(const QByteArray &bytes)
{
    if (m_master < 0)
        return;
    if (m_output.size() + bytes.size() > MaxPendingOutput)
        m_output.clear();
    m_output.append(bytes);
    flushOutput();
}

void PtyServer::flushOutput()
{
    while (!m_output.isEmpty()) {
        const ssize_t n = ::write(m_master, m_output.constData(), size_t(m_output.size()));
        if (n > 0) {
            m_output.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        m_output.clear(); // the terminal refuses the bytes; they are lost as on a dead line
    }
    m_writeNotifier->setEnabled(false);
}

void PtyServer::pauseReading()
{
    m_readNotifier->setEnabled(false);
    m_resumeTimer.start(ResumeAfterErrorMs);
}

bool PtyServer::fail(const QString &what)
{
    m_error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
    stop();
    m_slavePath.clear();
    return false;
}

void PtyServer::stop()
{
    m_resumeTimer.stop();
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_host.cancelReplies();
    m_replies.clear();
    m_output.clear();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
}
