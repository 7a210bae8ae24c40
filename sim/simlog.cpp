// SPDX-License-Identifier: GPL-3.0-or-later
#include "simlog.h"

namespace sim {

QString readable(const QByteArray &bytes)
{
    QString text;
    for (const char byte : bytes) {
        const auto code = uchar(byte);
        if (code == 13)
            text += QLatin1String("<CR>");
        else if (code == 10)
            text += QLatin1String("<LF>");
        else if (code == 6)
            text += QLatin1String("<ACK>");
        else if (code < 32 || code > 126)
            text += QStringLiteral("<%1>").arg(code, 2, 16, QLatin1Char('0')).toUpper();
        else
            text += QLatin1Char(byte);
    }
    return text;
}

} // namespace sim
