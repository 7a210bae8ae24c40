// SPDX-License-Identifier: GPL-3.0-or-later
#include "values.h"

#include "codes.h"
#include "overloaded.h"

#include "decoders.h"
#include "numberreader.h"

#include <QByteArray>
#include <QJsonArray>
#include <algorithm>
#include <array>
#include <limits>

namespace status {

namespace {

struct QueryRow
{
    Query query;
    const char *code;
    const char *name;
};

constexpr std::array<QueryRow, 10> kQueries = {{
    {Query::Power, "CR0", "power"},
    {Query::Input, "CR1", "input"},
    {Query::LampTime, "CR3", "lamp-time"},
    {Query::Reversal, "CR4", "reversal"},
    {Query::Temperatures, "CR6", "temperatures"},
    {Query::LampMode, "CR7", "lamp-mode"},
    {Query::PcType, "CR9", "pc-type"},
    {Query::MuteSignal, "CRA", "mute-signal"},
    {Query::Pressure, "CR PRESSURE", "pressure"},
    {Query::LampFailures, "CR INFPFAIL", "lamp-failures"},
}};

template<typename T>
using KeyRow = CodeRow<T>;

template<typename T, std::size_t N>
const KeyRow<T> *findKey(const KeyRow<T> (&rows)[N], QStringView reply)
{
    for (const KeyRow<T> &row : rows) {
        if (reply == QLatin1StringView(row.code))
            return &row;
    }
    return nullptr;
}

// Whether `reply`, shorter than every key, begins one of them.
template<typename T, std::size_t N>
bool beginsKey(const KeyRow<T> (&rows)[N], QStringView reply)
{
    for (const KeyRow<T> &row : rows) {
        if (QLatin1StringView(row.code).startsWith(reply))
            return true;
    }
    return false;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int hexDigit(QChar c)
{
    if (isDigit(c))
        return c.unicode() - '0';
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    return -1;
}

bool digits(QStringView text, qsizetype least, qsizetype most)
{
    return text.size() >= least && text.size() <= most
           && std::all_of(text.begin(), text.end(), isDigit);
}

constexpr qsizetype kLampTimeDigits = 5;
constexpr qsizetype kMostPressureDigits = 4; // readings 0..1023

// The form of the temperatures: sensor 1 with its sign, a comma and a space, sensor 2,
// each with two digits and one decimal: "+35.0, 41.5". 'd' stands for a digit, 's' for
// the sign.
constexpr QLatin1StringView kTemperatureForm("sdd.d, dd.d");

bool fitsForm(QStringView reply, QLatin1StringView form)
{
    if (reply.size() > form.size())
        return false;
    for (qsizetype i = 0; i < reply.size(); ++i) {
        const QChar c = reply.at(i);
        const char f = form.at(i).toLatin1();
        const bool fits = f == 'd'   ? isDigit(c)
                          : f == 's' ? c == QLatin1Char('+') || c == QLatin1Char('-')
                                     : c == QLatin1Char(f);
        if (!fits)
            return false;
    }
    return true;
}

// Sensor 1 is reply characters 1 to 5, sensor 2 characters 8 to 11.
std::optional<Temperatures> readTemperatures(QStringView reply)
{
    if (reply.size() != kTemperatureForm.size() || !fitsForm(reply, kTemperatureForm))
        return std::nullopt;
    return Temperatures{readNumber(reply.left(5)), readNumber(reply.mid(7, 4))};
}

const QLatin1StringView kNoFail("NO FAIL");
const QLatin1StringView kLampFail("LAMP FAIL No");

// "NO FAIL", or "LAMP FAIL No" and the failed lamps ascending: "LAMP FAIL No1,3".
std::optional<LampFailures> readLampFailures(QStringView reply)
{
    if (reply == kNoFail)
        return LampFailures{};
    if (!reply.startsWith(kLampFail))
        return std::nullopt;
    quint8 failed = 0;
    const QStringView lamps = reply.mid(kLampFail.size());
    for (qsizetype i = 0; i < lamps.size(); i += 2) {
        const QChar lamp = lamps.at(i);
        if (lamp < QLatin1Char('1') || lamp > QLatin1Char('4'))
            return std::nullopt;
        failed |= quint8(1 << (lamp.unicode() - '1'));
        if (i + 1 < lamps.size() && lamps.at(i + 1) != QLatin1Char(','))
            return std::nullopt;
    }
    if (failed == 0 || lamps.endsWith(QLatin1Char(',')))
        return std::nullopt;
    return LampFailures{failed};
}

bool beginsLampFailures(QStringView reply)
{
    if (kNoFail.startsWith(reply) || kLampFail.startsWith(reply))
        return true;
    if (!reply.startsWith(kLampFail))
        return false;
    const QStringView lamps = reply.mid(kLampFail.size());
    return std::all_of(lamps.begin(), lamps.end(), [](QChar c) {
        return (c >= QLatin1Char('1') && c <= QLatin1Char('4')) || c == QLatin1Char(',');
    });
}

bool printable(QStringView reply)
{
    return std::all_of(reply.begin(), reply.end(),
                       [](QChar c) { return c >= QLatin1Char(' ') && c <= QLatin1Char('~'); });
}

// Whether a reply that does not read yet may still come to read.
bool mayBegin(Query query, QStringView reply)
{
    if (reply.isEmpty())
        return true;
    switch (query) {
    case Query::Power:
        return reply.size() == 1 && hexDigit(reply.at(0)) >= 0;
    case Query::Input:
        return false;
    case Query::Reversal:
        return reply.size() < 2 && beginsKey(kReversalCodes, reply);
    case Query::MuteSignal:
        return reply.size() < 2 && beginsKey(kMuteCodes, reply);
    case Query::LampMode:
        return reply.size() == 1 && reply.at(0) >= QLatin1Char('0')
               && reply.at(0) <= QLatin1Char('2');
    case Query::LampTime:
        return digits(reply, 1, kLampTimeDigits - 1);
    case Query::Temperatures:
        return fitsForm(reply, kTemperatureForm);
    case Query::LampFailures:
        return beginsLampFailures(reply);
    case Query::Pressure:
    case Query::PcType:
        return false;
    }
    return false;
}

} // namespace

std::optional<Query> queryFor(QStringView code)
{
    for (const QueryRow &row : kQueries) {
        if (code == QLatin1StringView(row.code))
            return row.query;
    }
    return std::nullopt;
}

QLatin1StringView codeOf(Query query)
{
    return QLatin1StringView(kQueries[std::size_t(query)].code);
}

QLatin1StringView nameOf(Query query)
{
    return QLatin1StringView(kQueries[std::size_t(query)].name);
}

std::optional<Value> readValue(Query query, QStringView reply)
{
    switch (query) {
    case Query::Power:
        if (const auto *row = findKey(kPowerCodes, reply))
            return row->value;
        if (reply.size() == 2 && hexDigit(reply.at(0)) >= 0 && hexDigit(reply.at(1)) >= 0)
            return PowerBits{quint8(hexDigit(reply.at(0)) << 4 | hexDigit(reply.at(1)))};
        return std::nullopt;
    case Query::Input:
        if (reply.size() == 1 && reply.at(0) >= QLatin1Char('1') && reply.at(0) <= QLatin1Char('4'))
            return InputMode{reply.at(0).unicode() - '0'};
        return std::nullopt;
    case Query::Reversal:
        if (const auto *row = findKey(kReversalCodes, reply))
            return row->value;
        return std::nullopt;
    case Query::MuteSignal:
        if (const auto *row = findKey(kMuteCodes, reply))
            return row->value;
        return std::nullopt;
    case Query::LampMode:
        if (reply.size() == 2 && reply.at(0) >= QLatin1Char('0') && reply.at(0) <= QLatin1Char('2')
            && hexDigit(reply.at(1)) >= 0)
            return LampMode{reply.at(0).unicode() - '0', quint8(hexDigit(reply.at(1)))};
        return std::nullopt;
    case Query::LampTime:
        if (digits(reply, kLampTimeDigits, kLampTimeDigits))
            return LampHours{reply.toLongLong()};
        return std::nullopt;
    case Query::Pressure:
        if (digits(reply, 1, kMostPressureDigits)) {
            const qint64 reading = pressureReading(reply.toLongLong());
            return Pressure{reading, hectopascal(reading)};
        }
        return std::nullopt;
    case Query::Temperatures:
        if (const auto t = readTemperatures(reply))
            return *t;
        return std::nullopt;
    case Query::PcType:
        if (!reply.isEmpty() && printable(reply) && !isRefusal(reply))
            return PcType{reply.toString()};
        return std::nullopt;
    case Query::LampFailures:
        if (const auto f = readLampFailures(reply))
            return *f;
        return std::nullopt;
    }
    return std::nullopt;
}

bool beginsNoReply(QChar c)
{
    const char16_t code = c.unicode();
    const bool begins = code == 6 || code == '\r' || code == '\n' || (code >= ' ' && code <= 'z');
    return !begins;
}

bool isAcknowledgement(QStringView reply)
{
    return reply == QLatin1StringView("\x06");
}

bool isRefusal(QStringView reply)
{
    return reply == QLatin1StringView("?");
}

Fit fit(std::optional<Query> query, QStringView reply, bool complete)
{
    if (isAcknowledgement(reply) || isRefusal(reply))
        return Fit::Whole;
    if (query && readValue(*query, reply))
        return Fit::Whole;
    if (complete)
        return Fit::No;
    if (reply.isEmpty())
        return Fit::Beginning;
    // The digits of a pressure and the words of the source type may grow; what
    // reads so far stays a beginning too, but those are Whole above.
    if (query && mayBegin(*query, reply))
        return Fit::Beginning;
    return Fit::No;
}

QLatin1StringView nameOf(PowerState state)
{
    for (const auto &row : kPowerCodes) {
        if (row.value == state)
            return QLatin1StringView(row.name);
    }
    return {};
}

quint8 codeOf(PowerState state)
{
    for (const auto &row : kPowerCodes) {
        if (row.value == state)
            return quint8(QByteArray(row.code).toUInt(nullptr, 16));
    }
    return 0;
}

QList<QPair<quint8, QLatin1StringView>> powerBits()
{
    QList<QPair<quint8, QLatin1StringView>> bits;
    for (const PowerBitRow &row : kPowerBits)
        bits.append({row.bit, QLatin1StringView(row.name)});
    return bits;
}

QStringList powerStates(quint8 code)
{
    QStringList states{code & kStandbyBit ? QStringLiteral("standby") : QStringLiteral("on")};
    for (const auto &[bit, name] : powerBits()) {
        if (code & bit)
            states << name;
    }
    return states;
}

QLatin1StringView nameOf(MuteSignal state)
{
    for (const auto &row : kMuteCodes) {
        if (row.value == state)
            return QLatin1StringView(row.name);
    }
    return {};
}

QJsonArray lampList(quint8 mask)
{
    QJsonArray lamps;
    for (int lamp = 1; lamp <= 4; ++lamp) {
        if (mask & (1 << (lamp - 1)))
            lamps.append(lamp);
    }
    return lamps;
}

QString lampWords(quint8 mask, QStringView none)
{
    QStringList lamps;
    for (const QJsonValue lamp : lampList(mask))
        lamps << QString::number(lamp.toInt());
    return lamps.isEmpty() ? none.toString() : lamps.join(QLatin1Char(','));
}

namespace {

QString reversalName(Reversal r)
{
    for (const auto &row : kReversalCodes) {
        if (row.value.topBottom == r.topBottom && row.value.leftRight == r.leftRight)
            return QLatin1StringView(row.name);
    }
    return {};
}

QString codeText(quint8 code)
{
    return QStringLiteral("%1").arg(uint(code), 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString describe(const Value &value)
{
    return std::visit(Overloaded{
                          [](PowerState s) { return QString(nameOf(s)); },
                          [](PowerBits v) {
                              return codeText(v.code) + QStringLiteral(": ")
                                     + powerStates(v.code).join(QStringLiteral(", "));
                          },
                          [](InputMode v) { return QStringLiteral("input %1").arg(v.input); },
                          [](Reversal v) { return reversalName(v); },
                          [](LampHours v) { return QStringLiteral("%1 h").arg(v.hours); },
                          [](Temperatures v) {
                              return QStringLiteral("%1 °C, %2 °C").arg(v.sensor1).arg(v.sensor2);
                          },
                          [](MuteSignal s) { return QString(nameOf(s)); },
                          [](const PcType &v) { return v.source; },
                          [](Pressure v) { return QStringLiteral("%1 hPa").arg(v.hectopascal); },
                          [](LampMode v) {
                              return QStringLiteral("mode %1, lamps on %2")
                                  .arg(v.mode)
                                  .arg(lampWords(v.lampsOn, u"none"));
                          },
                          [](LampFailures v) {
                              return QStringLiteral("failed %1").arg(lampWords(v.failed, u"none"));
                          },
                      },
                      value);
}

QJsonObject toJson(const Value &value)
{
    return std::visit(
        Overloaded{
            [](PowerState s) {
                return QJsonObject{{"power", QString(nameOf(s))}};
            },
            [](PowerBits v) {
                return QJsonObject{
                    {"power_code", codeText(v.code)},
                    {"power_states", QJsonArray::fromStringList(powerStates(v.code))}};
            },
            [](InputMode v) {
                return QJsonObject{{"input", v.input}};
            },
            [](Reversal v) {
                return QJsonObject{{"top_bottom", v.topBottom}, {"left_right", v.leftRight}};
            },
            [](LampHours v) {
                return QJsonObject{{"hours", v.hours}};
            },
            [](Temperatures v) {
                return QJsonObject{{"sensor1_celsius", v.sensor1}, {"sensor2_celsius", v.sensor2}};
            },
            [](MuteSignal s) {
                return QJsonObject{{"mute_signal", QString(nameOf(s))}};
            },
            [](const PcType &v) {
                return QJsonObject{{"source", v.source}};
            },
            [](Pressure v) {
                return QJsonObject{{"reading", v.reading}, {"hectopascal", v.hectopascal}};
            },
            [](LampMode v) {
                return QJsonObject{{"lamp_mode", v.mode}, {"lamps_on", lampList(v.lampsOn)}};
            },
            [](LampFailures v) {
                return QJsonObject{{"failed_lamps", lampList(v.failed)}};
            },
        },
        value);
}

namespace {

template<typename T, std::size_t N>
std::optional<T> named(const KeyRow<T> (&rows)[N], const QJsonValue &name)
{
    for (const KeyRow<T> &row : rows) {
        if (name.toString() == QLatin1StringView(row.name))
            return row.value;
    }
    return std::nullopt;
}

// The inverse of lampList(): lamps 1..4, each once.
std::optional<quint8> lampMask(const QJsonValue &lamps)
{
    if (!lamps.isArray())
        return std::nullopt;
    quint8 mask = 0;
    for (const QJsonValue lamp : lamps.toArray()) {
        const qint64 n = lamp.toInteger(0);
        if (n < 1 || n > 4 || (mask & (1 << (n - 1))))
            return std::nullopt;
        mask |= quint8(1 << (n - 1));
    }
    return mask;
}

std::optional<qint64> whole(const QJsonValue &value, qint64 low, qint64 high)
{
    const qint64 n = value.toInteger(low - 1);
    return value.isDouble() && n >= low && n <= high ? std::optional(n) : std::nullopt;
}

} // namespace

// Each value's form has keys of its own; a form with others is no value.
std::optional<Value> fromJson(const QJsonObject &o)
{
    const auto only = [&o](std::initializer_list<const char *> keys) {
        return o.size() == qsizetype(keys.size())
               && std::all_of(keys.begin(), keys.end(),
                              [&o](const char *key) { return o.contains(QLatin1String(key)); });
    };
    const auto at = [&o](const char *key) { return o.value(QLatin1String(key)); };
    constexpr qint64 kLargest = std::numeric_limits<qint64>::max();
    if (only({"power"})) {
        if (const auto s = named(kPowerCodes, at("power")))
            return *s;
    } else if (only({"power_code", "power_states"})) {
        const auto read = readValue(Query::Power, at("power_code").toString());
        const auto *bits = read ? std::get_if<PowerBits>(&*read) : nullptr;
        if (bits && at("power_states") == QJsonArray::fromStringList(powerStates(bits->code)))
            return *bits;
    } else if (only({"input"})) {
        if (const auto n = whole(at("input"), 1, 4))
            return InputMode{int(*n)};
    } else if (only({"top_bottom", "left_right"})) {
        if (at("top_bottom").isBool() && at("left_right").isBool())
            return Reversal{at("top_bottom").toBool(), at("left_right").toBool()};
    } else if (only({"hours"})) {
        if (const auto n = whole(at("hours"), 0, kLargest))
            return LampHours{*n};
    } else if (only({"sensor1_celsius", "sensor2_celsius"})) {
        if (at("sensor1_celsius").isDouble() && at("sensor2_celsius").isDouble())
            return Temperatures{at("sensor1_celsius").toDouble(), at("sensor2_celsius").toDouble()};
    } else if (only({"mute_signal"})) {
        if (const auto s = named(kMuteCodes, at("mute_signal")))
            return *s;
    } else if (only({"source"})) {
        if (at("source").isString())
            return PcType{at("source").toString()};
    } else if (only({"reading", "hectopascal"})) {
        const auto reading = whole(at("reading"), -kLargest, kLargest);
        const auto hpa = whole(at("hectopascal"), -kLargest, kLargest);
        if (reading && hpa)
            return Pressure{*reading, *hpa};
    } else if (only({"lamp_mode", "lamps_on"})) {
        const auto mode = whole(at("lamp_mode"), 0, 2);
        const auto lamps = lampMask(at("lamps_on"));
        if (mode && lamps)
            return LampMode{int(*mode), *lamps};
    } else if (only({"failed_lamps"})) {
        if (const auto lamps = lampMask(at("failed_lamps")))
            return LampFailures{*lamps};
    }
    return std::nullopt;
}

} // namespace status
