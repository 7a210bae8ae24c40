// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "projectorhost.h"
#include "replycarrier.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <memory>

// Serves the simulated projectors on a pseudo-terminal, so that a program opens
// slavePath() as if it were a serial port. The server keeps the slave open
// itself: the master then never sees a hang-up when that program closes and
// reopens the port. The projectors understand only the model's speed: the
// speed the program sets on the slave decides how their bytes cross, as on a
// real line; the slave starts at the model's speed.
class PtyServer : public QObject
{
    Q_OBJECT

public:
    explicit PtyServer(QObject *parent = nullptr);
    ~PtyServer() override;

    // Creates the pseudo-terminal; fails with a description in errorString().
    bool start();
    bool isRunning() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

    sim::ProjectorModel &model() { return m_host.model(); }
    sim::ProjectorHost &host() { return m_host; }
    void setLogHook(sim::LogHook hook) { m_host.setLogHook(std::move(hook)); }

    // The speed the program at the slave has set, 0 when unknown.
    int consoleBaudRate() const;

private:
    void readMaster();
    void writeMaster(const QByteArray &bytes);
    void flushOutput();
    void pauseReading();
    bool fail(const QString &what);
    void stop();

    sim::ProjectorHost m_host;
    sim::ReplyCarrier m_replies;
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QTimer m_resumeTimer;
    QByteArray m_output; // replies the kernel has not taken yet
};
