// SPDX-License-Identifier: GPL-3.0-or-later
#include "serialdevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

QString SerialDevice::label() const
{
    // A stable name says enough by itself; a kernel name is given whole.
    const QString name = path == location ? path : QFileInfo(path).fileName();
    QStringList known;
    const QString makerProduct = QStringList{maker, product}.join(u' ').trimmed();
    if (!makerProduct.isEmpty())
        known << makerProduct;
    if (!serialNumber.isEmpty())
        known << QStringLiteral("serial %1").arg(serialNumber);
    if (location != path && !location.isEmpty())
        known << location;
    return known.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, known.join(u", "));
}

QList<SerialDevice> serialDevices(const QString &byIdDir)
{
    QList<SerialDevice> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        devices.append({info.systemLocation(), info.systemLocation(), info.manufacturer(),
                        info.description(), info.serialNumber()});
    }
    const QFileInfoList links
        = QDir(byIdDir).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &link : links) {
        const QString target = link.canonicalFilePath();
        if (target.isEmpty())
            continue; // a link left behind by a device that went away
        const auto known = std::find_if(devices.begin(), devices.end(), [&](const auto &d) {
            return QFileInfo(d.location).canonicalFilePath() == target;
        });
        if (known != devices.end())
            known->path = link.absoluteFilePath();
        else
            devices.append({link.absoluteFilePath(), target, {}, {}, {}});
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice &a, const SerialDevice &b) { return a.path < b.path; });
    return devices;
}

bool isPseudoTerminal(const QString &path)
{
    return QFileInfo(path).canonicalFilePath().startsWith(QLatin1String("/dev/pts/"));
}
