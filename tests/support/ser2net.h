// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

// Debian's ser2net (4.x) in front of a serial device, usually a test's own
// pseudo-terminal, listening on 127.0.0.1 only. It runs from start() until
// stop() or the end of the object.
class Ser2net
{
public:
    // Telnet is plain Telnet without COM port control, which a console
    // asking for RFC 2217 must refuse.
    enum class Mode { Raw, Rfc2217, Telnet };

    Ser2net(Mode mode, QString device, QString lineSettings = QStringLiteral("19200n81"))
        : m_mode(mode), m_device(std::move(device)), m_lineSettings(std::move(lineSettings))
    {}
    ~Ser2net() { stop(); }
    Ser2net(const Ser2net &) = delete;
    Ser2net &operator=(const Ser2net &) = delete;

    // Starts on `port`, or on a free one, and returns once it listens.
    bool start(quint16 port = 0)
    {
        stop();
        m_port = port ? port : freePort();
        if (!m_dir.isValid() || m_port == 0)
            return fail(QStringLiteral("no temporary folder or no free port"));
        const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return fail(file.errorString());
        const char *accepter = m_mode == Mode::Raw       ? "tcp"
                               : m_mode == Mode::Rfc2217 ? "telnet(rfc2217),tcp"
                                                         : "telnet,tcp";
        file.write(QStringLiteral("%YAML 1.1\n---\n"
                                  "connection: &projector\n"
                                  "  accepter: %1,127.0.0.1,%2\n"
                                  "  connector: serialdev,%3,%4,local\n")
                       .arg(QLatin1String(accepter))
                       .arg(m_port)
                       .arg(m_device, m_lineSettings)
                       .toUtf8());
        file.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("ser2net"),
                        {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config,
                         QStringLiteral("-P"), m_dir.filePath(QStringLiteral("ser2net.pid"))});
        if (!m_process.waitForStarted(5000))
            return fail(m_process.errorString());
        QElapsedTimer clock;
        clock.start();
        while (!listening()) {
            if (m_process.state() != QProcess::Running || clock.elapsed() > 5000) {
                stop();
                return fail(QStringLiteral("ser2net did not listen on port %1: %2")
                                .arg(m_port)
                                .arg(QString::fromLocal8Bit(m_process.readAll())));
            }
            QThread::msleep(10);
        }
        return true;
    }

    // Ends the server with SIGTERM and waits for it.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    quint16 port() const { return m_port; }
    QString url() const
    {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(QLatin1String(m_mode == Mode::Raw ? "tcp" : "rfc2217"))
            .arg(m_port);
    }
    QString errorString() const { return m_error; }

    // A port on the loopback that nothing listens on right now.
    static quint16 freePort()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
    }

private:
    bool fail(const QString &error)
    {
        m_error = error;
        return false;
    }

    // Asked of the kernel rather than by connecting: a probe connection
    // would make ser2net open the device and could still hold it when the
    // console connects.
    bool listening() const
    {
        QFile table(QStringLiteral("/proc/net/tcp"));
        if (!table.open(QIODevice::ReadOnly))
            return false;
        const QByteArray local = QByteArray("0100007F:")
                                 + QByteArray::number(m_port, 16).toUpper().rightJustified(4, '0');
        for (const QByteArray &line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
                return true;
        }
        return false;
    }

    Mode m_mode;
    QString m_device;
    QString m_lineSettings;
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};
