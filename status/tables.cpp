// SPDX-License-Identifier: GPL-3.0-or-later
#include "tables.h"

#include <QStringList>

namespace status {

std::optional<QString> lookUp(const QList<TableRow> &table, const QString &key)
{
    for (const TableRow &row : table) {
        if (row.key == key)
            return row.text;
    }
    return std::nullopt;
}

// The texts are shown to the operator exactly as the projector's documentation words
// them, misspellings and odd spacing included.
const QList<TableRow> &powerStatusTable()
{
    static const QList<TableRow> table = {
        {QStringLiteral(" 0 0"), QStringLiteral(" Power ON")},
        {QStringLiteral(" 8 0"), QStringLiteral(" Stand by")},
        {QStringLiteral(" 4 0"), QStringLiteral(" Count down")},
        {QStringLiteral(" 2 0"), QStringLiteral(" Cooling down")},
        {QStringLiteral(" 1 0"), QStringLiteral(" Power Fail")},
        {QStringLiteral(" 0 8"), QStringLiteral(" Temperature Warning(Power ON)")},
        {QStringLiteral(" 0 2"), QStringLiteral(" NO Key input ")},
        {QStringLiteral(" 0 4"), QStringLiteral(" Lamp OFF by PWR Management")},
        {QStringLiteral(" 2 8"), QStringLiteral(" Temperature Warning & cooling down")},
        {QStringLiteral(" 2 4"),
         QStringLiteral(" Lamp OFF & Tempereture Warning by PWR Management")},
        {QStringLiteral(" 8 8"), QStringLiteral(" Temperature Warning and recoverd")},
        {QStringLiteral(" 2 1"), QStringLiteral(" Cooling down (All Lamp FAIL)")},
        {QStringLiteral(" 8 1"), QStringLiteral(" Cooling down & sutandby (All Lamp FAIL)")},
    };
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
    static const QList<TableRow> table = {
        {QStringLiteral(" 1 1"), QStringLiteral(" Normally")},
        {QStringLiteral(" 1 0"), QStringLiteral(" Top/Bottom reversal")},
        {QStringLiteral(" 0 1"), QStringLiteral(" Left/Right reversal")},
        {QStringLiteral(" 0 0"), QStringLiteral(" Top/Bottom , Left/Right reversal")},
    };
    return table;
}

const QList<TableRow> &muteSignalTable()
{
    static const QList<TableRow> table = {
        {QStringLiteral(" 0 0"), QStringLiteral(" Video & Audio mute OFF")},
        {QStringLiteral(" 0 1"), QStringLiteral(" Video mute ON")},
        {QStringLiteral(" 0 2"), QStringLiteral(" Audio mute ON")},
        {QStringLiteral(" 0 3"), QStringLiteral(" Video & Audio mute ON")},
        {QStringLiteral(" 8 0"), QStringLiteral(" No signal")},
        {QStringLiteral(" F F"), QStringLiteral(" Stand by")},
    };
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
