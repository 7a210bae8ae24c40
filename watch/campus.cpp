// SPDX-License-Identifier: GPL-3.0-or-later
#include "campus.h"

#include <QRegularExpression>
#include <QSet>

namespace watch {

QList<int> parseAddresses(const QString &text)
{
    if (text == QLatin1String("single"))
        return {0};
    if (text == QLatin1String("all"))
        return {1, 2, 3, 4};
    QList<int> addresses;
    for (const QString &part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int address = part.toInt(&ok);
        if (!ok || address < 1 || address > 4 || addresses.contains(address))
            return {};
        addresses.append(address);
    }
    return addresses;
}

QString settingsForSpeed(const QString &text)
{
    if (text == QLatin1String("19200") || text == QLatin1String("9600"))
        return text + QLatin1String(",N,8,1");
    return {};
}

Campus parseCampus(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    Campus campus;
    QSet<QString> names;
    const QStringList rows = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < rows.size(); ++n) {
        const QString row = rows.at(n).trimmed();
        if (row.isEmpty() || row.startsWith(QLatin1Char('#')))
            continue;
        const auto fail = [&](const QString &what) {
            campus.lines.clear();
            campus.error = QStringLiteral("line %1: %2").arg(n + 1).arg(what);
            return campus;
        };
        const QStringList fields = row.split(blanks);
        if (fields.size() < 2)
            return fail(QStringLiteral("a name and a device are needed"));
        WatchedLine line{fields.at(0), fields.at(1)};
        if (names.contains(line.name))
            return fail(QStringLiteral("the name %1 is taken").arg(line.name));
        names.insert(line.name);
        for (const QString &option : fields.mid(2)) {
            const QString key = option.section(QLatin1Char('='), 0, 0);
            const QString value = option.section(QLatin1Char('='), 1);
            if (key == QLatin1String("speed")) {
                line.settings = settingsForSpeed(value);
                if (line.settings.isEmpty())
                    return fail(QStringLiteral("speed is 19200 or 9600, not %1").arg(value));
            } else if (key == QLatin1String("addresses")) {
                line.addresses = parseAddresses(value);
                if (line.addresses.isEmpty())
                    return fail(
                        QStringLiteral("addresses are all, single or numbers 1 to 4, not %1")
                            .arg(value));
            } else {
                return fail(QStringLiteral("%1 is not speed= or addresses=").arg(option));
            }
        }
        campus.lines.append(line);
    }
    if (campus.lines.isEmpty())
        campus.error = QStringLiteral("no line to watch");
    return campus;
}

} // namespace watch
