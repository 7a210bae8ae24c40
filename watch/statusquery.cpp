// SPDX-License-Identifier: GPL-3.0-or-later
#include "statusquery.h"

#include "core/catalogue.h"

namespace watch {

namespace {
constexpr Query kQueries[] = {
    Query::Power,        Query::Input,    Query::MuteSignal, Query::Reversal,     Query::LampTime,
    Query::Temperatures, Query::Pressure, Query::LampMode,   Query::LampFailures,
};
} // namespace

std::span<const Query> queries()
{
    return kQueries;
}

QString buttonFor(Query query)
{
    const QLatin1StringView code = status::codeOf(query);
    for (const commands::OneShot &button : commands::oneShots()) {
        if (button.code == code)
            return button.name;
    }
    return {};
}

} // namespace watch
