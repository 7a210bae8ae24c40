// SPDX-License-Identifier: GPL-3.0-or-later
#include "anyline.h"

#include "link/lineforms.h"
#include "simulatedline.h"

std::unique_ptr<CommLine> makeLine(const QString &device)
{
    if (auto line = makeSimulatedLine(device))
        return line;
    return makeDeviceLine(device);
}
