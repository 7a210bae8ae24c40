// SPDX-License-Identifier: GPL-3.0-or-later
#include "reading.h"

namespace watch {

namespace {
constexpr const char *kPowerStates[] = {
    "on", "standby", "countdown", "cooling", "power_fail", "temperature_warning",
    "no_key_input", "lamp_off_power_management", "temperature_warning_cooling",
    "lamp_off_temperature_warning", "temperature_warning_recovered",
    "cooling_all_lamps_failed", "standby_all_lamps_failed",
};
constexpr const char *kLampModes[] = {"four_lamps", "lamps_1_4", "lamps_2_3"};
} // namespace

std::span<const char *const> powerStates()
{
    return kPowerStates;
}

std::span<const char *const> lampModes()
{
    return kLampModes;
}

bool Reading::sameValues(const Reading &o) const
{
    return up == o.up && power == o.power && input == o.input && signal == o.signal
           && videoMute == o.videoMute && audioMute == o.audioMute
           && flipTopBottom == o.flipTopBottom && flipLeftRight == o.flipLeftRight
           && lampHours == o.lampHours && temperature1 == o.temperature1
           && temperature2 == o.temperature2 && pressureHpa == o.pressureHpa
           && lampMode == o.lampMode && lampsOn == o.lampsOn && lampsFailed == o.lampsFailed;
}

} // namespace watch
