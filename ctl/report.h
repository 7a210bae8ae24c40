#pragma once

#include "session.h"

// What projector-ctl prints on standard output.
namespace report {

// Every command name with its code and reply window.
void printList();

// The TXD, RXD and STATUS lines, or one JSON object on one line.
void printOutcome(const Outcome &outcome, bool json);

} // namespace report
