// SPDX-License-Identifier: GPL-3.0-or-later
#include "projectormodel.h"

#include <algorithm>

namespace sim {

ProjectorModel::ProjectorModel()
    : m_projectors{Projector(1), Projector(2), Projector(3), Projector(4)}
{}

QList<Reply> ProjectorModel::feed(const QByteArray &bytes, qint64 nowMs)
{
    QList<Reply> replies;
    for (const char byte : bytes) {
        if (byte == '\r') {
            const QByteArray text = m_partial;
            m_partial.clear();
            handle(text, nowMs, replies);
        } else if (byte != '\n') {
            if (m_partial.size() >= MaxCommandLength)
                m_partial.clear();
            m_partial.append(byte);
        }
    }
    return replies;
}

void ProjectorModel::advanceTo(qint64 nowMs)
{
    for (Projector &projector : m_projectors)
        projector.advanceTo(nowMs);
}

void ProjectorModel::setCommandHook(std::function<void(const QByteArray &)> hook)
{
    m_commandHook = std::move(hook);
}

void ProjectorModel::handle(const QByteArray &text, qint64 nowMs, QList<Reply> &replies)
{
    if (m_commandHook)
        m_commandHook(text);
    advanceTo(nowMs);

    if (!text.startsWith('A')) {
        QByteArray bytes;
        if (const auto delay = answer(1, text, nowMs, &bytes))
            replies.append({bytes, *delay, 1});
        return;
    }
    const QByteArray address = text.left(4);
    const QByteArray code = text.mid(4);
    if (address == "AFFF") {
        for (int number = 1; number <= ProjectorCount; ++number)
            answer(number, code, nowMs, nullptr);
        return;
    }
    if (address.size() == 4 && address >= "A001" && address <= "A004") {
        const int number = address.at(3) - '0';
        QByteArray bytes;
        if (const auto delay = answer(number, code, nowMs, &bytes))
            replies.append({bytes, *delay, number});
    }
    // Any other address belongs to no projector on this line.
}

bool ProjectorModel::canQueue(int number, qint64 nowMs) const
{
    if (m_busyUntilMs.at(number - 1) <= nowMs)
        return true;
    const QList<qint64> &queued = m_queuedDueMs.at(number - 1);
    return std::count_if(queued.cbegin(), queued.cend(),
                         [nowMs](qint64 due) { return due > nowMs; })
           < QueueLength;
}

// Runs `code` on one projector; returns the delay of its answer, which comes
// only after any slow operation still in progress there. While one runs, the
// projector holds at most QueueLength commands, so the wait stays bounded.
std::optional<int> ProjectorModel::answer(int number, const QByteArray &code, qint64 nowMs,
                                          QByteArray *bytes)
{
    qint64 &busyUntil = m_busyUntilMs.at(number - 1);
    QList<qint64> &queued = m_queuedDueMs.at(number - 1);
    queued.removeIf([nowMs](qint64 due) { return due <= nowMs; });
    if (!canQueue(number, nowMs))
        return std::nullopt;
    const bool busy = busyUntil > nowMs;

    const Projector::Answer answer = m_projectors.at(number - 1).execute(code, nowMs);
    const qint64 delay = std::max<qint64>(0, busyUntil - nowMs) + answer.delayMs;
    if (busy)
        queued.append(nowMs + delay);
    if (answer.occupies)
        busyUntil = nowMs + delay;
    if (bytes)
        *bytes = answer.bytes;
    return int(delay);
}

} // namespace sim
