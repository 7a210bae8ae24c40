#include "lineforms.h"

#include "link/lineforms.h"
#include "sim/simulatedline.h"

std::unique_ptr<CommLine> makeLine(const QString &device)
{
    if (auto line = makeSimulatedLine(device))
        return line;
    return makeDeviceLine(device);
}
