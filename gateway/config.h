// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pjlinkplan.h"

#include <QHostAddress>
#include <QList>
#include <QString>

namespace gateway {

// One projector of a line and where it answers PJLink.
struct ProjectorEntry
{
    int address = 1; // 1..4; 0: the one projector without an address
    QHostAddress listen{QHostAddress::LocalHost};
    quint16 port = 4352; // 0: any free port
    pjlink::Profile profile;
};

struct LineEntry
{
    QString name;
    QString device;
    QString settings = QStringLiteral("19200,N,8,1");
    QList<ProjectorEntry> projectors;
};

struct GatewayConfig
{
    QList<LineEntry> lines;
    QString passwordFile;
    // Listening beyond the loopback without a password was asked for.
    bool openNetwork = false;
    int connectionsPerProjector = 8;
};

// A configuration file:
//   listen ADDRESS                    where every projector listens (127.0.0.1)
//   password-file FILE                authentication for every projector
//   line NAME DEVICE [speed=19200|9600] [addresses=all|single|1,2,...] [port=4352] [listen=ADDRESS]
//   projector LINE ADDRESS [port=N] [listen=ADDRESS] [name=TEXT] [maker=TEXT]
//             [product=TEXT] [info=TEXT] [inputs=11,12,21,31]
// A line's projectors answer on its port and the next ones, by address (1 on
// the port, 2 on the port + 1, ...). Values with spaces are written in double
// quotes. Blank lines and lines starting with # are skipped.
struct Parsed
{
    GatewayConfig config;
    QString error; // "line N: what is wrong"
};
Parsed parseConfig(const QString &text);

// "single", "all", or numbers 1..4 separated by commas; empty when not understood.
QList<int> parseAddresses(const QString &text);
// "19200" or "9600" as a settings string; empty when neither.
QString settingsForSpeed(const QString &text);
// The line's projectors at `addresses`, from the base port on.
QList<ProjectorEntry> projectorsOf(const QString &line, const QList<int> &addresses,
                                   const QHostAddress &listen, quint16 basePort);
// Whether every projector may listen where it is configured to: beyond the
// loopback only with a password, or when that was asked for explicitly.
QString checkExposure(const GatewayConfig &config);

} // namespace gateway
