// SPDX-License-Identifier: GPL-3.0-or-later
#include "replies.h"

#include "tables.h"

namespace status {

QString left(const QString &trace, int n)
{
    return trace.left(n);
}

QString mid(const QString &trace, int position, int n)
{
    if (position < 1 || position > trace.size())
        return QString();
    return trace.mid(position - 1, n);
}

std::optional<QString> powerStatus(const QString &trace)
{
    return lookUp(powerStatusTable(), left(trace, 4));
}

// Only the first reply character names the input mode.
std::optional<QString> inputMode(const QString &trace)
{
    return lookUp(inputModeTable(), left(trace, 2));
}

std::optional<QString> reversal(const QString &trace)
{
    return lookUp(reversalTable(), left(trace, 4));
}

std::optional<QString> muteAndSignal(const QString &trace)
{
    return lookUp(muteSignalTable(), left(trace, 4));
}

std::optional<QString> lampMode(const QString &trace)
{
    return lookUp(lampModeTable(), left(trace, 4));
}

QString lampTime(const QString &trace)
{
    return left(trace, 38) + QStringLiteral(" Hour Use");
}

// Reply characters 1 to 5 are sensor 1, characters 8 to 11 sensor 2.
QString temperatures(const QString &trace)
{
    return QStringLiteral("  S1=") + left(trace, 10) + QStringLiteral(" C  ,   S2= ")
           + mid(trace, 15, 8) + QStringLiteral(" C");
}

QString pcType(const QString &trace)
{
    return trace;
}

} // namespace status
