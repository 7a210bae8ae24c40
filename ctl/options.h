// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session.h"

#include <QList>
#include <QString>
#include <optional>

// What the command line of projector-ctl asks for.
struct CtlOptions
{
    QString line;
    QString settings; // "19200,N,8,1" or "9600,N,8,1"
    QString addressPrefix;
    QString log; // empty: no traffic log
    bool json = false;
    bool list = false;
    QList<Job> jobs; // the --code texts first, then the named commands
};

// Reads the arguments of the running application. --help and --version end
// the program here; a usage error is told on standard error and gives nothing.
std::optional<CtlOptions> parseOptions();
