// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <variant>

// The replies to the status queries as typed values, and whether a reply can be
// the answer to a command at all. Replies are read without their terminator
// (the carriage return, or the CR LF pair some projectors end them with).
namespace status {

enum class Query {
    Power,        // "CR0"
    Input,        // "CR1"
    LampTime,     // "CR3"
    Reversal,     // "CR4"
    Temperatures, // "CR6"
    LampMode,     // "CR7"
    PcType,       // "CR9"
    MuteSignal,   // "CRA"
    Pressure,     // "CR PRESSURE"
    LampFailures, // "CR INFPFAIL"
};

// The query a command code asks ("CR0", without prefix and carriage return).
std::optional<Query> queryFor(QStringView code);
QLatin1StringView codeOf(Query query);
// A short lower-case name: "power", "lamp-time", "pressure", ...
QLatin1StringView nameOf(Query query);

enum class PowerState {
    On,                            // 00
    Standby,                       // 80
    CountDown,                     // 40
    CoolingDown,                   // 20
    PowerFail,                     // 10
    TemperatureWarning,            // 08
    NoKeyInput,                    // 02
    LampOffByPowerManagement,      // 04
    TemperatureWarningCoolingDown, // 28
    LampOffTemperatureWarning,     // 24
    TemperatureWarningRecovered,   // 88
    CoolingDownAllLampsFailed,     // 21
    StandbyAllLampsFailed,         // 81
};

// A status byte the table has no row for, read by its bits: the projector
// combined its states in a way the table does not name (a fault state, often).
struct PowerBits
{
    quint8 code = 0; // the byte as its two hex digits give it: "23" is 0x23
};

struct InputMode
{
    int input = 1; // 1..4
};

struct Reversal
{
    bool topBottom = false; // upside down
    bool leftRight = false; // mirrored
};

struct LampHours
{
    qint64 hours = 0;
};

struct Temperatures
{
    double sensor1 = 0; // degrees Celsius
    double sensor2 = 0;
};

enum class MuteSignal { Off, Video, Audio, VideoAndAudio, NoSignal, Standby };

struct PcType
{
    QString source; // "XGA 60Hz", as the projector words it
};

struct Pressure
{
    qint64 reading = 0;     // the sensor's reading
    qint64 hectopascal = 0; // as the STATUS line shows it
};

struct LampMode
{
    int mode = 0;       // 0: 4 lamps, 1: lamps 1 and 4, 2: lamps 2 and 3
    quint8 lampsOn = 0; // bit n-1 set: lamp n is on
};

struct LampFailures
{
    quint8 failed = 0; // bit n-1 set: lamp n has failed
};

using Value = std::variant<PowerState, InputMode, Reversal, LampHours, Temperatures, MuteSignal,
                           PcType, Pressure, LampMode, LampFailures, PowerBits>;

// The value of a reply to `query`; none when the reply is not exactly of the form the
// projector gives it: power status two hex digits (a code of the table, or else read by
// its bits), input one digit 1..4, lamp time five digits, reversal and mute a code of
// their tables, temperatures "+35.0, 41.5", lamp mode a digit 0..2 and a hex digit,
// pressure one to four digits, lamp failures "NO FAIL" or "LAMP FAIL No1,3". Hex digits
// are capitals.
std::optional<Value> readValue(Query query, QStringView reply);

// No reply begins with `c`: a NUL, 0xFF and the other codes the trace shows as "? ",
// which a line produces when a projector powers up or a cable is plugged in.
bool beginsNoReply(QChar c);

// The projector took the command ("\x06") or refused it ("?").
bool isAcknowledgement(QStringView reply);
bool isRefusal(QStringView reply);

enum class Fit {
    No,        // this reply cannot be the command's answer
    Beginning, // what arrived so far begins a reply the command can get
    Whole,     // a reply the command can get
};

// Whether `reply` can answer a command that asks `query` (none: a command that asks
// nothing). ACK and "?" answer any command; a query's reply fits when readValue()
// reads it. `complete`: the reply's terminator has arrived; without it a reply that
// already reads is Whole as well, and one that may still come to read is Beginning.
Fit fit(std::optional<Query> query, QStringView reply, bool complete);

// The value in a few words ("on", "input 3", "1012 hPa") and as JSON fields.
QString describe(const Value &value);
QJsonObject toJson(const Value &value);
// The value whose JSON form `object` is; none when it is the form of no value.
std::optional<Value> fromJson(const QJsonObject &object);
// The numbers 1..4 of the lamps whose bits are set in `mask`.
QJsonArray lampList(quint8 mask);
// The same as "1,3"; `none` for no lamp.
QString lampWords(quint8 mask, QStringView none);
QLatin1StringView nameOf(PowerState state);
QLatin1StringView nameOf(MuteSignal state);
// The status byte of a state of the table.
quint8 codeOf(PowerState state);
// The states the bits of a status byte name: "on" or "standby", then the others set,
// from the highest bit down ("cooling-down", ..., "all-lamps-failed").
QStringList powerStates(quint8 code);
// The bits of a status byte below the stand-by bit (0x80), highest first, and
// the states they name.
QList<QPair<quint8, QLatin1StringView>> powerBits();

} // namespace status
