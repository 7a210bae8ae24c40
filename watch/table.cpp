// SPDX-License-Identifier: GPL-3.0-or-later
#include "table.h"

#include "board.h"

#include <cstdio>

namespace watch {

namespace {

QString age(qint64 seconds)
{
    if (seconds < 120)
        return QStringLiteral("%1s").arg(seconds);
    if (seconds < 7200)
        return QStringLiteral("%1m").arg(seconds / 60);
    return QStringLiteral("%1h").arg(seconds / 3600);
}

template<typename T, typename F>
QString shown(const std::optional<T> &value, F format)
{
    return value ? format(*value) : QStringLiteral("?");
}

struct Column
{
    const char *title;
    int width;
};

constexpr Column kColumns[] = {
    {"LINE", 8}, {"ADDR", 6}, {"POWER", 32},   {"INPUT", 5},  {"LAMP H", 7},       {"S1 C", 6},
    {"S2 C", 6}, {"HPA", 5},  {"LAMPS ON", 9}, {"FAILED", 7}, {"LAST ANSWER", 20},
};

QStringList cells(const Reading &r, const QDateTime &now)
{
    const auto one = [](double v) { return QString::number(v, 'f', 1); };
    const auto whole = [](auto v) { return QString::number(v); };
    QString last = QStringLiteral("never");
    if (r.lastAnswer.isValid()) {
        last = r.lastAnswer.toLocalTime().toString(QStringLiteral("HH:mm:ss"))
               + QStringLiteral(" (%1)").arg(age(r.lastAnswer.secsTo(now)));
    }
    const auto temperature = [&](double status::Temperatures::*sensor) {
        return r.temperatures ? one(*r.temperatures.*sensor) : QStringLiteral("?");
    };
    return {r.line,
            addressName(r.address),
            !r.up ? QStringLiteral("NOT ANSWERING")
            : r.powerBits
                ? status::describe(status::PowerBits{*r.powerBits})
                : shown(r.power, [](status::PowerState p) { return QString(status::nameOf(p)); }),
            shown(r.input, whole),
            shown(r.lampHours, whole),
            temperature(&status::Temperatures::sensor1),
            temperature(&status::Temperatures::sensor2),
            shown(r.pressureHpa, whole),
            r.lampMode ? status::lampWords(r.lampMode->lampsOn, u"-") : QStringLiteral("?"),
            shown(r.lampsFailed, [](quint8 mask) { return status::lampWords(mask, u"-"); }),
            last};
}

} // namespace

QString tableText(const QList<Reading> &readings, const QDateTime &now, const QList<bool> &changed)
{
    // The line column as wide as the longest name, so that long names keep the columns.
    QList<int> widths;
    for (const Column &c : kColumns)
        widths << c.width;
    for (const Reading &r : readings)
        widths[0] = std::max(widths[0], int(r.line.size()));
    QString out;
    for (qsizetype c = 0; c < widths.size(); ++c)
        out += QString::fromLatin1(kColumns[c].title).leftJustified(widths[c]) + QLatin1Char(' ');
    out = out.trimmed().prepend(QStringLiteral("  ")) + QLatin1Char('\n');
    for (qsizetype i = 0; i < readings.size(); ++i) {
        QString row;
        const QStringList values = cells(readings.at(i), now);
        for (qsizetype c = 0; c < values.size(); ++c)
            row += values.at(c).leftJustified(widths[c]) + QLatin1Char(' ');
        out += row.trimmed().prepend(changed.value(i) ? QStringLiteral("* ") : QStringLiteral("  "))
               + QLatin1Char('\n');
    }
    return out;
}

TerminalTable::TerminalTable(Board &board, QObject *parent) : QObject(parent), m_board(board)
{
    m_changed.resize(board.readings().size());
    connect(&board, &Board::projectorRead, this, [this](const Reading &reading, bool changed) {
        const QList<Reading> &all = m_board.readings();
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (all.at(i).line == reading.line && all.at(i).address == reading.address)
                m_changed[i] = changed && reading.round > 1;
        }
        draw();
    });
    connect(&m_tick, &QTimer::timeout, this, &TerminalTable::draw);
    m_tick.start(1000);
    draw();
}

void TerminalTable::draw()
{
    // Home and clear, then the table: the terminal keeps one picture.
    const QByteArray text
        = "\x1b[H\x1b[2J"
          + tableText(m_board.readings(), QDateTime::currentDateTimeUtc(), m_changed).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

} // namespace watch
