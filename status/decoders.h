// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

namespace status {

// Decodes the reply to the latest status query for the STATUS line.
// `trace` is the trace of the received text as the RXD line shows it,
// `sendText` the latest command text, `addressPrefix` the prefix in force now.
// Returns no value when the latest command is no decoded query or the reply
// matches no key; the STATUS line then keeps what it shows.
std::optional<QString> decode(const QString &trace, const QString &sendText,
                              const QString &addressPrefix);

// The pressure reply: the number at the start of the trace, converted to hPa,
// as the text shown on the STATUS line ("650 hPa"). Only the first
// pressureReadLimit characters of the trace are read: a reading is a few digits,
// and a longer run is noise that must not make every reception cost its length.
QString pressureText(const QString &trace);
inline constexpr qsizetype pressureReadLimit = 256;
// The reading rounded (halves to even) and bounded far beyond any sensor's range,
// and the pressure in hPa it stands for.
qint64 pressureReading(double reading);
qint64 hectopascal(qint64 reading);

} // namespace status
