// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Cuts what arrives into the RX lines of the traffic log: one line per
// complete reply (up to and including its carriage return) and one for an
// unterminated remainder when its reply window ends. A line shows at most the
// first kShown characters of its reply and counts the rest; beyond
// kLinesPerSecond lines a second, replies are only counted and the count is
// written once the second is over, so that a line streaming without pause
// cannot fill a disk. Times are milliseconds of any steady clock.
class RxLines
{
public:
    static constexpr qsizetype kShown = 64;
    static constexpr int kLinesPerSecond = 20;

    // The lines (in trace form) due now that `characters` have arrived.
    QStringList arrived(const QString &characters, qint64 nowMs);
    // The reply window ended: the remainder and any count still owed.
    QStringList windowEnded(qint64 nowMs);
    // A remainder waiting a second or longer, and counts of a second that is
    // over, are due by now.
    QStringList due(qint64 nowMs);
    bool waiting() const { return m_started >= 0 || m_unwrittenReplies > 0; }

private:
    void take(qsizetype count, const QString &from, qsizetype at);
    void finishReply(qint64 nowMs, QStringList &lines);
    void countOwed(qint64 nowMs, bool force, QStringList &lines);

    QString m_shown;       // the first characters of the reply being received
    qint64 m_more = 0;     // its characters beyond those
    qint64 m_started = -1; // when its first character came, -1 for none
    qint64 m_second = -1;  // start of the second whose lines are counted
    int m_lines = 0;
    qint64 m_unwrittenReplies = 0;
    qint64 m_unwrittenCharacters = 0;
};
