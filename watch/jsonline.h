// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reading.h"

#include <QByteArray>

namespace watch {

// One projector's reading as one line of JSON; absent values are left out.
QByteArray jsonLine(const Reading &reading);

} // namespace watch
