#include "replymatcher.h"

#include <algorithm>

void ReplyMatcher::sent(qint64 nowMs, int windowMs, bool owed)
{
    if (m_inReply && nowMs - m_lastArrivalMs > kReplyGapMs) {
        m_inReply = false;
        m_reply.clear();
    }
    ++m_commands;
    m_latestWasOwed = owed;
    m_windowOpen = owed;
    m_latestAnswered = false;
    m_latestReply.clear();
    if (owed)
        m_owed.push_back({m_commands, nowMs + std::max(windowMs, kShortestOwedMs)});
}

void ReplyMatcher::windowEnded()
{
    m_windowOpen = false;
}

bool ReplyMatcher::latestOwed() const
{
    return !m_owed.empty() && m_owed.back().command == m_commands;
}

// Owed commands whose reply window has ended owe nothing any more. The latest
// command's window is the one the console times: it ends by windowEnded(),
// and not before its deadline.
void ReplyMatcher::expire(qint64 nowMs)
{
    std::erase_if(m_owed, [&](const Owed &owed) {
        const bool windowEnded = owed.command != m_commands || !m_windowOpen;
        return windowEnded && owed.deadlineMs < nowMs;
    });
}

bool ReplyMatcher::replyIsForLatest() const
{
    if (!m_owed.empty() && m_owed.front().command <= m_replyAfter)
        return m_owed.front().command == m_commands;
    // Nothing sent before this reply is owed one: a late reply to the latest
    // command, if that began after it and it is still waiting.
    return m_latestWasOwed && !m_latestAnswered && m_replyAfter == m_commands;
}

void ReplyMatcher::complete()
{
    if (replyIsForLatest()) {
        m_latestReply = m_reply;
        m_latestAnswered = true;
    }
    if (!m_owed.empty() && m_owed.front().command <= m_replyAfter)
        m_owed.pop_front();
    m_reply.clear();
    m_inReply = false;
}

bool ReplyMatcher::received(const QString &characters, qint64 nowMs)
{
    expire(nowMs);
    bool latestChanged = false;
    for (const QChar ch : characters) {
        if (!m_inReply) {
            m_inReply = true;
            m_replyAfter = m_commands;
        }
        if (m_reply.size() < kMaxReplyLength)
            m_reply += ch;
        if (ch == QLatin1Char('\r')) {
            const bool forLatest = replyIsForLatest();
            complete();
            latestChanged |= forLatest;
        }
    }
    m_lastArrivalMs = nowMs;
    if (m_inReply && replyIsForLatest()) {
        m_latestReply = m_reply;
        latestChanged = true;
    }
    return latestChanged;
}
