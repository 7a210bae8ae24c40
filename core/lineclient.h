// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lineprotocol.h"

#include <QHash>
#include <QObject>
#include <memory>

class LocalChannel;

// A program's hold on a console that serves its line: the console's intents
// (send a catalogue command, hold a repeating one, send typed text), each for
// a projector address and in the foreground or background, and their outcomes,
// as the console itself offers them. Each intent ends in exactly one outcome;
// when the console goes away, every intent still open ends as a line failure.
//
//     auto reached = LocalChannel::reach(device);
//     LineClient client(std::move(reached.channel), device, settings);
//     connect(&client, &LineClient::outcome, ...);
//     client.send("Command44", {"A001"});
class LineClient : public QObject
{
    Q_OBJECT

public:
    struct For
    {
        QString address;         // "", "AFFF", "A001" to "A004"
        bool background = false; // waits for the operator's hold, off the STATUS line
    };

    // `settings`: "19200,N,8,1" as the client expects the line; empty for any.
    LineClient(std::unique_ptr<LocalChannel> channel, QString device, QString settings,
               QObject *parent = nullptr);
    ~LineClient() override;

    // Each returns the intent its outcome will name; 0 when the console is gone
    // (the outcome is then told at once).
    quint64 send(const QString &id, const For &asked);
    quint64 hold(const QString &id, int ms, const For &asked);
    quint64 sendText(const QString &text, const For &asked);

    // Whether the traffic of this client's own commands is told (transmitted, arrived).
    void setTrafficTold(bool told) { m_traffic = told; }
    // The settings the client expects the line at, from its next intent on.
    void setSettings(const QString &settings) { m_settings = settings; }
    bool isOpen() const;
    void close();
    QString device() const { return m_device; }

signals:
    // How an intent ended; `outcome.intent` names it.
    void outcome(const Outcome &outcome);
    // The traffic of this client's own commands, as a console tells its own.
    void transmitted(const QString &text, quint64 intent);
    void arrived(const QString &characters);
    // The console went away, or refused this client; `why` says which.
    void gone(const QString &why);

private:
    quint64 ask(lineprotocol::Request request);
    void receive(const QByteArray &line);
    void fail(quint64 intent, const QString &why);
    void failAll(const QString &why);

    std::unique_ptr<LocalChannel> m_channel;
    QString m_device, m_settings;
    qint64 m_lastId = 0;
    QHash<qint64, QString> m_open; // intent: what it asked, for its outcome's name
    bool m_traffic = false;
    bool m_goneTold = false;
};
