// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// A serial device present on this computer, named as a user knows it.
struct SerialDevice
{
    QString path;     // what to open: the stable by-id name where there is one
    QString location; // the kernel's name, "/dev/ttyUSB0"
    QString maker;
    QString product;
    QString serialNumber;

    // "usb-FTDI_..._A1B2-if00-port0 (FTDI FT232R USB UART, serial A1B2)"
    QString label() const;
    bool operator==(const SerialDevice &) const = default;
};

inline constexpr const char kSerialByIdDir[] = "/dev/serial/by-id";

// Every serial device the system lists, and every link in `byIdDir` (devices
// that udev names there, even those the system lists under no port), sorted
// by path. A device with a link is given by the link.
QList<SerialDevice> serialDevices(const QString &byIdDir = QLatin1String(kSerialByIdDir));

// Whether `path` leads to a pseudo-terminal that is there (a simulated line's
// or a test's): the system lists none among its serial devices.
bool isPseudoTerminal(const QString &path);
