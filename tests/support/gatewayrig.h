// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// A simulated line of the test's own, staged by `states`: the gateway serves
// it to projector-ctl under this name only, so programs of other tests given
// plain "sim" never reach it.
inline QString simLineIn(const QTemporaryDir &dir, const QByteArray &states = {})
{
    QFile file(dir.filePath(QStringLiteral("states.txt")));
    file.open(QIODevice::WriteOnly);
    file.write(states);
    return QStringLiteral("sim:") + file.fileName();
}

// projector-gateway started by a test, its projectors on free ports of 127.0.0.1.
class GatewayProcess
{
public:
    ~GatewayProcess() { stop(); }

    // Starts the gateway with `arguments` and waits until `projectors` listen;
    // false with what it said.
    bool start(const QStringList &arguments, int projectors, QString *said)
    {
        m_process.start(QStringLiteral(PROJECTOR_GATEWAY_PATH),
                        QStringList{"--listen", "127.0.0.1:0"} + arguments);
        static const QRegularExpression listening(
            QStringLiteral("(?:projector (\\d): )?PJLink on 127\\.0\\.0\\.1:(\\d+)"));
        QByteArray text;
        QDeadlineTimer deadline(5000);
        while (m_ports.size() < projectors && !deadline.hasExpired()
               && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
            text += m_process.readAllStandardError();
            auto matches = listening.globalMatch(QString::fromLocal8Bit(text));
            while (matches.hasNext()) {
                const auto match = matches.next();
                m_ports.insert(match.captured(1).toInt(), match.captured(2).toUShort());
            }
        }
        *said = QString::fromLocal8Bit(text + m_process.readAllStandardError());
        return m_ports.size() == projectors;
    }

    // The port of projector `address` (0: the single one).
    quint16 port(int address) const { return m_ports.value(address); }
    QProcess &process() { return m_process; }

    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000)) {
                m_process.kill();
                m_process.waitForFinished();
            }
        }
        m_ports.clear();
    }

private:
    QProcess m_process;
    QHash<int, quint16> m_ports;
};

// A folder of the test's own with the npm package pjlink installed in it.
class PjlinkClients
{
public:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Installs the PJLink client; the reason when it cannot.
    QString install()
    {
        QProcess npm;
        npm.start(QStringLiteral("npm"), {"install", "--prefix", m_dir.path(), "--no-audit",
                                          "--no-fund", "--loglevel", "error", "pjlink@0.2.8"});
        if (!npm.waitForStarted())
            return QStringLiteral("npm does not start: %1").arg(npm.errorString());
        if (!npm.waitForFinished(12000) || npm.exitCode() != 0) {
            npm.kill();
            npm.waitForFinished();
            return QStringLiteral("npm install pjlink@0.2.8 failed: %1")
                .arg(QString::fromLocal8Bit(npm.readAllStandardError()).left(400));
        }
        return {};
    }

    // Writes `text` to the file `name` of the folder, with `mode`.
    QString write(const QString &name, const QByteArray &text,
                  QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner)
    {
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        file.write(text);
        file.close();
        file.setPermissions(mode);
        return file.fileName();
    }

    // Starts the client's `steps` against `port`.
    void start(QProcess &node, quint16 port, const QJsonArray &steps, const QString &password = {})
    {
        node.start(QStringLiteral("node"),
                   {QStringLiteral(GATEWAY_TEST_DIR "/pjlink-client.js"), m_dir.path(), "127.0.0.1",
                    QString::number(port), password,
                    QString::fromUtf8(QJsonDocument(steps).toJson(QJsonDocument::Compact))});
    }

    // What a client said: one object per step.
    static QJsonArray results(QProcess &node, int timeoutMs = 8000)
    {
        if (!node.waitForFinished(timeoutMs))
            node.kill();
        node.waitForFinished();
        QJsonArray results;
        for (const QByteArray &line : node.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                results << QJsonDocument::fromJson(line).object();
        }
        return results;
    }

    QJsonArray run(quint16 port, const QJsonArray &steps, const QString &password = {})
    {
        QProcess node;
        start(node, port, steps, password);
        return results(node);
    }

private:
    QTemporaryDir m_dir;
};
