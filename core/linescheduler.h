// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "clock.h"
#include "lineprotocol.h"

#include <QObject>
#include <QPointer>
#include <deque>
#include <optional>
#include <vector>

// Which of the requests that the clients of a served line have waiting goes
// next, and how long a client's hold may keep the others waiting.
//
// The operator comes first: a client's request goes only once the line has
// settled, one at a time; a hold or a background request also waits for the
// operator's hold to end, while a foreground command may go between two of
// its ticks. The clients take turns: each request served sends its client to
// the back of the round, so that one client's many requests never keep
// another's waiting; each client's own requests keep their order.
//
// A client's hold lasts its time while nobody else wants the line. Once it has
// lasted the hold turn (kHoldTurnMs unless set otherwise) and another client
// has a request waiting, or the operator sent a command during it, its turn is
// over: turnOver() asks for it to end, and cutShort() tells it.
class LineScheduler : public QObject
{
    Q_OBJECT

public:
    // How long a client's hold may keep another client or the operator waiting.
    static constexpr int kHoldTurnMs = 5000;
    // Requests a client may have waiting.
    static constexpr int kQueueLimit = 16;

    // A client, as its requests name it; the scheduler only tells them apart.
    using Client = QObject *;
    struct Entry
    {
        QPointer<QObject> client;
        lineprotocol::Request request;
    };
    // The console as a request would find it.
    struct Line
    {
        bool settled = false;       // open, no reply owed, nothing queued or held for a client
        bool operatorHolds = false; // the operator holds a repeating button
    };

    explicit LineScheduler(Clock &clock, QObject *parent = nullptr);

    void setHoldTurn(int ms) { m_holdTurnMs = ms; }
    int holdTurn() const { return m_holdTurnMs; }

    // Queues `request` behind the client's others; false when kQueueLimit of
    // them wait already.
    bool add(Client client, const lineprotocol::Request &request);
    int waiting(Client client) const;
    bool isEmpty() const { return m_round.empty(); }
    // Drops what `client` has waiting (it went away).
    void remove(Client client);
    // Everything waiting, in the order of the round; nothing waits after it.
    std::vector<Entry> takeAll();

    // The request to start now on `line`, if any; none while one is under way.
    std::optional<Entry> next(const Line &line);
    // The request under way ended (a hold: released, and its last reply in).
    void finished();
    bool busy() const { return m_underWay; }

    // The operator sent a command while the request under way ran.
    void operatorSent();
    // The hold under way was ended because its turn was over.
    bool cutShort() const { return m_cut; }

signals:
    // The hold under way has had its turn and somebody else wants the line.
    void turnOver();

private:
    struct Queue
    {
        Client client = nullptr;
        std::deque<lineprotocol::Request> requests;
    };

    bool othersWant() const;
    void endTurnIfWanted();

    ConsoleTimer m_turn;
    int m_holdTurnMs = kHoldTurnMs;
    // The clients with requests waiting, in the order of their turns.
    std::vector<Queue> m_round;
    bool m_underWay = false;
    Client m_holder = nullptr; // whose hold is under way
    bool m_turnDone = false;
    bool m_operatorSent = false;
    bool m_cut = false;
};
