#pragma once

#include "projector.h"

#include <QByteArray>

namespace sim {

// The reply to a status read ("CR0", "CR PRESSURE", ...), carriage return
// included; empty when `code` is no status read.
QByteArray statusReply(const ProjectorState &state, const QByteArray &code);

} // namespace sim
