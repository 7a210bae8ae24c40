// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "status/values.h"

#include <span>

namespace watch {

using status::Query;

// A status query the watch asks every projector and the one-shot button that
// sends it, in the order asked: power first, since a projector that does not
// answer it is not asked more.
struct QueryInfo
{
    Query query;
    const char *button;
};

std::span<const QueryInfo> queries();
// The button that sends `query`.
const char *buttonFor(Query query);

} // namespace watch
