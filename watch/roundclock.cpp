// SPDX-License-Identifier: GPL-3.0-or-later
#include "roundclock.h"

namespace watch {

qint64 RoundClock::nextStart(qint64 startedMs, qint64 endedMs) const
{
    const qint64 due = startedMs + periodMs;
    if (endedMs <= due)
        return due;
    const qint64 missed = (endedMs - anchorMs + periodMs - 1) / periodMs;
    return anchorMs + missed * periodMs;
}

} // namespace watch
