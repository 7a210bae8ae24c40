// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commsettings.h"

#include <QByteArray>
#include <QObject>

// One serial line behind the communications component: a real device, or a
// simulated line of projectors. The component opens one line per port number.
class CommLine : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // What stands behind the port ("/dev/ttyS0", "simulated projector line").
    virtual QString deviceName() const = 0;

    // Opening fails with a description in errorString(). Bytes that arrived
    // before the opening are discarded.
    virtual bool open(const SerialSettings &settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // A line that takes time to open (a connection) returns true from open()
    // while opening, and then tells opened() or openFailed(); what is written
    // meanwhile goes out once it is open.
    virtual bool isOpening() const { return false; }

    // Applied at once to an open line; refused with errorString() otherwise.
    virtual bool applySettings(const SerialSettings &settings) = 0;

    // Queues all bytes for sending; refused when the line is not open.
    virtual bool write(const QByteArray &bytes) = 0;

    // Everything received and not yet read.
    virtual QByteArray readAll() = 0;

    // Bytes written that have not yet left the computer.
    virtual qint64 bytesWaiting() const = 0;

    virtual QString errorString() const = 0;

signals:
    // Bytes arrived; raised from the event loop, never inside write().
    void readyRead();
    // The device went away. The line has closed itself; `reason` says why.
    void lost(const QString &reason);
    // The line stays open but works otherwise than asked; `reason` says how.
    void warning(const QString &reason);
    void opened();
    void openFailed(const QString &reason);
};
