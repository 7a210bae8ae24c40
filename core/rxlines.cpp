// SPDX-License-Identifier: GPL-3.0-or-later
#include "rxlines.h"

#include "link/trace.h"

void RxLines::take(qsizetype count, const QString &from, qsizetype at)
{
    const qsizetype shown = std::min(count, kShown - m_shown.size());
    m_shown += QStringView(from).mid(at, shown);
    m_more += count - shown;
}

void RxLines::countOwed(qint64 nowMs, bool force, QStringList &lines)
{
    if (m_unwrittenReplies > 0 && (force || nowMs - m_second >= 1000)) {
        lines += QStringLiteral(" (%1 more replies, %2 characters: more than %3 lines a second)")
                     .arg(m_unwrittenReplies)
                     .arg(m_unwrittenCharacters)
                     .arg(kLinesPerSecond);
        m_unwrittenReplies = m_unwrittenCharacters = 0;
    }
    if (m_second < 0 || nowMs - m_second >= 1000) {
        m_second = nowMs;
        m_lines = 0;
    }
}

void RxLines::finishReply(qint64 nowMs, QStringList &lines)
{
    countOwed(nowMs, false, lines);
    if (m_lines < kLinesPerSecond) {
        ++m_lines;
        QString line = trace(m_shown);
        if (m_more > 0)
            line += QStringLiteral("(+%1 characters)").arg(m_more);
        lines += line;
    } else {
        ++m_unwrittenReplies;
        m_unwrittenCharacters += m_shown.size() + m_more;
    }
    m_shown.clear();
    m_more = 0;
    m_started = -1;
}

QStringList RxLines::arrived(const QString &characters, qint64 nowMs)
{
    QStringList lines = due(nowMs);
    qsizetype at = 0;
    while (at < characters.size()) {
        if (m_started < 0)
            m_started = nowMs;
        const qsizetype end = characters.indexOf(u'\r', at);
        if (end < 0) {
            take(characters.size() - at, characters, at);
            break;
        }
        take(end + 1 - at, characters, at);
        finishReply(nowMs, lines);
        at = end + 1;
    }
    return lines;
}

QStringList RxLines::windowEnded(qint64 nowMs)
{
    QStringList lines;
    if (m_started >= 0)
        finishReply(nowMs, lines);
    countOwed(nowMs, true, lines);
    return lines;
}

QStringList RxLines::due(qint64 nowMs)
{
    QStringList lines;
    if (m_started >= 0 && nowMs - m_started >= 1000)
        finishReply(nowMs, lines);
    countOwed(nowMs, false, lines);
    return lines;
}
