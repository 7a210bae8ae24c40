// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders.h"
#include "numberreader.h"

#include <algorithm>
#include <cmath>

namespace status {

namespace {

double roundHalfToEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5)
        return lower + 1;
    if (fraction < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1;
}

// The sensor gives a 10-bit reading; anything far beyond is noise on the line. The bound
// keeps the arithmetic exact in 64 bits and in double, and sends infinities somewhere
// finite.
constexpr double maxReading = 1e15;

} // namespace

qint64 pressureReading(double reading)
{
    return qint64(roundHalfToEven(std::clamp(reading, -maxReading, maxReading)));
}

qint64 hectopascal(qint64 reading)
{
    const double value = (double(reading * 5) / 1024 - 0.204) / 0.00459 + 150;
    return qint64(roundHalfToEven(value));
}

QString pressureText(const QString &trace)
{
    const qint64 reading = pressureReading(readNumber(QStringView(trace).left(pressureReadLimit)));
    return QString::number(hectopascal(reading)) + QStringLiteral(" hPa");
}

} // namespace status
