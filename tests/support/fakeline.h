// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/commline.h"

#include <QTimer>

// A line that keeps what is written and delivers what the test feeds in,
// through the event loop like a real port. It can be told to refuse opening,
// or to open in the background, as a connection does, until finishOpening().
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
        m_open = !opensLater;
        m_opening = opensLater;
        applied = settings;
        incoming.clear();
        return true;
    }
    void close() override { m_open = m_opening = false; }
    bool isOpen() const override { return m_open; }
    bool isOpening() const override { return m_opening; }
    // Ends a background opening: open, or failed for `failure`.
    void finishOpening(const QString &failure = {})
    {
        m_opening = false;
        m_open = failure.isEmpty();
        m_error = failure;
        if (m_open)
            emit opened();
        else
            emit openFailed(failure);
    }
    bool applySettings(const SerialSettings &settings) override
    {
        if (refuseSettings) {
            m_error = QStringLiteral("the device refused the settings");
            return false;
        }
        applied = settings;
        return true;
    }
    // While opening, what is written is taken to go out once open.
    bool write(const QByteArray &bytes) override
    {
        if (!m_open && !m_opening)
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
    bool opensLater = false;
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
    bool m_opening = false;
};
