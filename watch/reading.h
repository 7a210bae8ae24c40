// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "statusquery.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace watch {

// How a projector's address is named in the table and the metrics.
inline QString addressName(int address)
{
    return address == 0 ? QStringLiteral("single") : QString::number(address);
}

// What one round learnt of one projector. A value is present only when the
// projector answered its query in that round with a reply of the query's form.
struct Reading
{
    QString line;    // the line's name
    int address = 0; // 0: the projector without an address
    quint64 round = 0;
    bool up = false;         // it answered the power status query
    QDateTime lastAnswer;    // the latest answer ever, kept while it is down
    double replySeconds = 0; // how long the power status query took

    std::optional<status::PowerState> power;
    std::optional<quint8> powerBits; // a status byte the table has no row for
    std::optional<int> input;        // 1..4
    std::optional<status::MuteSignal> muteSignal;
    std::optional<status::Reversal> reversal;
    std::optional<qint64> lampHours;
    std::optional<status::Temperatures> temperatures;
    std::optional<qint64> pressureHpa;
    std::optional<status::LampMode> lampMode;
    std::optional<quint8> lampsFailed; // bit n-1 set: lamp n has failed

    // The values alone, as JSON fields; equal for two readings that agree.
    QJsonObject values() const;
};

// Takes a reply's value into the reading.
void take(Reading &reading, const status::Value &value);

// "four-lamps", "lamps-1-4", "lamps-2-3" for modes 0..2.
QLatin1StringView lampModeName(int mode);

} // namespace watch
