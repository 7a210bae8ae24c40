#pragma once

#include "link/commline.h"

#include <QString>
#include <memory>

// The line a device form stands for, as both front ends take it: "sim" is a
// simulated line of four projectors, anything else a device path.
std::unique_ptr<CommLine> makeLine(const QString &device);
