// SPDX-License-Identifier: GPL-3.0-or-later
#include "projectorhost.h"

#include <algorithm>

namespace sim {

ProjectorHost::ProjectorHost(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ProjectorHost::sendDue);
    m_model.setCommandHook([this](const QByteArray &text) {
        if (m_log)
            m_log(QStringLiteral("received %1").arg(readable(text + '\r')));
    });
}

void ProjectorHost::receive(const QByteArray &bytes)
{
    const qint64 now = nowMs();
    const QList<Reply> replies = m_model.feed(bytes, now);
    for (const Reply &reply : replies) {
        const qint64 due = now + reply.delayMs;
        // Equal due times keep their order of arrival.
        const auto at = std::upper_bound(m_pending.begin(), m_pending.end(), due,
                                         [](qint64 d, const Pending &p) { return d < p.dueMs; });
        m_pending.insert(at, {due, reply});
    }
    if (!replies.isEmpty())
        schedule();
}

void ProjectorHost::cancelReplies()
{
    m_pending.clear();
    m_timer.stop();
}

void ProjectorHost::sendDue()
{
    const qint64 now = nowMs();
    while (!m_pending.isEmpty() && m_pending.first().dueMs <= now) {
        const Reply reply = m_pending.takeFirst().reply;
        if (m_log) {
            m_log(QStringLiteral("reply    %1 (projector %2, %3 ms)")
                      .arg(readable(reply.bytes))
                      .arg(reply.projector)
                      .arg(reply.delayMs));
        }
        emit replyReady(reply.bytes, reply.projector);
    }
    schedule();
}

void ProjectorHost::schedule()
{
    if (m_pending.isEmpty()) {
        m_timer.stop();
        return;
    }
    m_timer.start(int(std::max<qint64>(0, m_pending.first().dueMs - nowMs())));
}

} // namespace sim
