// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QFileInfo>
#include <QString>

// The name of the program that runs as process `pid` ("projector-ctl"), as
// the system tells it; empty where it does not.
inline QString programName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    const QString name = QString::fromLocal8Bit(comm.readAll()).trimmed();
    // The system keeps 15 characters of the name ("projector-gatew"); the
    // program's file, where this user may see it, has it whole.
    constexpr qsizetype kKeptLength = 15;
    if (name.size() == kKeptLength) {
        const QString file
            = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget().section(u'/', -1);
        if (file.startsWith(name))
            return file;
    }
    return name;
}
