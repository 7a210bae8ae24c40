// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config.h"

#include <QStringList>
#include <optional>

namespace gateway {

// Prints "projector-gateway: MESSAGE" on standard error.
void tell(const QString &message);

// The configuration the command line gives, its file read; nothing, the
// problem told, on a usage error.
std::optional<GatewayConfig> parseOptions(const QStringList &arguments);

// The password in `path`, a file that only its owner may read; nothing, with
// the reason, when it is readable by others, unreadable or not a password.
std::optional<QByteArray> readPasswordFile(const QString &path, QString *error);

} // namespace gateway
