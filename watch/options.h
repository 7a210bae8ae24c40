// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "campus.h"

#include <QHostAddress>
#include <optional>

namespace watch {

enum class Output { Auto, Table, Json, Quiet };

struct WatchOptions
{
    QList<WatchedLine> lines;
    int periodSeconds = 60;
    QHostAddress listenAddress{QHostAddress::LocalHost};
    std::optional<quint16> listenPort; // none: no /metrics
    QString textfileDir;
    Output output = Output::Auto;
    quint64 rounds = 0; // 0: until stopped
};

// Prints "projector-watch: MESSAGE" on standard error.
void tell(const QString &message);

// Reads the command line; prints the problem and returns nothing on a usage error.
std::optional<WatchOptions> parseOptions(const QStringList &arguments);

} // namespace watch
