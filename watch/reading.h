// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "statusquery.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace watch {

// What one round learnt of one projector. A value is present only when the
// projector answered its query in that round.
struct Reading
{
    QString line;    // the line's name
    int address = 0; // 0: the projector without an address
    quint64 round = 0;
    bool up = false; // it answered the power status query
    QDateTime lastAnswer; // the latest answer ever, kept while it is down
    double replySeconds = 0; // how long the power status query took

    std::optional<QString> power; // a state of powerStates()
    std::optional<int> input;     // 1..4
    std::optional<bool> signal, videoMute, audioMute;
    std::optional<bool> flipTopBottom, flipLeftRight;
    std::optional<qint64> lampHours;
    std::optional<double> temperature1, temperature2; // degrees Celsius
    std::optional<int> pressureHpa;
    std::optional<QString> lampMode; // a mode of lampModes()
    std::optional<int> lampsOn, lampsFailed; // masks: bit 0 = lamp 1

    // The values, without line, round and times, are the same.
    bool sameValues(const Reading &other) const;
};

// The label values of the power state and the lamp mode, every one of which is
// exported (1 for the current, 0 for the others).
std::span<const char *const> powerStates();
std::span<const char *const> lampModes();

// Takes a query's reply into the reading; a reply that does not fit the query
// leaves its value absent.
void take(Reading &reading, Query query, const QString &reply);

} // namespace watch
