// SPDX-License-Identifier: GPL-3.0-or-later
#include "statusquery.h"

namespace watch {

namespace {
constexpr QueryInfo kQueries[] = {
    {Query::Power, "Command44"},        {Query::Input, "Command45"},
    {Query::MuteSignal, "Command12"},   {Query::Reversal, "Command47"},
    {Query::LampTime, "Command46"},     {Query::Temperatures, "Command54"},
    {Query::Pressure, "Command99"},     {Query::LampMode, "Command55"},
    {Query::LampFailures, "Command52"},
};
} // namespace

std::span<const QueryInfo> queries()
{
    return kQueries;
}

const char *buttonFor(Query query)
{
    for (const QueryInfo &q : kQueries) {
        if (q.query == query)
            return q.button;
    }
    return nullptr;
}

} // namespace watch
