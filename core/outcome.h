// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "status/values.h"

#include <QString>
#include <optional>

// How one command ended.
struct Outcome
{
    enum class Result {
        Answered,        // a reply that can be its own came
        Refused,         // the projector answered "?"
        Silent,          // nothing that could be its reply came
        NotAttributable, // a reply came that could as well be another projector's
        NotOwed,         // sent to all projectors, which do not answer
        LineFailed,      // the line refused the command or went away
    };

    quint64 intent = 0;                 // the intent that sent it (a hold sends several commands)
    quint64 command = 0;                // numbered in the order sent
    QString name;                       // catalogue id, or the typed text
    QString sent;                       // trace of the text sent, as the TXD line shows it
    QString received;                   // trace of its reply, else of what came while it
                                        // waited; " X X X X" when nothing came
    QString status;                     // the STATUS line's text for its reply; empty when none
    std::optional<status::Value> value; // the reply as a typed value, for a query
    Result result = Result::Silent;
    QString failure;         // the line's description, for LineFailed
    qint64 milliseconds = 0; // from the transmission until it settled

    bool answered() const { return result == Result::Answered || result == Result::NotOwed; }
};

QLatin1StringView nameOf(Outcome::Result result);
