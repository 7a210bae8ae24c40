// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commline.h"

#include <QSerialPort>

// A serial device ("/dev/ttyUSB0", "COM1") behind the communications component.
class DeviceLine : public CommLine
{
    Q_OBJECT

public:
    explicit DeviceLine(const QString &device, QObject *parent = nullptr);

    QString deviceName() const override { return m_device; }
    bool open(const SerialSettings &settings) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    bool applySettings(const SerialSettings &settings) override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesWaiting() const override;
    QString errorString() const override { return m_error; }

private:
    bool configure(const SerialSettings &settings);
    QString openFailure() const;
    QString lostReason() const;
    void onError(QSerialPort::SerialPortError error);

    QString m_device;
    QSerialPort m_port;
    QString m_error;
};
