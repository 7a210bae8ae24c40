// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <span>

namespace watch {

// The status queries the watch asks every projector, in the order asked:
// power first, since a projector that does not answer it is not asked more.
enum class Query { Power, Input, MuteSignal, Reversal, LampTime, Temperatures, Pressure, LampMode, LampFailures };

struct QueryInfo
{
    Query query;
    const char *button; // the one-shot button that sends it
    const char *code;
};

std::span<const QueryInfo> queries();
const QueryInfo &info(Query query);

} // namespace watch
