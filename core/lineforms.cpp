#include "lineforms.h"

#include "link/deviceline.h"
#include "sim/simulatedline.h"

std::unique_ptr<CommLine> makeLine(const QString &device)
{
    if (device == QLatin1String("sim"))
        return std::make_unique<SimulatedLine>();
    return std::make_unique<DeviceLine>(device);
}
