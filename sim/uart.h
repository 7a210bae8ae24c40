// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

namespace sim {

// One character as the receiving port makes it out.
struct Received
{
    char byte;
    double doneUs; // after the start of the sending, when the port has it
};

// Time one 8N1 frame takes on the wire.
double frameMicroseconds(int baud);

// What a port read at `readBaud` makes of `bytes` sent back to back at
// `sentBaud`, both 8N1. At equal speeds, the bytes themselves. Otherwise the
// receiver times the bits by its own clock from each falling edge, sampling
// the middle of each of its bit times, and drops the characters whose stop
// bit it finds low, as a port set to ignore framing errors does.
QList<Received> crossLine(const QByteArray &bytes, int sentBaud, int readBaud);

// The characters alone.
QByteArray received(const QList<Received> &characters);

} // namespace sim
