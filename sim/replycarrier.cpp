// SPDX-License-Identifier: GPL-3.0-or-later
#include "replycarrier.h"

#include "uart.h"

#include <algorithm>
#include <cmath>

namespace sim {

int millisecondsUntil(qint64 dueUs, qint64 nowUs)
{
    return int(std::max<qint64>(0, (dueUs - nowUs + 999) / 1000));
}

ReplyCarrier::ReplyCarrier(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReplyCarrier::deliver);
}

void ReplyCarrier::carry(const QByteArray &bytes, int sentBaud, int readBaud)
{
    if (bytes.isEmpty())
        return;
    const double start = std::max(double(nowUs()), m_freeUs);
    m_freeUs = start + bytes.size() * frameMicroseconds(sentBaud);
    const QList<Received> characters = crossLine(bytes, sentBaud, readBaud);
    const qsizetype count = characters.size();
    const qsizetype split = m_split && count > 1 ? count / 2 : count;
    QByteArray piece;
    for (qsizetype i = 0; i < count; ++i) {
        piece.append(characters.at(i).byte);
        if (i == split - 1 || i == count - 1) {
            m_pieces.append({qint64(std::ceil(start + characters.at(i).doneUs)), piece});
            piece.clear();
        }
    }
    schedule();
}

void ReplyCarrier::clear()
{
    m_pieces.clear();
    m_timer.stop();
    m_freeUs = 0;
}

// One piece per wake-up, so a split reply is handed over twice.
void ReplyCarrier::deliver()
{
    if (!m_pieces.isEmpty() && m_pieces.first().dueUs <= nowUs()) {
        const QByteArray bytes = m_pieces.takeFirst().bytes;
        schedule();
        emit arrived(bytes);
        return;
    }
    schedule();
}

void ReplyCarrier::schedule()
{
    if (m_pieces.isEmpty()) {
        m_timer.stop();
        return;
    }
    m_timer.start(millisecondsUntil(m_pieces.first().dueUs, nowUs()));
}

} // namespace sim
