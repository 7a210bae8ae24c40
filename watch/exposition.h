// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reading.h"

#include <QList>
#include <QString>

namespace watch {

// How a line's rounds went.
struct LineRounds
{
    QString line;
    quint64 rounds = 0; // finished
    quint64 late = 0;   // finished after the next was due
    double lastSeconds = 0;
};

// The Prometheus text exposition (format 0.0.4) of the latest reading of every
// projector and the rounds of every line. A projector that is down shows only
// projector_up 0 and when it last answered: no value outlives its answer.
QString exposition(const QList<Reading> &readings, const QList<LineRounds> &lines);

} // namespace watch
