// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QFileInfo>
#include <QString>

// What a test of a running program sees from outside: whether it handles a
// signal yet, and whether it holds the lock file of a serial device.

// The program has put its own handler on `signal` (the SigCgt mask of /proc).
// Asked only once the program has started: before its exec, the child still
// has the handlers of the test.
inline bool catchesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

// The lock file QSerialPort keeps for an open device, "LCK..pts_N".
inline bool deviceLockHeld(const QString &device)
{
    const QString name = QStringLiteral("LCK..") + device.mid(5).replace(u'/', u'_');
    return QFileInfo::exists(QStringLiteral("/run/lock/") + name)
           || QFileInfo::exists(QStringLiteral("/var/lock/") + name);
}
