// SPDX-License-Identifier: GPL-3.0-or-later
#include "portdevices.h"

#include "chosenline.h"
#include "sim/anyline.h"

#include <QSettings>

namespace {

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope,
                     QStringLiteral("projector-console"), QStringLiteral("projector-console"));
}

QString key(int port)
{
    return QStringLiteral("ports/com%1").arg(port);
}

} // namespace

PortDevices::PortDevices(QObject *parent) : QObject(parent)
{
    const QSettings settings = userSettings();
    for (int port : {1, 2}) {
        const QString remembered = settings.value(key(port)).toString();
        m_devices[port - 1] = remembered.isEmpty() ? defaultDevice(port) : remembered;
    }
}

QString PortDevices::defaultDevice(int port)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

QString PortDevices::device(int port) const
{
    return m_devices.at(port - 1);
}

void PortDevices::overrideForThisRun(int port, const QString &device)
{
    m_devices.at(port - 1) = device;
    emit changed(port);
}

void PortDevices::choose(int port, const QString &device)
{
    QSettings settings = userSettings();
    settings.setValue(key(port), device);
    settings.sync();
    overrideForThisRun(port, device);
}

MSComm::LineFactory PortDevices::lines()
{
    return [this](int port) -> std::unique_ptr<CommLine> {
        if (port != 1 && port != 2)
            return nullptr;
        return std::make_unique<ChosenLine>([this, port] { return device(port); }, makeLine);
    };
}
