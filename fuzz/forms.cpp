// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms.h"

#include "check.h"
#include "status/decoders.h"
#include "status/tables.h"

#include <QList>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cmath>

namespace fuzz {

namespace {

struct Piece
{
    bool (*holds)(char16_t code);
    QLatin1StringView piece; // empty: the character itself and a space
};

// The trace table, first row that holds decides.
const Piece tracePieces[] = {
    {[](char16_t c) { return c == 6; }, QLatin1StringView("ACK ")},
    {[](char16_t c) { return c == 20; }, QLatin1StringView("&")},
    {[](char16_t c) { return c == 13; }, QLatin1StringView("CR ")},
    {[](char16_t c) { return c == 10; }, QLatin1StringView("LF ")},
    {[](char16_t c) { return c < 32; }, QLatin1StringView("? ")},
    {[](char16_t c) { return c <= 122; }, {}},
    {[](char16_t) { return true; }, QLatin1StringView("? ")},
};

const Piece &pieceOf(QChar c)
{
    // The line's characters are Latin-1; each row is looked up once.
    static const auto latin1Rows = [] {
        std::array<const Piece *, 256> rows{};
        for (char16_t code = 0; code < rows.size(); ++code)
            rows[code] = std::find_if(std::begin(tracePieces), std::end(tracePieces),
                                      [code](const Piece &p) { return p.holds(code); });
        return rows;
    }();
    if (c.unicode() < latin1Rows.size())
        return *latin1Rows[c.unicode()];
    return *std::find_if(std::begin(tracePieces), std::end(tracePieces),
                         [c](const Piece &p) { return p.holds(c.unicode()); });
}

} // namespace

void checkTraceForm(const QString &text, const QString &trace)
{
    FUZZ_CHECK(trace.startsWith(QLatin1Char(' ')), shown(trace));
    qsizetype at = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const Piece &row = pieceOf(c);
        const bool fits = row.piece.isEmpty()
                              ? at + 1 < trace.size() && trace.at(at) == c
                                    && trace.at(at + 1) == QLatin1Char(' ')
                              : QStringView(trace).mid(at, row.piece.size()) == row.piece;
        FUZZ_CHECK(fits,
                   QStringLiteral("character %1 of %2 should show as %3 at %4 of %5")
                       .arg(i)
                       .arg(shown(text), shown(row.piece.isEmpty() ? QString(c) + QLatin1Char(' ')
                                                                   : QString(row.piece)))
                       .arg(at)
                       .arg(shown(trace)));
        at += row.piece.isEmpty() ? 2 : row.piece.size();
    }
    FUZZ_CHECK(
        at == trace.size(),
        QStringLiteral("trace %1 of %2 goes on past its pieces").arg(shown(trace), shown(text)));
}

const char *const decodedQueries[9]
    = {"CR0", "CR1", "CR4", "CR3", "CR6", "CRA", "CR9", "CR PRESSURE", "CR7"};

namespace {

struct TableQuery
{
    const char *code;
    const QList<status::TableRow> &(*table)();
    int keyLength;
};

const TableQuery tableQueries[] = {
    {"CR0", status::powerStatusTable, 4}, {"CR1", status::inputModeTable, 2},
    {"CR4", status::reversalTable, 4},    {"CRA", status::muteSignalTable, 4},
    {"CR7", status::lampModeTable, 4},
};

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode rounds halves to even
}

// The pressure for the plain replies a projector gives: blanks, then at most four
// digits and nothing of a number after them, within the part of the trace the
// reader reads. Other readings give no value here.
std::optional<int> plainPressure(const QString &trace)
{
    int reading = 0;
    int digits = 0;
    for (const QChar c : trace) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'))
            continue;
        if (c.isDigit() && c.unicode() < 128) {
            if (++digits > 4)
                return std::nullopt;
            reading = reading * 10 + (c.unicode() - '0');
            continue;
        }
        if (QStringLiteral("+-.eEdD").contains(c))
            return std::nullopt;
        break;
    }
    if (reading > 6553)
        return std::nullopt;
    return int(roundHalfEven((reading * 5 / 1024.0 - 0.204) / 0.00459 + 150));
}

void checkPressure(const QString &trace, const QString &result)
{
    FUZZ_CHECK(result.endsWith(QLatin1String(" hPa")), shown(result));
    const QStringView number = QStringView(result).chopped(4);
    bool ok = false;
    const qint64 value = number.toLongLong(&ok);
    FUZZ_CHECK(ok && QString::number(value) == number,
               QStringLiteral("%1 is no plain whole number").arg(shown(result)));
    if (const auto expected = plainPressure(trace.left(status::pressureReadLimit)))
        FUZZ_CHECK(value == *expected, QStringLiteral("%1 for %2, expected %3")
                                           .arg(shown(result), shown(trace))
                                           .arg(*expected));
}

QString leftOf(const QString &trace, int n)
{
    return trace.left(n);
}

QString midOf(const QString &trace, int position, int n)
{
    return trace.size() >= position ? trace.mid(position - 1, n) : QString();
}

} // namespace

void checkDecoded(const QString &trace, const QString &sendText, const QString &addressPrefix,
                  const std::optional<QString> &result)
{
    const char *query = nullptr;
    const QStringView sent(sendText);
    if (sent.size() > addressPrefix.size() && sent.startsWith(addressPrefix)
        && sent.endsWith(QLatin1Char('\r'))) {
        const QStringView code = sent.mid(addressPrefix.size()).chopped(1);
        for (const char *decoded : decodedQueries) {
            if (code == QLatin1StringView(decoded))
                query = decoded;
        }
    }
    if (!query) {
        FUZZ_CHECK(!result, QStringLiteral("%1 after %2 with prefix %3, which is no decoded query")
                                .arg(shown(result.value_or(QString())), shown(sendText),
                                     shown(addressPrefix)));
        return;
    }
    const QString code = QLatin1String(query);
    const auto context = [&] {
        return QStringLiteral(" for the reply %1 to %2").arg(shown(trace), shown(sendText));
    };

    for (const TableQuery &table : tableQueries) {
        if (code != QLatin1String(table.code))
            continue;
        std::optional<QString> expected;
        for (const status::TableRow &row : table.table()) {
            if (row.key == leftOf(trace, table.keyLength)) {
                expected = row.text;
                break;
            }
        }
        FUZZ_CHECK(result == expected, shown(result.value_or(QStringLiteral("(nothing)")))
                                           + QStringLiteral(" instead of ")
                                           + shown(expected.value_or(QStringLiteral("(nothing)")))
                                           + context());
        return;
    }

    FUZZ_CHECK(result.has_value(), QStringLiteral("no text") + context());
    if (code == QLatin1String("CR3")) {
        FUZZ_CHECK(*result == leftOf(trace, 38) + QStringLiteral(" Hour Use"),
                   shown(*result) + context());
    } else if (code == QLatin1String("CR6")) {
        FUZZ_CHECK(*result
                       == QStringLiteral("  S1=") + leftOf(trace, 10)
                              + QStringLiteral(" C  ,   S2= ") + midOf(trace, 15, 8)
                              + QStringLiteral(" C"),
                   shown(*result) + context());
    } else if (code == QLatin1String("CR9")) {
        FUZZ_CHECK(*result == trace, shown(*result) + context());
    } else {
        checkPressure(trace, *result);
    }
}

} // namespace fuzz
