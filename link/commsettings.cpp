// SPDX-License-Identifier: GPL-3.0-or-later
#include "commsettings.h"

#include <QStringList>

#include <algorithm>

double SerialSettings::characterMicroseconds() const
{
    double bits = 1 + dataBits + (parity == Parity::None ? 0 : 1);
    bits += stopBits == StopBits::One ? 1.0 : stopBits == StopBits::OneAndHalf ? 1.5 : 2.0;
    return bits * 1e6 / baudRate;
}

// ASCII digits alone, without sign, spaces or a leading zero: toInt() would
// also take "+9600" or " 9600", and reads a field only up to a NUL character.
static bool isPlainNumber(const QString &field)
{
    return !field.isEmpty() && field.front() != u'0'
           && std::all_of(field.begin(), field.end(),
                          [](QChar c) { return c >= u'0' && c <= u'9'; });
}

static ParsedSettings refuse(const QString &text, const QString &why)
{
    return {std::nullopt, QStringLiteral("Invalid settings \"%1\": %2.").arg(text, why)};
}

ParsedSettings parseSettings(const QString &text)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        return refuse(text, QStringLiteral("expected baud rate, parity, data bits and stop bits "
                                           "separated by commas"));

    SerialSettings s;
    bool ok = false;
    s.baudRate = fields[0].toInt(&ok);
    if (!isPlainNumber(fields[0]) || !ok)
        return refuse(text, QStringLiteral("the baud rate must be a positive whole number"));

    static const QString parities = QStringLiteral("NEOMS");
    const qsizetype parity = fields[1].size() == 1 ? parities.indexOf(fields[1].at(0)) : -1;
    if (parity < 0)
        return refuse(text, QStringLiteral("the parity must be one of N, E, O, M, S"));
    s.parity = static_cast<SerialSettings::Parity>(parity);

    s.dataBits = fields[2].toInt(&ok);
    if (!isPlainNumber(fields[2]) || s.dataBits < 5 || s.dataBits > 8)
        return refuse(text, QStringLiteral("the data bits must be 5, 6, 7 or 8"));

    if (fields[3] == QLatin1String("1"))
        s.stopBits = SerialSettings::StopBits::One;
    else if (fields[3] == QLatin1String("1.5"))
        s.stopBits = SerialSettings::StopBits::OneAndHalf;
    else if (fields[3] == QLatin1String("2"))
        s.stopBits = SerialSettings::StopBits::Two;
    else
        return refuse(text, QStringLiteral("the stop bits must be 1, 1.5 or 2"));

    return {s, {}};
}
