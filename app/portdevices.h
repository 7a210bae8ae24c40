// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/mscomm.h"

#include <QObject>
#include <QString>
#include <array>

// The device behind each of the two ports: the one the user chose last,
// remembered per user and used at the next start, unless a command line
// names another one for this run.
class PortDevices : public QObject
{
    Q_OBJECT

public:
    explicit PortDevices(QObject *parent = nullptr);

    static QString defaultDevice(int port);

    QString device(int port) const;
    // For this run only; what is remembered stays.
    void overrideForThisRun(int port, const QString &device);
    // Used from now on and remembered.
    void choose(int port, const QString &device);

    // Lines that open whichever device is behind their port when they open:
    // joined when a gateway or another console window serves it, else the
    // device itself.
    MSComm::LineFactory lines();
    // Who holds the line the port joined at its latest opening
    // ("pid 4242 (projector-gateway), uid 0"); empty when the port opened the
    // device itself.
    QString holder(int port) const;

    // The line of `device`: its holder's client when a program that may use
    // the device serves it, else the device itself. `holder` is set to who
    // holds it, or cleared.
    static std::unique_ptr<CommLine> joinOrOpen(const QString &device, QString *holder = nullptr);

signals:
    void changed(int port);

private:
    std::array<QString, 2> m_devices;
    std::array<QString, 2> m_holders;
};
