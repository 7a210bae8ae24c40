// SPDX-License-Identifier: GPL-3.0-or-later
#include "statechanges.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace sim {

namespace {

using Kind = StateChange::Kind;

struct Name
{
    const char *word;
    int value;
};

enum class Argument { None, Names, Number, LampSet, Temperatures };

struct Verb
{
    const char *word;
    Kind kind;
    bool perProjector;
    Argument argument;
    const char *shape; // of the argument, for help
    QList<Name> names;
    int min = 0;
    int max = 0;
    const char *meaning = "";
};

const QList<Verb> &verbs()
{
    static const QList<Verb> table = {
        {"power",
         Kind::Power,
         true,
         Argument::Names,
         "STATE",
         {{"on", 0x00},
          {"standby", StandbyBit},
          {"count-down", CountDownBit},
          {"cooling", CoolingBit},
          {"power-fail", PowerFaultBit},
          {"temp-warning", TemperatureWarningBit},
          {"no-key-input", KeysLockedBit},
          {"pwr-management", PowerManagementBit},
          {"temp-warning-cooling", CoolingBit | TemperatureWarningBit},
          {"pwr-management-temp-warning", CoolingBit | PowerManagementBit},
          {"temp-warning-recovered", StandbyBit | TemperatureWarningBit},
          {"lamp-fail-cooling", CoolingBit | AllLampsFailedBit},
          {"lamp-fail-standby", StandbyBit | AllLampsFailedBit}},
         0,
         0,
         "power status; count-down and cooling run out as usual"},
        {"input", Kind::InputMode, true, Argument::Number, "1..4", {}, 1, 4, "input mode"},
        {"mute",
         Kind::Mute,
         true,
         Argument::Names,
         "STATE",
         {{"off", 0}, {"video", 1}, {"audio", 2}, {"both", 3}},
         0,
         0,
         "video mute (no show) and audio mute, read while on"},
        {"signal",
         Kind::Signal,
         true,
         Argument::Names,
         "STATE",
         {{"none", 0}, {"present", 1}},
         0,
         0,
         "a source on the selected input, read while on"},
        {"reversal",
         Kind::Reversal,
         true,
         Argument::Names,
         "STATE",
         {{"normal", 0}, {"top-bottom", 1}, {"left-right", 2}, {"both", 3}},
         0,
         0,
         "image reversal"},
        {"lamp-mode",
         Kind::LampMode,
         true,
         Argument::Names,
         "MODE",
         {{"4", int(LampMode::FourLamps)},
          {"1-4", int(LampMode::LampsOneAndFour)},
          {"2-3", int(LampMode::LampsTwoAndThree)}},
         0,
         0,
         "lamp mode; lights the lamps it selects while on"},
        {"lamps", Kind::Lamps, true, Argument::LampSet, "LAMPS", {}, 0, 0, "lamps burning"},
        {"lamp-fail",
         Kind::LampFailure,
         true,
         Argument::LampSet,
         "LAMPS",
         {},
         0,
         0,
         "failed lamps"},
        {"hours", Kind::LampHours, true, Argument::Number, "0..99999", {}, 0, 99999, "lamp hours"},
        {"temp",
         Kind::Temperatures,
         true,
         Argument::Temperatures,
         "S1 S2",
         {},
         0,
         0,
         "degC, S1 -99.9..99.9, S2 0..99.9; a power change resets them"},
        {"pressure",
         Kind::Pressure,
         true,
         Argument::Number,
         "0..1023",
         {},
         0,
         1023,
         "pressure sensor reading (512 = 650 hPa)"},
        {"speed",
         Kind::Speed,
         false,
         Argument::Names,
         "BAUD",
         {{"19200", 19200}, {"9600", 9600}},
         0,
         0,
         "speed of the projectors' ports"},
        {"help", Kind::Help, false, Argument::None, "", {}, 0, 0, "lists these changes"},
    };
    return table;
}

ParsedChange failure(const QString &error)
{
    return {{}, error};
}

std::optional<int> number(QStringView text, int min, int max)
{
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    int value = 0;
    for (const QChar ch : text) {
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        value = value * 10 + (ch.unicode() - u'0');
    }
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

// "none", "all" or lamp numbers joined by commas: "1,4".
std::optional<int> lampSet(QStringView text)
{
    if (text.compare(u"none", Qt::CaseInsensitive) == 0)
        return 0;
    if (text.compare(u"all", Qt::CaseInsensitive) == 0)
        return 0xF;
    int mask = 0;
    for (const QStringView lamp : text.split(u',')) {
        const auto n = number(lamp, 1, 4);
        if (!n)
            return std::nullopt;
        mask |= 1 << (*n - 1);
    }
    return mask;
}

// "35", "35.5", "-4.5": tenths of a degree, two integer digits at most.
std::optional<int> tenths(QStringView text, int min)
{
    const bool negative = text.startsWith(u'-');
    if (negative)
        text = text.mid(1);
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.left(point);
    const QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    const auto degrees = number(whole, 0, 99);
    if (!degrees || (point >= 0 && fraction.size() != 1))
        return std::nullopt;
    const auto decimal = point < 0 ? std::optional<int>(0) : number(fraction, 0, 9);
    if (!decimal)
        return std::nullopt;
    const int value = (*degrees * 10 + *decimal) * (negative ? -1 : 1);
    if (value < min)
        return std::nullopt;
    return value;
}

QString usage(const Verb &verb)
{
    QString text = QString::fromLatin1(verb.word);
    if (verb.perProjector)
        text += QStringLiteral(" N");
    if (*verb.shape)
        text += u' ' + QString::fromLatin1(verb.shape);
    return text;
}

QString nameList(const Verb &verb)
{
    QStringList words;
    for (const Name &name : verb.names)
        words << QString::fromLatin1(name.word);
    return words.join(QStringLiteral(", "));
}

void applyTo(Projector &projector, const StateChange &change, qint64 nowMs)
{
    projector.advanceTo(nowMs);
    ProjectorState &s = projector.state();
    switch (change.kind) {
    case Kind::Power:
        projector.setPowerStatus(change.value, nowMs);
        break;
    case Kind::InputMode:
        s.inputMode = change.value;
        break;
    case Kind::Mute:
        s.noShow = change.value & 1;
        s.soundMute = change.value & 2;
        break;
    case Kind::Signal:
        s.signalPresent = change.value != 0;
        break;
    case Kind::Reversal:
        s.flipTopBottom = change.value & 1;
        s.flipLeftRight = change.value & 2;
        break;
    case Kind::LampMode:
        s.lampMode = LampMode(change.value);
        s.relightLamps();
        break;
    case Kind::Lamps:
        s.litLamps = change.value;
        break;
    case Kind::LampFailure:
        s.failedLamps = change.value;
        s.litLamps &= ~change.value;
        break;
    case Kind::LampHours:
        s.lampMs = qint64(change.value) * 3600000;
        break;
    case Kind::Temperatures:
        s.temperature1Tenths = change.value;
        s.temperature2Tenths = change.second;
        break;
    case Kind::Pressure:
        s.pressureReading = change.value;
        break;
    case Kind::None:
    case Kind::Help:
    case Kind::Speed:
        break;
    }
}

} // namespace

ParsedChange parseChange(QStringView line)
{
    const qsizetype comment = line.indexOf(u'#');
    if (comment >= 0)
        line = line.left(comment);
    QList<QStringView> tokens;
    qsizetype start = -1;
    for (qsizetype at = 0; at <= line.size(); ++at) {
        const bool space = at == line.size() || line.at(at).isSpace();
        if (space && start >= 0) {
            tokens << line.mid(start, at - start);
            start = -1;
        } else if (!space && start < 0) {
            start = at;
        }
    }
    if (tokens.isEmpty())
        return {};

    const Verb *verb = nullptr;
    for (const Verb &candidate : verbs()) {
        if (tokens.first().compare(QLatin1String(candidate.word), Qt::CaseInsensitive) == 0)
            verb = &candidate;
    }
    if (!verb) {
        return failure(
            QStringLiteral("unknown change \"%1\" (help lists them)").arg(tokens.first().left(40)));
    }

    StateChange change;
    change.kind = verb->kind;
    qsizetype next = 1;
    if (verb->perProjector) {
        if (tokens.size() <= next)
            return failure(QStringLiteral("usage: %1").arg(usage(*verb)));
        const QStringView projector = tokens.at(next++);
        if (projector.compare(u"all", Qt::CaseInsensitive) == 0) {
            change.projector = 0;
        } else if (const auto n = number(projector, 1, ProjectorModel::ProjectorCount)) {
            change.projector = *n;
        } else {
            return failure(QStringLiteral("%1: projector must be 1 to 4 or all, not \"%2\"")
                               .arg(QLatin1String(verb->word), projector.left(40)));
        }
    }
    const int expected = verb->argument == Argument::None           ? 0
                         : verb->argument == Argument::Temperatures ? 2
                                                                    : 1;
    if (tokens.size() != next + expected)
        return failure(QStringLiteral("usage: %1").arg(usage(*verb)));

    const auto wrong = [verb](QStringView what) {
        QString message
            = QStringLiteral("%1: \"%2\" is no %3")
                  .arg(QLatin1String(verb->word), what.left(40), QString::fromLatin1(verb->shape));
        if (!verb->names.isEmpty())
            message += QStringLiteral(" (%1)").arg(nameList(*verb));
        return failure(message);
    };
    switch (verb->argument) {
    case Argument::None:
        break;
    case Argument::Names: {
        const QStringView word = tokens.at(next);
        const auto name
            = std::find_if(verb->names.cbegin(), verb->names.cend(), [word](const Name &n) {
                  return word.compare(QLatin1String(n.word), Qt::CaseInsensitive) == 0;
              });
        if (name == verb->names.cend())
            return wrong(word);
        change.value = name->value;
        break;
    }
    case Argument::Number: {
        const auto value = number(tokens.at(next), verb->min, verb->max);
        if (!value)
            return wrong(tokens.at(next));
        change.value = *value;
        break;
    }
    case Argument::LampSet: {
        const auto value = lampSet(tokens.at(next));
        if (!value)
            return wrong(tokens.at(next));
        change.value = *value;
        break;
    }
    case Argument::Temperatures: {
        const auto s1 = tenths(tokens.at(next), -999);
        const auto s2 = tenths(tokens.at(next + 1), 0);
        if (!s1 || !s2)
            return wrong(QStringLiteral("%1 %2").arg(tokens.at(next), tokens.at(next + 1)));
        change.value = *s1;
        change.second = *s2;
        break;
    }
    }
    return {change, {}};
}

void applyChange(ProjectorModel &model, const StateChange &change, qint64 nowMs)
{
    if (change.kind == Kind::Speed) {
        model.setBaudRate(change.value);
        return;
    }
    for (int number = 1; number <= ProjectorModel::ProjectorCount; ++number) {
        if (change.projector == 0 || change.projector == number)
            applyTo(model.projector(number), change, nowMs);
    }
}

QString describe(const StateChange &change)
{
    const auto verb = std::find_if(verbs().cbegin(), verbs().cend(),
                                   [&change](const Verb &v) { return v.kind == change.kind; });
    if (verb == verbs().cend())
        return {};
    QString text = QString::fromLatin1(verb->word);
    if (verb->perProjector)
        text += change.projector == 0 ? QStringLiteral(" all")
                                      : QStringLiteral(" %1").arg(change.projector);
    const auto degrees = [](int tenths) {
        return QStringLiteral("%1%2.%3")
            .arg(tenths < 0 ? QStringLiteral("-") : QString())
            .arg(std::abs(tenths) / 10)
            .arg(std::abs(tenths) % 10);
    };
    switch (verb->argument) {
    case Argument::None:
        break;
    case Argument::Names:
        for (const Name &name : verb->names) {
            if (name.value == change.value)
                text += u' ' + QString::fromLatin1(name.word);
        }
        break;
    case Argument::Number:
        text += QStringLiteral(" %1").arg(change.value);
        break;
    case Argument::LampSet: {
        QStringList lamps;
        for (int lamp = 1; lamp <= 4; ++lamp) {
            if (change.value & (1 << (lamp - 1)))
                lamps << QString::number(lamp);
        }
        text += u' '
                + (change.value == 0     ? QStringLiteral("none")
                   : change.value == 0xF ? QStringLiteral("all")
                                         : lamps.join(u','));
        break;
    }
    case Argument::Temperatures:
        text += u' ' + degrees(change.value) + u' ' + degrees(change.second);
        break;
    }
    return text;
}

QString changeHelp()
{
    QString text = QStringLiteral(
        "One change per line; N is a projector, 1 to 4, or all; # starts a comment.\n");
    for (const Verb &verb : verbs()) {
        text += QStringLiteral("  %1  %2")
                    .arg(usage(verb).leftJustified(18), QString::fromLatin1(verb.meaning));
        if (!verb.names.isEmpty()) {
            // Wrapped after a comma so the lines stay within 80 columns.
            QString names = QString::fromLatin1(verb.shape) + u':';
            QString line;
            for (const Name &name : verb.names) {
                const QString word = u' ' + QString::fromLatin1(name.word) + u',';
                if (!line.isEmpty() && line.size() + word.size() > 52) {
                    text += QStringLiteral("\n  %1  %2%3").arg(QString(18, u' '), names, line);
                    names = QString(names.size(), u' ');
                    line.clear();
                }
                line += word;
            }
            line.chop(1);
            text += QStringLiteral("\n  %1  %2%3").arg(QString(18, u' '), names, line);
        }
        if (verb.argument == Argument::LampSet)
            text += QStringLiteral("\n  %1  LAMPS: none, all or numbers, as 1,4")
                        .arg(QString(18, u' '));
        text += u'\n';
    }
    return text;
}

QString applyChanges(ProjectorModel &model, const QString &text, qint64 nowMs)
{
    QList<StateChange> changes;
    const QStringList lines = text.split(u'\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const ParsedChange parsed = parseChange(lines.at(index));
        if (!parsed.error.isEmpty())
            return QStringLiteral("line %1: %2").arg(index + 1).arg(parsed.error);
        changes << parsed.change;
    }
    for (const StateChange &change : changes)
        applyChange(model, change, nowMs);
    return {};
}

} // namespace sim
