// SPDX-License-Identifier: GPL-3.0-or-later
#include "board.h"

#include "linepoller.h"

namespace watch {

void Board::follow(LinePoller &poller, const QList<int> &addresses)
{
    const qsizetype first = m_readings.size();
    const qsizetype lineIndex = m_lines.size();
    for (int address : addresses) {
        Reading reading;
        reading.line = poller.name();
        reading.address = address;
        m_readings.append(reading);
    }
    m_lines.append({poller.name()});
    connect(&poller, &LinePoller::projectorRead, this,
            [this, first, addresses](const Reading &reading) {
                Reading &slot = m_readings[first + addresses.indexOf(reading.address)];
                const bool changed = slot.up != reading.up || slot.values() != reading.values();
                slot = reading;
                emit projectorRead(reading, changed);
            });
    connect(&poller, &LinePoller::roundFinished, this,
            [this, lineIndex](const QString &line, quint64 round, qint64 durationMs, bool late) {
                LineRounds &rounds = m_lines[lineIndex];
                rounds.rounds = round;
                rounds.late += late ? 1 : 0;
                rounds.lastSeconds = durationMs / 1000.0;
                emit roundFinished(line, round);
            });
}

} // namespace watch
