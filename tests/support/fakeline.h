// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/commline.h"

#include <QTimer>

// A line that keeps what is written and delivers what the test feeds in,
// through the event loop like a real port. It can be told to refuse opening.
class FakeLine : public CommLine
{
public:
    explicit FakeLine(QString device = QStringLiteral("/dev/fake")) : m_device(std::move(device)) {}

    QString deviceName() const override { return m_device; }
    bool open(const SerialSettings &settings) override
    {
        ++opens;
        if (!openFailure.isEmpty()) {
            m_error = openFailure;
            return false;
        }
        m_open = true;
        applied = settings;
        incoming.clear();
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool applySettings(const SerialSettings &settings) override
    {
        if (refuseSettings) {
            m_error = QStringLiteral("the device refused the settings");
            return false;
        }
        applied = settings;
        return true;
    }
    bool write(const QByteArray &bytes) override
    {
        if (!m_open)
            return false;
        written += bytes;
        writes.append(bytes);
        return true;
    }
    QByteArray readAll() override { return std::exchange(incoming, {}); }
    qint64 bytesWaiting() const override { return waiting; }
    QString errorString() const override { return m_error; }

    // Bytes from the far end, announced on the next turn of the event loop.
    void feed(const QByteArray &bytes)
    {
        incoming += bytes;
        QTimer::singleShot(0, this, [this] { emit readyRead(); });
    }
    void pullThePlug()
    {
        m_open = false;
        emit lost(QStringLiteral("Input/output error"));
    }

    QString openFailure;
    bool refuseSettings = false;
    SerialSettings applied;
    QByteArray written;
    QList<QByteArray> writes;
    QByteArray incoming;
    qint64 waiting = 0;
    int opens = 0;

private:
    QString m_device;
    QString m_error;
    bool m_open = false;
};
