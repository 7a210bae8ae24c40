// SPDX-License-Identifier: GPL-3.0-or-later
#include "statusquery.h"

namespace watch {

namespace {
constexpr QueryInfo kQueries[] = {
    {Query::Power, "Command44", "CR0"},
    {Query::Input, "Command45", "CR1"},
    {Query::MuteSignal, "Command12", "CRA"},
    {Query::Reversal, "Command47", "CR4"},
    {Query::LampTime, "Command46", "CR3"},
    {Query::Temperatures, "Command54", "CR6"},
    {Query::Pressure, "Command99", "CR PRESSURE"},
    {Query::LampMode, "Command55", "CR7"},
    {Query::LampFailures, "Command52", "CR INFPFAIL"},
};
} // namespace

std::span<const QueryInfo> queries()
{
    return kQueries;
}

const QueryInfo &info(Query query)
{
    return kQueries[int(query)];
}

} // namespace watch
