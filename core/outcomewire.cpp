// SPDX-License-Identifier: GPL-3.0-or-later
#include "outcomewire.h"

#include <optional>

namespace wire {
namespace {

std::optional<Outcome::Result> resultNamed(QStringView name)
{
    using R = Outcome::Result;
    for (const R result :
         {R::Answered, R::Refused, R::Silent, R::NotAttributable, R::NotOwed, R::LineFailed}) {
        if (nameOf(result) == name)
            return result;
    }
    return std::nullopt;
}

} // namespace

QJsonObject toJson(const Outcome &outcome)
{
    QJsonObject object{{QStringLiteral("command"), outcome.name},
                       {QStringLiteral("sent"), outcome.sent},
                       {QStringLiteral("received"), outcome.received},
                       {QStringLiteral("status"), outcome.status},
                       {QStringLiteral("result"), QString(nameOf(outcome.result))},
                       {QStringLiteral("failure"), outcome.failure},
                       {QStringLiteral("milliseconds"), outcome.milliseconds}};
    if (outcome.value)
        object.insert(QStringLiteral("value"), status::toJson(*outcome.value));
    return object;
}

ClientOutcome fromJson(const QJsonObject &object)
{
    ClientOutcome client;
    Outcome &outcome = client.outcome;
    outcome.name = object.value(QStringLiteral("command")).toString();
    outcome.sent = object.value(QStringLiteral("sent")).toString();
    outcome.received = object.value(QStringLiteral("received")).toString();
    outcome.status = object.value(QStringLiteral("status")).toString();
    outcome.failure = object.value(QStringLiteral("failure")).toString();
    outcome.milliseconds = object.value(QStringLiteral("milliseconds")).toInteger();
    outcome.result = resultNamed(object.value(QStringLiteral("result")).toString())
                         .value_or(Outcome::Result::LineFailed);
    if (outcome.result == Outcome::Result::LineFailed && outcome.failure.isEmpty())
        outcome.failure = QStringLiteral("the console sent an outcome this program cannot read");
    client.value = object.value(QStringLiteral("value")).toObject();
    return client;
}

} // namespace wire
