// SPDX-License-Identifier: GPL-3.0-or-later
#include "linepoller.h"

namespace watch {

LinePoller::LinePoller(QString name, QList<int> addresses, std::unique_ptr<StatusLink> link,
                       qint64 periodMs, QObject *parent)
    : QObject(parent), m_name(std::move(name)), m_addresses(std::move(addresses)),
      m_link(std::move(link)), m_lastAnswers(m_addresses.size())
{
    m_clock.periodMs = periodMs;
    m_next.setSingleShot(true);
    m_next.setTimerType(Qt::PreciseTimer);
    connect(&m_next, &QTimer::timeout, this, &LinePoller::startRound);
    connect(m_link.get(), &StatusLink::answered, this, &LinePoller::onAnswered);
}

LinePoller::~LinePoller() = default;

void LinePoller::start(const QElapsedTimer &epoch)
{
    m_epoch = epoch;
    m_clock.anchorMs = m_epoch.elapsed();
    startRound();
}

Reading LinePoller::fresh(int address) const
{
    Reading reading;
    reading.line = m_name;
    reading.address = address;
    reading.round = m_round;
    reading.lastAnswer = m_lastAnswers.at(m_addresses.indexOf(address));
    return reading;
}

void LinePoller::startRound()
{
    ++m_round;
    m_roundStartMs = m_epoch.elapsed();
    m_addressIndex = 0;
    m_queryIndex = 0;
    if (!m_link->isOpen()) {
        QString error;
        if (!m_link->open(&error)) {
            lineFailed(error);
            return;
        }
    }
    m_reading = fresh(m_addresses.first());
    askNext();
}

void LinePoller::askNext()
{
    m_link->ask(m_addresses.at(m_addressIndex), queries()[m_queryIndex]);
}

void LinePoller::onAnswered(const LinkAnswer &answer)
{
    if (answer.lineFailed) {
        lineFailed(answer.failure);
        return;
    }
    const Query query = queries()[m_queryIndex];
    if (query == Query::Power) {
        m_reading.up = answer.answered;
        if (!answer.answered) {
            nextProjector();
            return;
        }
        m_reading.replySeconds = answer.milliseconds / 1000.0;
        m_reading.lastAnswer = QDateTime::currentDateTimeUtc();
        m_lastAnswers[m_addressIndex] = m_reading.lastAnswer;
    }
    if (answer.value)
        take(m_reading, *answer.value);
    if (++m_queryIndex == qsizetype(queries().size())) {
        nextProjector();
        return;
    }
    askNext();
}

void LinePoller::nextProjector()
{
    emit projectorRead(m_reading);
    m_queryIndex = 0;
    if (++m_addressIndex == m_addresses.size()) {
        finishRound();
        return;
    }
    m_reading = fresh(m_addresses.at(m_addressIndex));
    askNext();
}

// Every projector not yet read this round is down.
void LinePoller::lineFailed(const QString &description)
{
    emit lineTrouble(m_name, description);
    for (; m_addressIndex < m_addresses.size(); ++m_addressIndex)
        emit projectorRead(fresh(m_addresses.at(m_addressIndex)));
    finishRound();
}

void LinePoller::finishRound()
{
    m_link->roundEnded();
    const qint64 endedMs = m_epoch.elapsed();
    emit roundFinished(m_name, m_round, endedMs - m_roundStartMs,
                       m_clock.late(m_roundStartMs, endedMs));
    m_next.start(int(std::max<qint64>(0, m_clock.nextStart(m_roundStartMs, endedMs) - endedMs)));
}

} // namespace watch
