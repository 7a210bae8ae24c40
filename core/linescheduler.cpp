// SPDX-License-Identifier: GPL-3.0-or-later
#include "linescheduler.h"

#include <algorithm>

LineScheduler::LineScheduler(Clock &clock, QObject *parent) : QObject(parent), m_turn(clock)
{
    m_turn.setSingleShot(true);
    connect(&m_turn, &ConsoleTimer::timeout, this, [this] {
        m_turnDone = true;
        endTurnIfWanted();
    });
}

bool LineScheduler::add(Client client, const lineprotocol::Request &request)
{
    auto queue = std::find_if(m_round.begin(), m_round.end(),
                              [client](const Queue &q) { return q.client == client; });
    if (queue == m_round.end()) {
        m_round.push_back({client, {}});
        queue = std::prev(m_round.end());
    } else if (queue->requests.size() >= kQueueLimit) {
        return false;
    }
    queue->requests.push_back(request);
    endTurnIfWanted();
    return true;
}

int LineScheduler::waiting(Client client) const
{
    const auto queue = std::find_if(m_round.begin(), m_round.end(),
                                    [client](const Queue &q) { return q.client == client; });
    return queue == m_round.end() ? 0 : int(queue->requests.size());
}

void LineScheduler::remove(Client client)
{
    std::erase_if(m_round, [client](const Queue &q) { return q.client == client; });
}

std::vector<LineScheduler::Entry> LineScheduler::takeAll()
{
    std::vector<Entry> all;
    for (const Queue &queue : std::exchange(m_round, {})) {
        for (const lineprotocol::Request &request : queue.requests)
            all.push_back({queue.client, request});
    }
    return all;
}

std::optional<LineScheduler::Entry> LineScheduler::next(const Line &line)
{
    if (m_underWay || !line.settled)
        return std::nullopt;
    for (auto queue = m_round.begin(); queue != m_round.end(); ++queue) {
        const lineprotocol::Request &first = queue->requests.front();
        const bool waits = line.operatorHolds
                           && (first.kind == lineprotocol::Request::Kind::Hold || first.background);
        if (waits)
            continue;
        Entry entry{queue->client, first};
        Queue served = std::move(*queue);
        m_round.erase(queue);
        served.requests.pop_front();
        if (!served.requests.empty())
            m_round.push_back(std::move(served));

        m_underWay = true;
        if (entry.request.kind == lineprotocol::Request::Kind::Hold) {
            m_holder = entry.client;
            // A hold within its turn is never cut.
            if (entry.request.ms > m_holdTurnMs)
                m_turn.start(m_holdTurnMs);
        }
        return entry;
    }
    return std::nullopt;
}

void LineScheduler::finished()
{
    m_turn.stop();
    m_underWay = false;
    m_holder = nullptr;
    m_turnDone = m_operatorSent = m_cut = false;
}

void LineScheduler::operatorSent()
{
    if (!m_holder)
        return;
    m_operatorSent = true;
    endTurnIfWanted();
}

bool LineScheduler::othersWant() const
{
    return m_operatorSent || std::any_of(m_round.begin(), m_round.end(), [this](const Queue &q) {
               return q.client != m_holder;
           });
}

void LineScheduler::endTurnIfWanted()
{
    if (!m_holder || !m_turnDone || m_cut || !othersWant())
        return;
    m_cut = true;
    emit turnOver();
}
