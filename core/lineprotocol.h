// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "outcomewire.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The protocol between a console serving its line and its clients: one JSON
// object a line, each carrying the protocol's version ("v"), which both ends
// check.
//
// A request: {"v", "id", "settings", "address", "log", "background"} and one
// of "command" (a catalogue id), "hold" with "ms", or "text". Its answer:
// {"v", "id", "outcome"} and, when it asked for "log", {"v", "id", "tx"|"rx"}
// for its own command's traffic. A refusal of the connection itself has id 0.
namespace lineprotocol {

inline constexpr int kVersion = wire::kVersion;
inline constexpr qsizetype kMaxTextLength = 256;
inline constexpr int kLongestHoldMs = 600000;

struct Request
{
    enum class Kind { Command, Hold, Text };

    qint64 id = 0;
    Kind kind = Kind::Command;
    QString name;            // catalogue id, for a command or a hold
    int ms = 0;              // how long a hold lasts
    QString text;            // typed text, sent as SEND sends it
    QString settings;        // "19200,N,8,1"; empty: whatever the console holds
    QString address;         // "", "AFFF" or "A001" to "A004"
    bool log = false;        // its traffic comes back too
    bool background = false; // waits for the operator's hold, off the STATUS line

    bool operator==(const Request &other) const = default;
};

QByteArray encode(const Request &request);

// Reads one request. None when it is no request of this version or breaks its
// bounds; `why` then says so and `id` is the id it carried, if any.
std::optional<Request> decodeRequest(const QByteArray &line, QString *why, qint64 *id = nullptr);

// What a console sends back.
struct Message
{
    enum class Kind { Outcome, Transmitted, Arrived };

    qint64 id = 0;
    Kind kind = Kind::Outcome;
    Outcome outcome; // with its typed value, for Kind::Outcome
    QString text;    // the traffic, for Transmitted and Arrived
};

QByteArray encodeOutcome(qint64 id, const Outcome &outcome);
QByteArray encodeTraffic(qint64 id, Message::Kind kind, const QString &text);
// None when it is no message of this version; `why` then says so.
std::optional<Message> decodeMessage(const QByteArray &line, QString *why);

} // namespace lineprotocol
