#include "trace.h"

QString trace(const QString &text)
{
    QString out(1, QLatin1Char(' '));
    out.reserve(1 + text.size() * 3);
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == 6)
            out += QLatin1String("ACK ");
        else if (code == 20)
            out += QLatin1Char('&');
        else if (code == 13)
            out += QLatin1String("CR ");
        else if (code == 10)
            out += QLatin1String("LF ");
        else if (code >= 32 && code <= 122)
            out += c, out += QLatin1Char(' ');
        else
            out += QLatin1String("? ");
    }
    return out;
}
