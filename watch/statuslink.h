// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/outcome.h"
#include "statusquery.h"

#include <QObject>
#include <QString>
#include <optional>

namespace watch {

// What became of one query.
struct LinkAnswer
{
    bool answered = false;              // the projector answered it (a refusal too)
    std::optional<status::Value> value; // its reply as a value, when it read as one
    qint64 milliseconds = 0;            // from the query until its reply
    bool lineFailed = false;            // the line refused the query or went away
    QString failure;

    // What an outcome of the console says of the query.
    static LinkAnswer of(const Outcome &outcome)
    {
        using Result = Outcome::Result;
        LinkAnswer answer;
        answer.answered = outcome.result == Result::Answered || outcome.result == Result::Refused;
        answer.value = outcome.value;
        answer.milliseconds = outcome.milliseconds;
        answer.lineFailed = outcome.result == Result::LineFailed;
        answer.failure = outcome.failure;
        return answer;
    }
};

// The address prefix of projector `address`; 0: the projector without one.
inline QString addressPrefix(int address)
{
    return address == 0 ? QString() : QStringLiteral("A%1").arg(address, 3, 10, QLatin1Char('0'));
}

// One line as the watch uses it: ask one projector one query, hear back once.
// Address 0 is the projector on the line without an address.
class StatusLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // (Re)opens the line; false with a reason when it cannot.
    virtual bool open(QString *error) = 0;
    virtual bool isOpen() const = 0;
    // One query at a time: answered() follows every ask().
    virtual void ask(int address, Query query) = 0;
    // The round is over; the line may be let go until the next opens it.
    virtual void roundEnded() {}

signals:
    void answered(const watch::LinkAnswer &answer);
};

} // namespace watch
