// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The decoders of the single status replies. Each reads the trace of the reply as the
// RXD line shows it: the n-th reply character stands at position 2n (position 1 is the
// leading space) as long as no control character comes before it.
namespace status {

// The first n characters of the trace, or the whole trace if it is shorter.
QString left(const QString &trace, int n);
// The n characters from the 1-based `position` on; fewer if the trace ends sooner,
// empty if it is shorter than `position`.
QString mid(const QString &trace, int position, int n);

// Table lookups on the first reply characters; no value when the key is in no row.
std::optional<QString> powerStatus(const QString &trace);
std::optional<QString> inputMode(const QString &trace);
std::optional<QString> reversal(const QString &trace);
std::optional<QString> muteAndSignal(const QString &trace);
std::optional<QString> lampMode(const QString &trace);

// Texts built from whatever has arrived so far; these always have a result.
QString lampTime(const QString &trace);
QString temperatures(const QString &trace);
QString pcType(const QString &trace);

} // namespace status
