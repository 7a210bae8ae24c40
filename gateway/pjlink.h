// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// PJLink class 1, as a projector speaks it on TCP: requests "%1BODY PARAM",
// answers "%1BODY=RESULT", each ended by a carriage return.
namespace pjlink {

// The longest request line: a digest of 32 hex digits and a command of 136 bytes.
inline constexpr qsizetype kMaxLineLength = 32 + 136;

enum class Error { Undefined = 1, OutOfParameter = 2, Unavailable = 3, Failure = 4 };

struct Request
{
    char cls = '1';       // the class digit after '%'
    QByteArray body;      // four letters, upper case: "POWR"
    QByteArray parameter; // "?", "1", "31"
};

// What one line from a client is.
struct Parsed
{
    enum class Kind {
        Request,    // a command: `request` holds it
        Garbled,    // "%1" and a body, but not in a request's form: answered ERR1
        Unreadable, // not a request at all: the connection is ended
    };
    Kind kind = Kind::Unreadable;
    Request request;
    QByteArray digest; // the 32 hex digits before the command, when they came
};

Parsed parseLine(QByteArrayView line);

// "%1POWR=1\r"; the result is cut to what the body allows and stripped of
// characters a client could take for the end of the answer.
QByteArray answer(const Request &request, QByteArrayView result);
QByteArray answer(const Request &request, Error error);
QByteArrayView errorText(Error error);

// "PJLINK 0\r", or "PJLINK 1 " and the random characters for authentication.
QByteArray greeting(const std::optional<QByteArray> &random);
QByteArray authenticationRefused();
// Eight random characters for the greeting.
QByteArray randomChallenge();
// The 32 lower-case hex digits of MD5(random + password).
QByteArray digest(QByteArrayView random, QByteArrayView password);
// Whether `given` is the digest of `random` + `password` (case-insensitive hex).
bool digestMatches(QByteArrayView given, QByteArrayView random, QByteArrayView password);

} // namespace pjlink
