// SPDX-License-Identifier: GPL-3.0-or-later
#include "numberreader.h"

#include <charconv>
#include <limits>
#include <string>

namespace status {

namespace {

// Walks the text, skipping the blanks that may stand anywhere in the number.
class Cursor
{
public:
    explicit Cursor(QStringView text) : m_text(text) { skipBlanks(); }

    QChar peek() const { return m_pos < m_text.size() ? m_text.at(m_pos) : QChar(); }
    void next()
    {
        ++m_pos;
        skipBlanks();
    }
    bool take(char c)
    {
        if (peek() != QLatin1Char(c))
            return false;
        next();
        return true;
    }
    bool takeDigit(char *digit)
    {
        const QChar c = peek();
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        *digit = char(c.unicode());
        next();
        return true;
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
                break;
            ++m_pos;
        }
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

double readNumber(QStringView text)
{
    Cursor cursor(text);
    const bool negative = cursor.take('-');
    if (!negative)
        cursor.take('+');

    std::string integerDigits;
    std::string fractionDigits;
    char digit = 0;
    while (cursor.takeDigit(&digit))
        integerDigits += digit;
    if (cursor.take('.')) {
        while (cursor.takeDigit(&digit))
            fractionDigits += digit;
    }
    if (integerDigits.empty() && fractionDigits.empty())
        return 0.0;

    // The exponent saturates far beyond the double range, so no digit string can
    // overflow it.
    constexpr qint64 exponentLimit = 1'000'000'000;
    qint64 exponent = 0;
    if (cursor.take('E') || cursor.take('e') || cursor.take('D') || cursor.take('d')) {
        const bool negativeExponent = cursor.take('-');
        if (!negativeExponent)
            cursor.take('+');
        while (cursor.takeDigit(&digit)) {
            if (exponent < exponentLimit)
                exponent = exponent * 10 + (digit - '0');
        }
        if (negativeExponent)
            exponent = -exponent;
    }

    std::string number = integerDigits.empty() ? std::string("0") : integerDigits;
    if (!fractionDigits.empty())
        number += '.' + fractionDigits;
    number += 'e' + std::to_string(exponent);

    double magnitude = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), magnitude);
    if (result.ec == std::errc::result_out_of_range) {
        // Out of range is either an overflow or an underflow; the position of the first
        // significant digit tells which.
        const auto firstSignificant = integerDigits.find_first_not_of('0');
        const qint64 decimalExponent = firstSignificant != std::string::npos
                                           ? qint64(integerDigits.size() - firstSignificant)
                                           : -qint64(fractionDigits.find_first_not_of('0'));
        magnitude = decimalExponent + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -magnitude : magnitude;
}

} // namespace status
