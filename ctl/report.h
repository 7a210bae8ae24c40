// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session.h"

#include <QJsonObject>

// What projector-ctl prints on standard output.
namespace report {

// Every command name with its code and reply window.
void printList();

// The TXD, RXD and STATUS lines, or one JSON object on one line. `value`: the
// typed value's JSON form, for an outcome that came without its typed value.
void printOutcome(const Outcome &outcome, bool json, const QJsonObject &value = {});

} // namespace report
