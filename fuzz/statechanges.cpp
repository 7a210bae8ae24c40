// SPDX-License-Identifier: GPL-3.0-or-later
// Lines of the simulated projectors' change language, as an operator types
// them: every line is read or refused with a reason, and a line read gives a
// change whose own line reads back to it.
#include "sim/statechanges.h"
#include "check.h"
#include "input.h"
#include "targets.h"

namespace fuzz::statechanges {

void fuzzOne(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const QString line = QString::fromUtf8(in.rest());
    const sim::ParsedChange parsed = sim::parseChange(line);
    if (!parsed.error.isEmpty())
        return;
    const sim::StateChange &change = parsed.change;
    FUZZ_CHECK(change.projector >= 0 && change.projector <= sim::ProjectorModel::ProjectorCount,
               QStringLiteral("projector %1 from %2").arg(change.projector).arg(shown(line)));
    if (change.kind == sim::StateChange::Kind::None)
        return;
    const QString again = sim::describe(change);
    const sim::ParsedChange reread = sim::parseChange(again);
    FUZZ_CHECK(reread.error.isEmpty() && reread.change == change,
               QStringLiteral("%1 described as %2").arg(shown(line), shown(again)));
}

} // namespace fuzz::statechanges
