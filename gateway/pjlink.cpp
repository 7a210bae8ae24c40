// SPDX-License-Identifier: GPL-3.0-or-later
#include "pjlink.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace pjlink {

namespace {

constexpr qsizetype kDigestLength = 32;
constexpr qsizetype kMaxCommandLength = 136;

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isBodyCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The longest result each body may carry.
qsizetype resultLimit(QByteArrayView body)
{
    if (body == "NAME")
        return 64;
    if (body == "INF1" || body == "INF2" || body == "INFO")
        return 32;
    return kMaxCommandLength - 7;
}

} // namespace

Parsed parseLine(QByteArrayView line)
{
    Parsed parsed;
    QByteArrayView rest = line;
    if (rest.size() >= kDigestLength + 2 && rest.at(kDigestLength) == '%') {
        const QByteArrayView digits = rest.first(kDigestLength);
        if (std::all_of(digits.begin(), digits.end(), isHexDigit)) {
            parsed.digest = digits.toByteArray();
            rest = rest.sliced(kDigestLength);
        }
    }
    // "%" + class digit + four body characters is the least a client can be answered by.
    if (rest.size() < 6 || rest.size() > kMaxCommandLength || rest.at(0) != '%' || rest.at(1) < '1'
        || rest.at(1) > '9')
        return parsed;
    const QByteArrayView body = rest.sliced(2, 4);
    if (!std::all_of(body.begin(), body.end(), isBodyCharacter))
        return parsed;
    parsed.request.cls = rest.at(1);
    parsed.request.body = body.toByteArray().toUpper();
    parsed.kind = Parsed::Kind::Garbled;
    if (rest.size() < 8 || rest.at(6) != ' ')
        return parsed;
    const QByteArrayView parameter = rest.sliced(7);
    for (const char c : parameter) {
        if (c < 0x20 || c > 0x7e)
            return parsed;
    }
    parsed.request.parameter = parameter.toByteArray();
    parsed.kind = Parsed::Kind::Request;
    return parsed;
}

QByteArray answer(const Request &request, QByteArrayView result)
{
    QByteArray text;
    text.reserve(result.size());
    for (const char c : result.first(std::min(result.size(), resultLimit(request.body)))) {
        // Printable ASCII only: a CR would end the answer early.
        text += (c >= 0x20 && c <= 0x7e) ? c : '?';
    }
    return '%' + QByteArray(1, request.cls) + request.body + '=' + text + '\r';
}

QByteArray answer(const Request &request, Error error)
{
    return answer(request, errorText(error));
}

QByteArrayView errorText(Error error)
{
    switch (error) {
    case Error::Undefined:
        return "ERR1";
    case Error::OutOfParameter:
        return "ERR2";
    case Error::Unavailable:
        return "ERR3";
    case Error::Failure:
        return "ERR4";
    }
    return "ERR1";
}

QByteArray greeting(const std::optional<QByteArray> &random)
{
    return random ? "PJLINK 1 " + *random + '\r' : QByteArray("PJLINK 0\r");
}

QByteArray authenticationRefused()
{
    return QByteArrayLiteral("PJLINK ERRA\r");
}

QByteArray randomChallenge()
{
    static constexpr char kDigits[] = "0123456789abcdef";
    QByteArray random(8, '0');
    for (char &c : random)
        c = kDigits[QRandomGenerator::system()->bounded(16)];
    return random;
}

QByteArray digest(QByteArrayView random, QByteArrayView password)
{
    QCryptographicHash md5(QCryptographicHash::Md5);
    md5.addData(random);
    md5.addData(password);
    return md5.result().toHex();
}

bool digestMatches(QByteArrayView given, QByteArrayView random, QByteArrayView password)
{
    const QByteArray expected = digest(random, password);
    if (given.size() != expected.size())
        return false;
    // Every digit compared, whichever differs first.
    char difference = 0;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        char c = given.at(i);
        if (c >= 'A' && c <= 'F')
            c = char(c - 'A' + 'a');
        difference |= char(c ^ expected.at(i));
    }
    return difference == 0;
}

} // namespace pjlink
