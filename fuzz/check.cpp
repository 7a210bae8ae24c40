// SPDX-License-Identifier: GPL-3.0-or-later
#include "check.h"

#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {
bool throwing = false;
}

void throwOnFailure()
{
    throwing = true;
}

void fail(const char *file, int line, const QString &what)
{
    const std::string message
        = QStringLiteral("%1:%2: property broken: %3").arg(file).arg(line).arg(what).toStdString();
    if (throwing)
        throw Failure(message);
    std::fprintf(stderr, "%s\n", message.c_str());
    std::abort();
}

QString shown(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text.left(200)) {
        if (c.unicode() >= 32 && c.unicode() < 127 && c != QLatin1Char('\\'))
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    if (text.size() > 200)
        out += QStringLiteral("...(%1 characters)").arg(text.size());
    return out + QLatin1Char('"');
}

} // namespace fuzz
