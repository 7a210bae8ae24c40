// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "networkline.h"

#include <QString>
#include <memory>
#include <optional>

struct ParsedNetworkDevice
{
    std::optional<NetworkLine::Endpoint> endpoint;
    QString error; // what is wrong, when endpoint is empty
};

// Whether a device string names a network port ("scheme://...").
bool isNetworkDevice(const QString &device);

// Strict reading of "tcp://HOST:PORT" and "rfc2217://HOST:PORT": HOST is a
// name, an IPv4 address or an IPv6 address in brackets; PORT is 1 to 65535.
ParsedNetworkDevice parseNetworkDevice(const QString &device);

// The line behind a device string: a serial device ("/dev/ttyUSB0", "COM1")
// or a port on a serial device server. A malformed network form gives a line
// that refuses to open and says what is wrong.
std::unique_ptr<CommLine> makeDeviceLine(const QString &device);
