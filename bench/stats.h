// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QList>
#include <algorithm>
#include <chrono>

// What a child of bench-startup marks on its way to the first frame, in
// milliseconds of the monotonic clock, and prints for the parent. Fonts is
// when the font database had been read, on a thread beside the others.
enum Mark { Main, QtStarted, Fonts, Layout, Serial, Painted, Marks };

// Linear interpolation between the two nearest ranks; 0 for no values.
inline double quantile(QList<double> values, double q)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const double at = q * double(values.size() - 1);
    const qsizetype low = qsizetype(at);
    const qsizetype high = std::min(low + 1, values.size() - 1);
    return values.at(low) + (at - double(low)) * (values.at(high) - values.at(low));
}

inline double worst(const QList<double> &values)
{
    return values.isEmpty() ? 0 : *std::max_element(values.cbegin(), values.cend());
}

// The resident memory of a process ("self" or a process id) in kB; 0 when unknown.
inline qint64 residentKb(const QString &process = QStringLiteral("self"))
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// The system-wide monotonic clock in milliseconds: comparable between a parent
// and the child processes it starts.
inline double monotonicMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
