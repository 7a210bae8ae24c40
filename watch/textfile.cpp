// SPDX-License-Identifier: GPL-3.0-or-later
#include "textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace watch {

bool writeTextfile(const QString &dir, const QString &text, QString *error)
{
    const QString target = QDir(dir).filePath(QStringLiteral("projector-watch.prom"));
    // Not ending in .prom, so the collector never reads it half written.
    const QString temporary
        = target + QLatin1Char('.') + QString::number(QCoreApplication::applicationPid());
    QFile file(temporary);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                | QFile::ReadOther)
        || file.write(bytes) != bytes.size() || !file.flush()) {
        *error = QStringLiteral("%1: %2").arg(temporary, file.errorString());
        // Not file.remove(): after a failed write it keeps the file.
        file.close();
        QFile::remove(temporary);
        return false;
    }
    file.close();
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData())
        != 0) {
        *error = QStringLiteral("%1: %2").arg(target, QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(temporary);
        return false;
    }
    return true;
}

} // namespace watch
