// SPDX-License-Identifier: GPL-3.0-or-later
#include "trafficlog.h"

#include "console.h"
#include "lineclient.h"
#include "link/mscomm.h"
#include "link/trace.h"

#include <QDateTime>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

TrafficLog::TrafficLog(const QString &path, QObject *parent) : QObject(parent), m_path(path)
{
    m_clock.start();
    m_due.setInterval(250);
    connect(&m_due, &QTimer::timeout, this, [this] {
        write("RX", m_rx.due(m_clock.elapsed()));
        if (!m_rx.waiting())
            m_due.stop();
    });
}

TrafficLog::~TrafficLog()
{
    flush();
}

void TrafficLog::flush()
{
    if (m_file.isOpen())
        write("RX", m_rx.windowEnded(m_clock.elapsed()));
}

bool TrafficLog::open()
{
#ifdef Q_OS_UNIX
    // Opened by the system with O_APPEND: every line goes at the end, and a
    // device such as /dev/null is not sought.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_openError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return m_file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                       QFileDevice::AutoCloseHandle);
#else
    m_file.setFileName(m_path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
#endif
}

QString TrafficLog::errorString() const
{
    return QStringLiteral("cannot open the log %1: %2")
        .arg(m_path, m_openError.isEmpty() ? m_file.errorString() : m_openError);
}

void TrafficLog::follow(Console &console)
{
    m_comm = &console.port();
    connect(&console.port(), &QObject::destroyed, this, [this] { m_comm = nullptr; });
    connect(&console, &Console::transmitted, this, &TrafficLog::transmitted);
    connect(&console, &Console::arrived, this, &TrafficLog::arrived);
    connect(&console, &Console::replyWindowEnded, this,
            [this] { write("RX", m_rx.windowEnded(m_clock.elapsed())); });
}

void TrafficLog::follow(LineClient &client)
{
    connect(&client, &LineClient::transmitted, this, &TrafficLog::transmitted);
    connect(&client, &LineClient::arrived, this, &TrafficLog::arrived);
}

// What arrived before a transmission is written before it.
void TrafficLog::transmitted(const QString &text, quint64 intent)
{
    write("RX", m_rx.windowEnded(m_clock.elapsed()));
    m_sender = m_senderOf ? m_senderOf(intent) : QString();
    write("TX", {trace(text)});
}

void TrafficLog::arrived(const QString &characters)
{
    write("RX", m_rx.arrived(characters, m_clock.elapsed()));
    if (m_rx.waiting() && !m_due.isActive())
        m_due.start();
}

void TrafficLog::write(const char *direction, const QStringList &traces)
{
    if (m_comm)
        m_port = m_comm->commPort();
    for (const QString &characters : traces) {
        const QDateTime now = QDateTime::currentDateTime();
        const QString line
            = QStringLiteral("%1 COM%2 %3%4%5\n")
                  .arg(now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs))
                  .arg(m_port)
                  .arg(QLatin1String(direction), characters,
                       m_sender.isEmpty() || qstrcmp(direction, "TX") != 0
                           ? QString()
                           : QStringLiteral("  from %1").arg(m_sender));
        if (!writeLine(line.toUtf8()))
            return;
    }
}

bool TrafficLog::writeLine(const QByteArray &line)
{
    if (!reopenIfMoved())
        return false;
    const bool file = !m_file.isSequential();
    const qint64 before = file ? m_file.size() : 0;
    // Unbuffered: the line reaches the system in one write.
    errno = 0;
    const qint64 written = m_file.write(line);
    if (written != line.size()) {
        // After a part of the line went in, the system's reason is the one to tell.
        const QString why
            = errno ? QString::fromLocal8Bit(std::strerror(errno)) : m_file.errorString();
        if (file && m_file.size() > before)
            m_file.resize(before); // no torn line
        fail(why);
        return false;
    }
    m_failing = false;
    return true;
}

// Log rotation moves the file away (or deletes it) and expects the writer to
// go on under the name.
bool TrafficLog::reopenIfMoved()
{
#ifdef Q_OS_UNIX
    struct stat named = {}, open = {};
    const bool same = ::stat(QFile::encodeName(m_path).constData(), &named) == 0
                      && ::fstat(m_file.handle(), &open) == 0 && named.st_ino == open.st_ino
                      && named.st_dev == open.st_dev;
    if (same)
        return true;
    m_file.close();
    if (!this->open()) {
        fail(m_openError);
        return false;
    }
#endif
    return true;
}

void TrafficLog::fail(const QString &why)
{
    m_failedOnce = true;
    m_file.unsetError();
    if (std::exchange(m_failing, true))
        return;
    emit failed(QStringLiteral("The traffic log %1 could not be written (%2): lines are missing "
                               "from it.")
                    .arg(m_path, why));
}
