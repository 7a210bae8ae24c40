// SPDX-License-Identifier: GPL-3.0-or-later
#include "pjlinkplan.h"

#include "core/catalogue.h"

#include <QCoreApplication>

namespace pjlink {

namespace {

using status::PowerState;

// The catalogue's button that sends `code`.
QString button(QLatin1StringView code)
{
    for (const commands::OneShot &shot : commands::oneShots()) {
        if (shot.code == code)
            return shot.name;
    }
    return {};
}

QStringList buttons(std::initializer_list<const char *> codes)
{
    QStringList names;
    for (const char *code : codes)
        names << button(QLatin1StringView(code));
    return names;
}

template<typename T>
const T *valueOf(const Outcome &outcome)
{
    return outcome.value ? std::get_if<T>(&*outcome.value) : nullptr;
}

// POWR ?: 0 standby, 1 on, 2 cooling down, 3 warming up; none for a failure.
std::optional<QByteArray> powerOf(PowerState state)
{
    switch (state) {
    case PowerState::On:
    case PowerState::TemperatureWarning:
    case PowerState::NoKeyInput:
        return "1";
    case PowerState::CountDown:
        return "3";
    case PowerState::CoolingDown:
    case PowerState::TemperatureWarningCoolingDown:
    case PowerState::CoolingDownAllLampsFailed:
        return "2";
    case PowerState::Standby:
    case PowerState::LampOffByPowerManagement:
    case PowerState::LampOffTemperatureWarning:
    case PowerState::TemperatureWarningRecovered:
    case PowerState::StandbyAllLampsFailed:
        return "0";
    case PowerState::PowerFail:
        break;
    }
    return std::nullopt;
}

char temperatureOf(PowerState state)
{
    switch (state) {
    case PowerState::LampOffTemperatureWarning:
        return '2';
    case PowerState::TemperatureWarning:
    case PowerState::TemperatureWarningCoolingDown:
    case PowerState::TemperatureWarningRecovered:
        return '1';
    default:
        return '0';
    }
}

char lampOf(PowerState state, quint8 failed)
{
    if (state == PowerState::CoolingDownAllLampsFailed || state == PowerState::StandbyAllLampsFailed
        || (failed & 0xF) == 0xF)
        return '2';
    return (failed & 0xF) ? '1' : '0';
}

// A query's answer from its one typed value; none when the value says nothing PJLink can tell.
std::optional<QByteArray> queried(const QByteArray &body, const Profile &profile,
                                  std::span<const Outcome> outcomes)
{
    if (body == "POWR") {
        if (const auto *state = valueOf<PowerState>(outcomes[0]))
            return powerOf(*state);
    } else if (body == "INPT") {
        if (const auto *mode = valueOf<status::InputMode>(outcomes[0]);
            mode && mode->input >= 1 && mode->input <= 4
            && !profile.inputs[mode->input - 1].isEmpty())
            return profile.inputs[mode->input - 1];
    } else if (body == "AVMT") {
        // Without a source, or in standby, the projector does not tell its mutes.
        if (const auto *mute = valueOf<status::MuteSignal>(outcomes[0])) {
            switch (*mute) {
            case status::MuteSignal::Off:
                return "30";
            case status::MuteSignal::Video:
                return "11";
            case status::MuteSignal::Audio:
                return "21";
            case status::MuteSignal::VideoAndAudio:
                return "31";
            default:
                break;
            }
        }
    } else if (body == "ERST" && outcomes.size() == 2) {
        const auto *state = valueOf<PowerState>(outcomes[0]);
        const auto *failures = valueOf<status::LampFailures>(outcomes[1]);
        if (state && failures) {
            const char other = *state == PowerState::PowerFail ? '2' : '0';
            const char fields[]
                = {'0', lampOf(*state, failures->failed), temperatureOf(*state), '0', '0', other};
            return QByteArray(fields, sizeof fields);
        }
    } else if (body == "LAMP" && outcomes.size() == 2) {
        // The projector counts one lamp time for its lamps.
        const auto *hours = valueOf<status::LampHours>(outcomes[0]);
        const auto *mode = valueOf<status::LampMode>(outcomes[1]);
        if (hours && mode) {
            QByteArrayList lamps;
            for (int lamp = 0; lamp < 4; ++lamp) {
                lamps << QByteArray::number(std::min<qint64>(hours->hours, 99999))
                      << ((mode->lampsOn >> lamp) & 1 ? "1" : "0");
            }
            return lamps.join(' ');
        }
    }
    return std::nullopt;
}

} // namespace

Profile defaultProfile(const QString &line, int address)
{
    Profile profile;
    const QByteArray where
        = line.toUtf8()
          + (address == 0 ? QByteArray() : " projector " + QByteArray::number(address));
    profile.name = where.left(64);
    profile.maker = "projector-gateway";
    profile.product = "serial projector";
    profile.info = where.left(32);
    profile.inputs = {"11", "12", "21", "31"};
    return profile;
}

bool isInputCode(QByteArrayView code)
{
    return code.size() == 2 && code.at(0) >= '1' && code.at(0) <= '5' && code.at(1) >= '1'
           && code.at(1) <= '9';
}

Plan plan(const Request &request, const Profile &profile)
{
    const auto now = [&request](QByteArrayView result) {
        return Plan{answer(request, result), {}};
    };
    const auto error = [&request](Error e) { return Plan{answer(request, e), {}}; };
    if (request.cls != '1')
        return error(Error::Undefined);
    const QByteArray &body = request.body;
    const QByteArray &p = request.parameter;
    const bool query = p == "?";

    if (body == "POWR") {
        if (query)
            return {{}, buttons({"CR0"})};
        if (p == "1" || p == "0")
            return {{}, buttons({p == "1" ? "C00" : "C01"})};
        return error(Error::OutOfParameter);
    }
    if (body == "INPT") {
        if (query)
            return {{}, buttons({"CR1"})};
        if (!isInputCode(p))
            return error(Error::OutOfParameter);
        static const char *const kSet[] = {"C05", "C06", "C07", "C08"};
        for (int input = 0; input < 4; ++input) {
            if (profile.inputs[input] == p)
                return {{}, buttons({kSet[input]})};
        }
        return error(Error::OutOfParameter);
    }
    if (body == "AVMT") {
        if (query)
            return {{}, buttons({"CRA"})};
        if (p == "11")
            return {{}, buttons({"C0D"})};
        if (p == "10")
            return {{}, buttons({"C0E"})};
        if (p == "21")
            return {{}, buttons({"C0B"})};
        if (p == "20")
            return {{}, buttons({"C0C"})};
        if (p == "31")
            return {{}, buttons({"C0D", "C0B"})};
        if (p == "30")
            return {{}, buttons({"C0E", "C0C"})};
        return error(Error::OutOfParameter);
    }

    // The rest only answer queries.
    static const char *const kQueries[]
        = {"ERST", "LAMP", "INST", "NAME", "INF1", "INF2", "INFO", "CLSS"};
    if (std::find(std::begin(kQueries), std::end(kQueries), body) == std::end(kQueries))
        return error(Error::Undefined);
    if (!query)
        return error(Error::OutOfParameter);
    if (body == "ERST")
        return {{}, buttons({"CR0", "CR INFPFAIL"})};
    if (body == "LAMP")
        return {{}, buttons({"CR3", "CR7"})};
    if (body == "INST") {
        QByteArrayList offered;
        for (const QByteArray &input : profile.inputs) {
            if (!input.isEmpty())
                offered << input;
        }
        return now(offered.join(' '));
    }
    if (body == "NAME")
        return now(profile.name);
    if (body == "INF1")
        return now(profile.maker);
    if (body == "INF2")
        return now(profile.product);
    if (body == "INFO")
        return now(profile.info);
    return now("1");
}

Error errorOf(Outcome::Result result)
{
    switch (result) {
    case Outcome::Result::Refused:
    case Outcome::Result::NotAttributable:
        return Error::Unavailable;
    default:
        return Error::Failure;
    }
}

QByteArray answerFrom(const Request &request, const Profile &profile,
                      std::span<const Outcome> outcomes)
{
    if (outcomes.empty())
        return answer(request, Error::Failure);
    const Outcome &last = outcomes.back();
    if (last.result != Outcome::Result::Answered)
        return answer(request, errorOf(last.result));
    if (request.parameter != "?")
        return answer(request, "OK");
    if (const std::optional<QByteArray> result = queried(request.body, profile, outcomes))
        return answer(request, *result);
    // A reply that reads, yet tells nothing PJLink has a word for: a failure,
    // or mutes the projector does not tell now.
    if (request.body == "AVMT" || request.body == "INPT")
        return answer(request, Error::Unavailable);
    return answer(request, Error::Failure);
}

} // namespace pjlink
