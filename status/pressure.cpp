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

QString pressureText(const QString &trace)
{
    const double reading = std::clamp(readNumber(QStringView(trace).left(pressureReadLimit)),
                                      -maxReading, maxReading);
    qint64 pressureValue = qint64(roundHalfToEven(reading));
    const double hectopascal = (double(pressureValue * 5) / 1024 - 0.204) / 0.00459 + 150;
    pressureValue = qint64(roundHalfToEven(hectopascal));
    return QString::number(pressureValue) + QStringLiteral(" hPa");
}

} // namespace status
