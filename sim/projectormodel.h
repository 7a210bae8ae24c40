// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "projector.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <functional>
#include <optional>

namespace sim {

struct Reply
{
    QByteArray bytes;
    int delayMs = 0; // from the arrival of the command's carriage return
    int projector = 0;
};

// Four projectors sharing one serial line. Command texts end with a carriage
// return; "A001".."A004" in front address one projector, "AFFF" all of them
// (none answers), no prefix projector 1. Time is passed in, never read.
class ProjectorModel
{
public:
    static constexpr int ProjectorCount = 4;
    static constexpr qsizetype MaxCommandLength = 256; // longer runs without CR are noise
    // Commands a projector holds while a slow operation runs; it ignores more,
    // as a full input buffer drops them.
    static constexpr int QueueLength = 8;
    static constexpr int DefaultBaudRate = 19200;

    ProjectorModel();

    // Bytes that have arrived at `nowMs`; returns the replies they cause.
    QList<Reply> feed(const QByteArray &bytes, qint64 nowMs);

    // Lets every projector's count-down, cooling and lamp hours run up to `nowMs`.
    void advanceTo(qint64 nowMs);

    // number 1..4
    const Projector &projector(int number) const { return m_projectors.at(number - 1); }
    Projector &projector(int number) { return m_projectors.at(number - 1); }

    // Called with every complete command text, without its carriage return.
    void setCommandHook(std::function<void(const QByteArray &text)> hook);

    // The speed the projectors' ports are set to; they understand nothing else.
    int baudRate() const { return m_baudRate; }

    // Whether projector `number` can take one more command at `nowMs`: a slow
    // operation in progress holds at most QueueLength.
    bool canQueue(int number, qint64 nowMs) const;
    void setBaudRate(int baud) { m_baudRate = baud; }

private:
    void handle(const QByteArray &text, qint64 nowMs, QList<Reply> &replies);
    // The delay of the answer, or nothing when the projector cannot queue the command.
    std::optional<int> answer(int number, const QByteArray &code, qint64 nowMs, QByteArray *bytes);

    std::array<Projector, ProjectorCount> m_projectors;
    std::array<qint64, ProjectorCount> m_busyUntilMs{};
    std::array<QList<qint64>, ProjectorCount> m_queuedDueMs; // answers held by a slow operation
    int m_baudRate = DefaultBaudRate;
    QByteArray m_partial;
    std::function<void(const QByteArray &)> m_commandHook;
};

} // namespace sim
