// SPDX-License-Identifier: GPL-3.0-or-later
#include "reading.h"

#include "status/overloaded.h"

#include <QJsonArray>

namespace watch {

QLatin1StringView lampModeName(int mode)
{
    static constexpr const char *kNames[] = {"four-lamps", "lamps-1-4", "lamps-2-3"};
    return mode >= 0 && mode < 3 ? QLatin1StringView(kNames[mode]) : QLatin1StringView("unknown");
}

void take(Reading &r, const status::Value &value)
{
    std::visit(status::Overloaded{
                   [&](status::PowerState v) { r.power = v; },
                   [&](status::PowerBits v) { r.powerBits = v.code; },
                   [&](status::InputMode v) { r.input = v.input; },
                   [&](status::Reversal v) { r.reversal = v; },
                   [&](status::LampHours v) { r.lampHours = v.hours; },
                   [&](status::Temperatures v) { r.temperatures = v; },
                   [&](status::MuteSignal v) { r.muteSignal = v; },
                   [&](const status::PcType &) {},
                   [&](status::Pressure v) { r.pressureHpa = v.hectopascal; },
                   [&](status::LampMode v) { r.lampMode = v; },
                   [&](status::LampFailures v) { r.lampsFailed = v.failed; },
               },
               value);
}

QJsonObject Reading::values() const
{
    QJsonObject o;
    if (power)
        o.insert(QLatin1String("power"), QString(status::nameOf(*power)));
    if (powerBits) {
        const QJsonObject bits = status::toJson(status::PowerBits{*powerBits});
        for (auto it = bits.begin(); it != bits.end(); ++it)
            o.insert(it.key(), it.value());
    }
    if (input)
        o.insert(QLatin1String("input"), *input);
    if (muteSignal)
        o.insert(QLatin1String("mute_signal"), QString(status::nameOf(*muteSignal)));
    if (reversal) {
        o.insert(QLatin1String("reversed_top_bottom"), reversal->topBottom);
        o.insert(QLatin1String("reversed_left_right"), reversal->leftRight);
    }
    if (lampHours)
        o.insert(QLatin1String("lamp_hours"), *lampHours);
    if (temperatures) {
        o.insert(QLatin1String("temperature1_celsius"), temperatures->sensor1);
        o.insert(QLatin1String("temperature2_celsius"), temperatures->sensor2);
    }
    if (pressureHpa)
        o.insert(QLatin1String("pressure_hectopascals"), *pressureHpa);
    if (lampMode) {
        o.insert(QLatin1String("lamp_mode"), QString(lampModeName(lampMode->mode)));
        o.insert(QLatin1String("lamps_on"), status::lampList(quint8(lampMode->lampsOn)));
    }
    if (lampsFailed)
        o.insert(QLatin1String("lamps_failed"), status::lampList(quint8(*lampsFailed)));
    return o;
}

} // namespace watch
