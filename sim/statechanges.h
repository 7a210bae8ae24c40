// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "projectormodel.h"

#include <QString>
#include <QStringView>

namespace sim {

// One change an operator makes to the simulated projectors while they run,
// written as one line: "power 2 cooling", "mute 1 video", "pressure all 512".
struct StateChange
{
    enum class Kind {
        None, // blank line or comment
        Help,
        Power,        // value: power status byte
        InputMode,    // value: 1..4
        Mute,         // value: 1 = video (no show), 2 = audio, 3 = both
        Signal,       // value: 1 = a source is present
        Reversal,     // value: 1 = top/bottom, 2 = left/right, 3 = both
        LampMode,     // value: LampMode
        Lamps,        // value: mask of lit lamps
        LampFailure,  // value: mask of failed lamps
        LampHours,    // value: hours
        Temperatures, // value: S1, second: S2, in 0.1 degC
        Pressure,     // value: raw sensor reading
        Speed,        // value: baud rate of the projectors' ports
    };

    Kind kind = Kind::None;
    int projector = 0; // 1..4, 0 = all four
    int value = 0;
    int second = 0;

    bool operator==(const StateChange &) const = default;
};

struct ParsedChange
{
    StateChange change;
    QString error; // what is wrong with the line; empty when it was understood
};

// Reads one line of the change language. Never fails on any input but with an error text.
ParsedChange parseChange(QStringView line);

// Applies a change at `nowMs` on the model's clock (Help and None change nothing).
void applyChange(ProjectorModel &model, const StateChange &change, qint64 nowMs);

// The change as a line of the language ("power 2 cooling"); parses back to itself.
QString describe(const StateChange &change);

// The language, one line per verb, for "help".
QString changeHelp();

// Applies every line of `text`; returns "line N: error" for the first line not
// understood, after which nothing more is applied.
QString applyChanges(ProjectorModel &model, const QString &text, qint64 nowMs);

} // namespace sim
