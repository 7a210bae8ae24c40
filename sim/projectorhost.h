// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "projectormodel.h"
#include "simlog.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace sim {

// Runs the projector model in real time: feeds it the bytes that arrive and
// hands out each reply once its delay has passed. Whatever carries the bytes
// (a pseudo-terminal, a serial device, the in-process line) sits around it.
class ProjectorHost : public QObject
{
    Q_OBJECT

public:
    explicit ProjectorHost(QObject *parent = nullptr);

    ProjectorModel &model() { return m_model; }
    const ProjectorModel &model() const { return m_model; }

    // Milliseconds since the host was made: the model's clock.
    qint64 nowMs() const { return m_clock.elapsed(); }

    // Bytes that have arrived just now.
    void receive(const QByteArray &bytes);

    // Drops the replies not yet handed out.
    void cancelReplies();
    bool hasPendingReplies() const { return !m_pending.isEmpty(); }

    void setLogHook(LogHook hook) { m_log = std::move(hook); }

signals:
    void replyReady(const QByteArray &bytes, int projector);

private:
    struct Pending
    {
        qint64 dueMs;
        Reply reply;
    };

    void sendDue();
    void schedule();

    ProjectorModel m_model;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QList<Pending> m_pending; // ordered by dueMs
    LogHook m_log;
};

} // namespace sim
