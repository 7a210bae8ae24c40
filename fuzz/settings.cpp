// SPDX-License-Identifier: GPL-3.0-or-later
// Any settings string through the parser: it accepts exactly "baud,parity,data,stop"
// and gives back what it read.
#include "check.h"
#include "input.h"
#include "link/commsettings.h"
#include "targets.h"

#include <QStringList>

#include <limits>

namespace fuzz::settings {

namespace {

enum class Verdict { Accept, Refuse, Either };

struct Expected
{
    Verdict verdict = Verdict::Refuse;
    SerialSettings settings;
};

// The documented form: a positive whole number of ASCII digits without sign, blanks
// or leading zero that fits an int; one of N, E, O, M, S; one of 5 to 8; one of 1,
// 1.5, 2; separated by single commas. A leading zero is left open: "09600" may be
// read as 9600 or refused.
Expected documentedForm(const QString &text)
{
    Expected out;
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return out;

    const QString &baud = fields[0];
    if (baud.isEmpty())
        return out;
    qint64 value = 0;
    for (const QChar c : baud) {
        if (c.unicode() < '0' || c.unicode() > '9')
            return out;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            return out;
    }
    if (value == 0)
        return out;
    out.settings.baudRate = int(value);

    static const QString parities = QStringLiteral("NEOMS");
    if (fields[1].size() != 1 || !parities.contains(fields[1].at(0)))
        return out;
    out.settings.parity = SerialSettings::Parity(parities.indexOf(fields[1].at(0)));

    static const QStringList dataBits
        = {QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")};
    if (!dataBits.contains(fields[2]))
        return out;
    out.settings.dataBits = fields[2].toInt();

    static const QStringList stopBits
        = {QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")};
    if (!stopBits.contains(fields[3]))
        return out;
    out.settings.stopBits = SerialSettings::StopBits(stopBits.indexOf(fields[3]));

    out.verdict = baud.startsWith(QLatin1Char('0')) ? Verdict::Either : Verdict::Accept;
    return out;
}

QString described(const SerialSettings &s)
{
    static const char parities[] = "NEOMS";
    static const char *const stops[] = {"1", "1.5", "2"};
    return QStringLiteral("%1,%2,%3,%4")
        .arg(s.baudRate)
        .arg(QLatin1Char(parities[int(s.parity)]))
        .arg(s.dataBits)
        .arg(QLatin1String(stops[int(s.stopBits)]));
}

} // namespace

// Byte 0, bit 0: the rest is one character a byte (embedded NULs included); set,
// any characters, two bytes a character.
void fuzzOne(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const bool anyCharacters = in.byte() & 1;
    const QByteArray rest = in.rest();
    const QString text = anyCharacters ? Input::utf16(rest) : QString::fromLatin1(rest);

    const ParsedSettings parsed = parseSettings(text);
    const Expected expected = documentedForm(text);
    FUZZ_CHECK(parsed.settings.has_value() == parsed.error.isEmpty(),
               QStringLiteral("a refusal names its reason, an acceptance none: ") + shown(text));
    if (expected.verdict == Verdict::Refuse) {
        FUZZ_CHECK(!parsed.settings, QStringLiteral("accepted %1, which is not of the form "
                                                    "\"baud,parity,databits,stopbits\"")
                                         .arg(shown(text)));
        return;
    }
    if (expected.verdict == Verdict::Accept) {
        FUZZ_CHECK(parsed.settings,
                   QStringLiteral("refused %1: %2").arg(shown(text), parsed.error));
        FUZZ_CHECK(described(*parsed.settings) == text,
                   QStringLiteral("%1 read as %2").arg(shown(text), described(*parsed.settings)));
    }
    if (parsed.settings)
        FUZZ_CHECK(*parsed.settings == expected.settings,
                   QStringLiteral("%1 read as %2").arg(shown(text), described(*parsed.settings)));
}

} // namespace fuzz::settings
