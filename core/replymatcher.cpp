// SPDX-License-Identifier: GPL-3.0-or-later
#include "replymatcher.h"

#include <algorithm>
#include <utility>

namespace {

bool isTerminator(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// A status byte that reads only by its bits, having no row in the table.
bool readsByBits(std::optional<status::Query> query, QStringView reply)
{
    if (query != status::Query::Power)
        return false;
    const auto value = status::readValue(*query, reply);
    return value && std::holds_alternative<status::PowerBits>(*value);
}

} // namespace

QStringView ReplyMatcher::body(const QString &reply)
{
    QStringView text(reply);
    while (!text.isEmpty() && isTerminator(text.back()))
        text.chop(1);
    return text;
}

bool ReplyMatcher::owedAt(const Owed &owed, qint64 nowMs) const
{
    return owed.windowOpen || owed.deadlineMs >= nowMs;
}

void ReplyMatcher::sent(const Command &command, qint64 nowMs, int windowMs)
{
    if (m_inReply && nowMs - m_lastArrivalMs > kReplyGapMs)
        endReply();
    m_noise.clear();
    for (Owed &owed : m_owed) {
        if (owed.windowOpen) {
            owed.windowOpen = false;
            owed.windowEndMs = nowMs;
        }
    }
    m_latest = command;
    m_latestAnswered = false;
    m_latestReply.clear();
    if (command.owed)
        m_owed.push_back(
            {command, nowMs + std::max(windowMs, kShortestOwedMs), true, nowMs, {}, {}});
    else
        m_settled.append({command.id, Result::NotOwed, QString(), QString()});
}

void ReplyMatcher::windowEnded(qint64 nowMs)
{
    for (Owed &owed : m_owed) {
        if (owed.command.id == m_latest.id && owed.windowOpen) {
            owed.windowOpen = false;
            owed.windowEndMs = nowMs;
        }
    }
}

// The commands the reply in progress may answer: per projector the oldest owed
// one sent before the reply began whose forms it fits, and the latest command's
// late reply. A status byte the table has no row for fits STATUS only where no
// later command of that projector has it as a code of its own.
QList<ReplyMatcher::Fitting> ReplyMatcher::fitting(bool complete, qint64 nowMs) const
{
    const QStringView reply = body(m_reply);
    QList<Fitting> fits;
    QStringList owing; // projectors owing a reply to a command sent before it
    for (const Owed &owed : m_owed) {
        const QString &projector = owed.command.projector;
        if (owed.command.id > m_replyAfter || !owedAt(owed, nowMs))
            continue;
        if (!owing.contains(projector))
            owing << projector;
        const status::Fit fit = status::fit(owed.command.query, reply, complete);
        if (fit == status::Fit::No)
            continue;
        const Fitting fitting{owed.command.id, projector, fit == status::Fit::Whole,
                              readsByBits(owed.command.query, reply)};
        const auto chosen = std::find_if(
            fits.begin(), fits.end(), [&](const Fitting &f) { return f.projector == projector; });
        if (chosen == fits.end())
            fits.append(fitting);
        else if (chosen->byBits && fitting.whole && !fitting.byBits)
            *chosen = fitting;
    }
    const bool late = m_latest.owed && !m_latestAnswered && m_replyAfter == m_latest.id
                      && !owing.contains(m_latest.projector);
    if (late) {
        const status::Fit fit = status::fit(m_latest.query, reply, complete);
        if (fit != status::Fit::No)
            fits.append({m_latest.id, m_latest.projector, fit == status::Fit::Whole, false});
    }
    return fits;
}

ReplyMatcher::Owed *ReplyMatcher::find(quint64 command)
{
    const auto it = std::find_if(m_owed.begin(), m_owed.end(),
                                 [&](const Owed &owed) { return owed.command.id == command; });
    return it == m_owed.end() ? nullptr : &*it;
}

// The projector answered `command`: the ones it got before it went unanswered.
void ReplyMatcher::answer(quint64 command, const QString &reply, const QString &noise)
{
    const auto it = std::find_if(m_owed.begin(), m_owed.end(),
                                 [&](const Owed &owed) { return owed.command.id == command; });
    if (it == m_owed.end())
        return;
    const QString projector = it->command.projector;
    const Result result = status::isRefusal(body(reply)) ? Result::Refused : Result::Answered;
    m_settled.append({command, result, reply, noise});
    m_owed.erase(it);
    for (auto skipped = m_owed.begin(); skipped != m_owed.end();) {
        if (skipped->command.id < command && skipped->command.projector == projector) {
            m_settled.append({skipped->command.id,
                              skipped->ambiguous ? Result::NotAttributable : Result::Silent,
                              QString(), QString()});
            skipped = m_owed.erase(skipped);
        } else {
            ++skipped;
        }
    }
}

ReplyMatcher::Reply ReplyMatcher::offer(bool complete, qint64 nowMs)
{
    const QList<Fitting> fits = fitting(complete, nowMs);
    // A beginning that fits several may yet come to fit one.
    const bool whole
        = std::all_of(fits.begin(), fits.end(), [](const Fitting &f) { return f.whole; });
    if (fits.size() > 1 && (complete || whole)) {
        for (const Fitting &f : fits) {
            if (Owed *owed = find(f.command))
                owed->ambiguous = true;
        }
    }
    const quint64 command = fits.size() == 1 ? fits.front().command : 0;
    // The reply in progress is the only one a command may hold, and only while it fits.
    for (Owed &owed : m_owed) {
        owed.reply.clear();
        owed.noise.clear();
    }
    if (command != 0 && command == m_latest.id) {
        m_latestReply = m_reply;
        m_latestAnswered = complete;
    }
    if (command != 0 && complete) {
        answer(command, m_reply, m_replyNoise);
    } else if (Owed *owed = command != 0 ? find(command) : nullptr) {
        owed->reply = m_reply;
        owed->noise = m_replyNoise;
    }
    return {command, m_reply, complete, m_replyNoise};
}

// A transmission ends an incomplete reply: it answers its command if it reads
// as that command's reply.
void ReplyMatcher::endReply()
{
    for (Owed &owed : m_owed) {
        if (owed.reply.isEmpty())
            continue;
        const bool reads
            = status::fit(owed.command.query, body(owed.reply), false) == status::Fit::Whole;
        if (reads) {
            answer(owed.command.id, owed.reply, owed.noise);
            break;
        }
        owed.reply.clear();
        owed.noise.clear();
    }
    m_inReply = false;
    m_reply.clear();
    m_replyNoise.clear();
}

QList<ReplyMatcher::Reply> ReplyMatcher::received(const QString &characters, qint64 nowMs)
{
    QList<Reply> replies;
    for (const QChar ch : characters) {
        if (!m_pairedTerminator.isNull()) {
            const bool paired = ch == m_pairedTerminator;
            m_pairedTerminator = QChar();
            if (paired)
                continue;
        }
        if (!m_inReply) {
            if (status::beginsNoReply(ch)) {
                if (m_noise.size() == kMaxNoiseLength)
                    m_noise.remove(0, 1);
                m_noise += ch;
                continue;
            }
            m_inReply = true;
            m_replyAfter = m_latest.id;
            m_reply.clear();
            m_replyNoise = std::exchange(m_noise, QString());
        }
        if (m_reply.size() < kMaxReplyLength)
            m_reply += ch;
        if (isTerminator(ch)) {
            replies.append(offer(true, nowMs));
            m_pairedTerminator = ch == QLatin1Char('\r') ? QLatin1Char('\n') : QLatin1Char('\r');
            m_inReply = false;
            m_reply.clear();
            m_replyNoise.clear();
        }
    }
    m_lastArrivalMs = nowMs;
    if (m_inReply)
        replies.append(offer(false, nowMs));
    return replies;
}

// A reply the lost characters cut through is nobody's: what came of it may
// have been one, so the command it began to answer cannot be called silent.
void ReplyMatcher::inputLost()
{
    for (Owed &owed : m_owed) {
        if (!owed.reply.isEmpty())
            owed.ambiguous = true;
        owed.reply.clear();
        owed.noise.clear();
    }
    m_inReply = false;
    m_reply.clear();
    m_replyNoise.clear();
    m_noise.clear();
    m_pairedTerminator = QChar();
}

qint64 ReplyMatcher::settleAt(const Owed &owed) const
{
    const qint64 ended = std::max(owed.deadlineMs, owed.windowEndMs) + kQuietGapMs;
    return std::max(ended, m_lastArrivalMs + kQuietGapMs);
}

QList<ReplyMatcher::Settled> ReplyMatcher::settle(qint64 nowMs)
{
    QList<Settled> settled;
    settled.swap(m_settled);
    for (auto it = m_owed.begin(); it != m_owed.end();) {
        if (it->windowOpen || settleAt(*it) > nowMs) {
            ++it;
            continue;
        }
        // A reply without its terminator answers when what came reads.
        const bool reads
            = !it->reply.isEmpty()
              && status::fit(it->command.query, body(it->reply), false) == status::Fit::Whole;
        if (reads)
            settled.append({it->command.id, Result::Answered, it->reply, it->noise});
        else
            settled.append({it->command.id,
                            it->ambiguous ? Result::NotAttributable : Result::Silent, QString(),
                            QString()});
        it = m_owed.erase(it);
    }
    return settled;
}

std::optional<qint64> ReplyMatcher::nextSettleMs(qint64 nowMs) const
{
    std::optional<qint64> next;
    const auto consider = [&next](qint64 ms) { next = std::min(next.value_or(ms), ms); };
    for (const Owed &owed : m_owed) {
        if (!owed.windowOpen)
            consider(settleAt(owed));
    }
    // Characters after every command's end: the line is idle once they stop.
    if (m_inReply && nowMs - m_lastArrivalMs < kReplyGapMs)
        consider(m_lastArrivalMs + kReplyGapMs);
    return next;
}

bool ReplyMatcher::idle(qint64 nowMs) const
{
    // Quiet for kReplyGapMs, as a command settles.
    const bool arriving = m_inReply && nowMs - m_lastArrivalMs < kReplyGapMs;
    return m_owed.empty() && m_settled.isEmpty() && !arriving;
}
