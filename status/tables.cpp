// SPDX-License-Identifier: GPL-3.0-or-later
#include "tables.h"

#include "codes.h"

#include <QStringList>
#include <string_view>

namespace status {

std::optional<QString> lookUp(const QList<TableRow> &table, const QString &key)
{
    for (const TableRow &row : table) {
        if (row.key == key)
            return row.text;
    }
    return std::nullopt;
}

namespace {

// The rows of a code table, keyed as the STATUS line's trace shows the code
// ("80" as " 8 0").
template<typename T, std::size_t N>
QList<TableRow> rowsOf(const CodeRow<T> (&codes)[N])
{
    QList<TableRow> rows;
    for (const CodeRow<T> &row : codes) {
        QString key;
        for (const char c : std::string_view(row.code))
            key.append(QLatin1Char(' ')).append(QLatin1Char(c));
        rows.append({key, QLatin1String(row.text)});
    }
    return rows;
}

} // namespace

const QList<TableRow> &powerStatusTable()
{
    static const QList<TableRow> table = rowsOf(kPowerCodes);
    return table;
}

const QList<TableRow> &inputModeTable()
{
    static const QList<TableRow> table = {
        {QStringLiteral(" 1"), QStringLiteral(" Input mode 1")},
        {QStringLiteral(" 2"), QStringLiteral(" Input mode 2")},
        {QStringLiteral(" 3"), QStringLiteral(" Input mode 3")},
        {QStringLiteral(" 4"), QStringLiteral(" Input mode 4")},
    };
    return table;
}

const QList<TableRow> &reversalTable()
{
    static const QList<TableRow> table = rowsOf(kReversalCodes);
    return table;
}

const QList<TableRow> &muteSignalTable()
{
    static const QList<TableRow> table = rowsOf(kMuteCodes);
    return table;
}

static QString lampsText(int mask)
{
    if (mask == 0)
        return QStringLiteral(" All OFF : ");
    if (mask == 0xF)
        return QStringLiteral(" All ON  : ");
    QStringList lamps;
    for (int lamp = 1; lamp <= 4; ++lamp) {
        if (mask & (1 << (lamp - 1)))
            lamps << QString::number(lamp);
    }
    return QStringLiteral(" No") + lamps.join(QLatin1Char(',')) + QStringLiteral(" ON  : ");
}

static QList<TableRow> makeLampModeTable()
{
    const QString modeWords[] = {
        QStringLiteral("4 Lamp mode"),
        QStringLiteral("2 Lamp mode(1,4)"),
        QStringLiteral("2 Lamp mode(2,3)"),
    };
    QList<TableRow> table;
    for (int mode = 0; mode < 3; ++mode) {
        for (int mask = 0; mask < 16; ++mask) {
            const QString key
                = QStringLiteral(" %1 %2").arg(mode).arg(QString::number(mask, 16).toUpper());
            table.append({key, lampsText(mask) + modeWords[mode]});
        }
    }
    return table;
}

const QList<TableRow> &lampModeTable()
{
    static const QList<TableRow> table = makeLampModeTable();
    return table;
}

} // namespace status
