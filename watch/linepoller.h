// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reading.h"
#include "roundclock.h"
#include "statuslink.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <memory>

namespace watch {

// Polls the projectors of one line in rounds, one query in flight at a time.
// Each line has a poller of its own, so a slow or dead line holds up nothing
// but itself.
class LinePoller : public QObject
{
    Q_OBJECT

public:
    // addresses: 0 for the projector without an address, or some of 1..4.
    LinePoller(QString name, QList<int> addresses, std::unique_ptr<StatusLink> link,
               qint64 periodMs, QObject *parent = nullptr);
    ~LinePoller() override;

    // Starts the first round now; `epoch` is the clock all pollers share.
    void start(const QElapsedTimer &epoch);
    QString name() const { return m_name; }

signals:
    void projectorRead(const watch::Reading &reading);
    void roundFinished(const QString &line, quint64 round, qint64 durationMs, bool late);
    // The line could not be opened or went away; it is tried again next round.
    void lineTrouble(const QString &line, const QString &description);

private:
    void startRound();
    void askNext();
    void onAnswered(const LinkAnswer &answer);
    void nextProjector();
    void lineFailed(const QString &description);
    void finishRound();
    Reading fresh(int address) const;

    QString m_name;
    QList<int> m_addresses;
    std::unique_ptr<StatusLink> m_link;
    RoundClock m_clock;
    QElapsedTimer m_epoch;
    QTimer m_next;
    quint64 m_round = 0;
    qint64 m_roundStartMs = 0;
    qsizetype m_addressIndex = 0;
    qsizetype m_queryIndex = 0;
    Reading m_reading;
    QList<QDateTime> m_lastAnswers; // per address
};

} // namespace watch
