// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// Opens a pseudo-terminal in raw mode and returns its master, non-blocking, or
// -1; `slavePath` names the slave, which stays closed here so that whoever
// opens it by that path is its only user.
inline int openRawPty(QString *slavePath)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return -1;
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    *slavePath = QString::fromLocal8Bit(name);
    return master;
}

// A real pseudo-terminal: the console opens the slave by its path, the test
// reads and writes the master, as the far end of the line would.
class PtyPair
{
public:
    PtyPair() { m_master = openRawPty(&m_path); }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0 && !m_path.isEmpty(); }
    QString slavePath() const { return m_path; }

    void write(const QByteArray &bytes) const
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
            if (n > 0)
                done += n;
        }
    }

    // Reads what has arrived, processing events meanwhile, until `count`
    // bytes are there or `timeoutMs` has passed.
    QByteArray read(qsizetype count, int timeoutMs = 2000)
    {
        QElapsedTimer clock;
        clock.start();
        while (m_received.size() < count && clock.elapsed() < timeoutMs) {
            drain();
            if (m_received.size() < count)
                QTest::qWait(2);
        }
        drain();
        return m_received.left(count);
    }

    // Everything that has arrived so far, taken out.
    QByteArray takeAll()
    {
        drain();
        return std::exchange(m_received, {});
    }

    QByteArray take(qsizetype count, int timeoutMs = 2000)
    {
        const QByteArray got = read(count, timeoutMs);
        m_received.remove(0, got.size());
        return got;
    }

    // What one action put on the line: `count` bytes, then a quiet spell in
    // which nothing more may arrive. An action writes its bytes at once, so
    // anything more would follow them within a few milliseconds.
    QByteArray takeSettled(qsizetype count)
    {
        QByteArray got = take(count, 2000);
        got += take(1, 60);
        return got + takeAll();
    }

    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    void drain()
    {
        char buffer[4096];
        ssize_t n;
        while (m_master >= 0 && (n = ::read(m_master, buffer, sizeof buffer)) > 0)
            m_received.append(buffer, n);
    }

    int m_master = -1;
    QString m_path;
    QByteArray m_received;
};
