// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace watch {

// Rounds start on a fixed grid: anchor, anchor + period, ... A round still
// running when its successor's time comes makes that successor wait for the
// next point of the grid after it ends, so a slow line keeps the grid and
// never runs rounds back to back.
struct RoundClock
{
    qint64 anchorMs = 0;
    qint64 periodMs = 60000;

    // When the next round starts after one that started at `startedMs` ended at `endedMs`.
    qint64 nextStart(qint64 startedMs, qint64 endedMs) const;
    // The round ended after its successor was due.
    bool late(qint64 startedMs, qint64 endedMs) const { return endedMs > startedMs + periodMs; }
};

} // namespace watch
