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
// as the text shown on the STATUS line ("650 hPa").
QString pressureText(const QString &trace);

} // namespace status
