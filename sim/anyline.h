// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/commline.h"

#include <QString>
#include <memory>

// The line a device form stands for, as both front ends take it: "sim" (or
// "sim:FILE", staged by the state changes in FILE) is a simulated line of four
// projectors, tcp://HOST:PORT and rfc2217://HOST:PORT a port on a serial
// device server, anything else a device path.
std::unique_ptr<CommLine> makeLine(const QString &device);

// The forms above in a few words, for the options' help.
inline constexpr const char kDeviceForms[]
    = "\"sim\" or \"sim:FILE\" for simulated projectors, "
      "tcp://HOST:PORT or rfc2217://HOST:PORT for a serial device "
      "server";
