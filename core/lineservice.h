// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lineprotocol.h"
#include "linescheduler.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class Console;
class LocalChannel;
class LocalEndpoint;

// Serves the line a console holds to the programs of this computer
// (projector-ctl): each client's commands run on the line between the
// operator's, one whole command at a time, never while a reply is still owed;
// an operator's press-and-hold keeps its ticks and lets a command in between
// two of them. Each outcome goes back to the client whose command it ended.
//
// Clients speak the protocol of lineprotocol.h (LineClient is one). A command
// marked "background" (a watch's polling) waits until the operator holds
// nothing, and its reply stays off the STATUS line. LineScheduler decides
// whose command goes next: the clients take turns, and a client's hold ends
// after LineScheduler::kHoldTurnMs when another client or the operator wants
// the line, its outcome a line failure that says it was cut short.
class LineService : public QObject
{
    Q_OBJECT

public:
    // Commands a client may have waiting; beyond, each is refused at once.
    static constexpr int kQueueLimit = LineScheduler::kQueueLimit;

    // What one client may take of the console.
    struct Limits
    {
        // Connections of the users other than the console's own and root,
        // together; those two always get theirs.
        int clients = 32;
        // Connections of any one user.
        int perUser = 8;
        // Replies sent to a client and not yet read by it: beyond, it is dropped.
        qint64 heldBytes = 64 * 1024;
        // A connection with nothing asked and nothing under way is closed after it.
        int idleMs = 120000;
        // A client's hold ends after it when another client or the operator
        // wants the line.
        int holdTurnMs = LineScheduler::kHoldTurnMs;
    };

    // `deviceOf(port)`: the device behind a port as the program was given it.
    LineService(Console &console, std::function<QString(int port)> deviceOf,
                QObject *parent = nullptr);
    ~LineService() override;

    // Serves the line the console holds now; nothing while its port is closed.
    // Also checked by itself a few times a second and when the line is lost.
    void refresh();
    QString endpoint() const;
    // Whose command of `intent` is: "pid 4242 (projector-ctl), uid 0" for a
    // client's under way; empty for the operator's.
    QString senderOf(quint64 intent) const;
    void setLimits(const Limits &limits);

signals:
    // Serving the line failed (the console goes on without serving it), or a
    // client was dropped.
    void problem(const QString &description);

private:
    struct Request
    {
        QPointer<LocalChannel> client;
        lineprotocol::Request body;
    };
    struct InFlight
    {
        Request request;
        quint64 intent = 0;
        bool calling = true;
        bool hold = false;
        bool released = false;
        bool sentAny = false;
        int ended = 0;
        Outcome latest;
    };

    struct Client
    {
        uint uid = 0;
        QTimer *idle = nullptr;
    };

    void arrived(LocalChannel *channel);
    QString admission(const LocalChannel *channel) const;
    void send(LocalChannel *channel, const QByteArray &message);
    void idled(LocalChannel *channel);
    void receive(LocalChannel *channel, const QByteArray &line);
    void gone(LocalChannel *channel);
    void refuse(LocalChannel *channel, qint64 id, const QString &why);
    QString check(const lineprotocol::Request &body) const;
    void scheduleDispatch();
    void dispatch();
    void start(Request request);
    void cutHold();
    void ended(const Outcome &outcome);
    void holdReleased();
    void finishIfDone();
    void event(lineprotocol::Message::Kind kind, const QString &text);
    void stopServing(const QString &why);

    Console &m_console;
    std::function<QString(int)> m_deviceOf;
    std::unique_ptr<LocalEndpoint> m_endpoint;
    QString m_served;
    Limits m_limits;
    QHash<LocalChannel *, Client> m_clients;
    LineScheduler m_scheduler;
    std::optional<InFlight> m_inFlight;
    QTimer m_poll;
    bool m_dispatchDue = false;
};
