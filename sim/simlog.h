// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace sim {

// Receives one line of the simulator's traffic log, without timestamp.
using LogHook = std::function<void(const QString &line)>;

// "A002CR0<CR>", "<ACK><CR>": printable characters as they are, control
// characters by name.
QString readable(const QByteArray &bytes);

} // namespace sim
