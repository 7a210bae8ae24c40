// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// A line configuration as the settings string gives it: "19200,N,8,1".
struct SerialSettings
{
    enum class Parity { None, Even, Odd, Mark, Space };
    enum class StopBits { One, OneAndHalf, Two };

    int baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    // Time one character takes on the wire (start bit, data, parity, stop bits).
    double characterMicroseconds() const;

    bool operator==(const SerialSettings &) const = default;
};

struct ParsedSettings
{
    std::optional<SerialSettings> settings;
    QString error; // what is wrong, when settings is empty
};

// Strict reading of "baud,parity,data,stop": the baud rate in ASCII digits
// without sign or leading zero, parity N/E/O/M/S, data bits 5 to 8, stop bits
// 1, 1.5 or 2; nothing else in any field.
ParsedSettings parseSettings(const QString &text);
