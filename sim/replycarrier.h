// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

namespace sim {

// Carries what the projectors send to the console's port: each reply takes
// its time on the wire at the projectors' speed, arrives as the console's
// port reads it at its own speed, and is handed over in two pieces, the way a
// real port often delivers a reply.
class ReplyCarrier : public QObject
{
    Q_OBJECT

public:
    explicit ReplyCarrier(QObject *parent = nullptr);

    // On by default; off hands over every reply in one piece.
    void setSplit(bool split) { m_split = split; }

    // `bytes` leave the projectors now at `sentBaud`; the port reads at `readBaud`.
    void carry(const QByteArray &bytes, int sentBaud, int readBaud);

    // Forgets everything on the wire.
    void clear();

signals:
    // One piece has arrived; raised from the event loop only.
    void arrived(const QByteArray &piece);

private:
    struct Piece
    {
        qint64 dueUs;
        QByteArray bytes;
    };

    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }
    void deliver();
    void schedule();

    bool m_split = true;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QList<Piece> m_pieces;
    double m_freeUs = 0; // when the wire is free again
};

// Milliseconds to wait from `nowUs` until `dueUs`, rounded up.
int millisecondsUntil(qint64 dueUs, qint64 nowUs);

} // namespace sim
