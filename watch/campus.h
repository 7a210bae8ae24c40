// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace watch {

// One line to watch: its name in tables and labels, its device form, its
// settings string and the projectors on it (0: the one without an address).
struct WatchedLine
{
    QString name;
    QString device;
    QString settings = QStringLiteral("19200,N,8,1");
    QList<int> addresses{1, 2, 3, 4};
};

// "single", "all", or numbers 1..4 separated by commas; empty when not understood.
QList<int> parseAddresses(const QString &text);
// "19200" or "9600" as a settings string; empty when neither.
QString settingsForSpeed(const QString &text);

struct Campus
{
    QList<WatchedLine> lines;
    QString error; // "line N: what is wrong"; empty when every line was understood
};

// The lines of a configuration file, one per line:
//   NAME DEVICE [speed=19200|9600] [addresses=all|single|1,2,...]
// Blank lines and lines starting with # are skipped.
Campus parseCampus(const QString &text);

} // namespace watch
