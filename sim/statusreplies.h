// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "projector.h"

#include <QByteArray>

namespace sim {

// The reply to a status read ("CR0", "CR PRESSURE", ...), carriage return
// included; empty when `code` is no status read.
QByteArray statusReply(const ProjectorState &state, const QByteArray &code);

} // namespace sim
