// SPDX-License-Identifier: GPL-3.0-or-later
#include "portdevices.h"

#include "chosenline.h"
#include "core/joinedline.h"
#include "link/localendpoint.h"
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
        return std::make_unique<ChosenLine>([this, port] { return device(port); },
                                            [this, port](const QString &device) {
                                                QString holder;
                                                auto line = joinOrOpen(device, &holder);
                                                if (std::exchange(m_holders.at(port - 1), holder)
                                                    != holder)
                                                    emit changed(port);
                                                return line;
                                            });
    };
}

QString PortDevices::holder(int port) const
{
    return m_holders.at(port - 1);
}

std::unique_ptr<CommLine> PortDevices::joinOrOpen(const QString &device, QString *holder)
{
    LocalChannel::Reached reached = LocalChannel::reach(device);
    if (reached.reach != LocalChannel::Reach::Served) {
        if (holder)
            holder->clear();
        return makeLine(device);
    }
    auto joined = std::make_unique<JoinedLine>(std::move(reached.channel), device);
    if (holder)
        *holder = joined->holder();
    return joined;
}
