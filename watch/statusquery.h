// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "status/values.h"

#include <span>

namespace watch {

using status::Query;

// The status queries the watch asks every projector, in the order asked: power
// first, since a projector that does not answer it is not asked more.
std::span<const Query> queries();
// The catalogue's button that sends `query`.
QString buttonFor(Query query);

} // namespace watch
