// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "outcome.h"

#include <QJsonObject>

// An outcome as it travels from a console to the client whose command it
// ended. The typed value travels in its JSON form, which is all a client prints.
namespace wire {

// The version of the protocol between a console and its clients; each end
// refuses a message of another.
inline constexpr int kVersion = 1;

QJsonObject toJson(const Outcome &outcome);

struct ClientOutcome
{
    Outcome outcome;   // without its typed value
    QJsonObject value; // the typed value's JSON form; empty when none
};

ClientOutcome fromJson(const QJsonObject &object);

} // namespace wire
