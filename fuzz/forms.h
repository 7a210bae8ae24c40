// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// The forms the console shows, written out from the tables they come from, apart
// from the code that builds them, so that a fault in one is caught by the other.
namespace fuzz {

// The trace of `text` is a leading space and then, for each character in turn,
// its piece from the trace table ("ACK ", "&", "CR ", "LF ", the character and a
// space, or "? "), and nothing else.
void checkTraceForm(const QString &text, const QString &trace);

// The nine decoded status queries, in the order the console tries them.
extern const char *const decodedQueries[9];

// What the decoders may give for `trace` after `sendText` was sent, with
// `addressPrefix` in force now: nothing unless sendText is the prefix, a decoded
// query and a carriage return; then the query's table text for the key at the start
// of the trace (nothing when no row has that key), or its formatted form.
void checkDecoded(const QString &trace, const QString &sendText, const QString &addressPrefix,
                  const std::optional<QString> &result);

} // namespace fuzz
