// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "values.h"

namespace status {

// A reply code that names a state: its value, its name where the state is
// printed as data, and the STATUS line's text, worded as the projector's
// documentation words it, misspellings and odd spacing included.
template<typename T>
struct CodeRow
{
    const char *code;
    T value;
    const char *name;
    const char *text;
};

inline constexpr CodeRow<PowerState> kPowerCodes[] = {
    {"00", PowerState::On, "on", " Power ON"},
    {"80", PowerState::Standby, "standby", " Stand by"},
    {"40", PowerState::CountDown, "count-down", " Count down"},
    {"20", PowerState::CoolingDown, "cooling-down", " Cooling down"},
    {"10", PowerState::PowerFail, "power-fail", " Power Fail"},
    {"08", PowerState::TemperatureWarning, "temperature-warning", " Temperature Warning(Power ON)"},
    {"02", PowerState::NoKeyInput, "no-key-input", " NO Key input "},
    {"04", PowerState::LampOffByPowerManagement, "lamp-off-power-management",
     " Lamp OFF by PWR Management"},
    {"28", PowerState::TemperatureWarningCoolingDown, "temperature-warning-cooling-down",
     " Temperature Warning & cooling down"},
    {"24", PowerState::LampOffTemperatureWarning, "lamp-off-temperature-warning",
     " Lamp OFF & Tempereture Warning by PWR Management"},
    {"88", PowerState::TemperatureWarningRecovered, "temperature-warning-recovered",
     " Temperature Warning and recoverd"},
    {"21", PowerState::CoolingDownAllLampsFailed, "cooling-down-all-lamps-failed",
     " Cooling down (All Lamp FAIL)"},
    {"81", PowerState::StandbyAllLampsFailed, "standby-all-lamps-failed",
     " Cooling down & sutandby (All Lamp FAIL)"},
};

// The bits of the status byte below its highest, which tells stand-by (set) from
// on (clear), and the states they name.
struct PowerBitRow
{
    quint8 bit;
    const char *name;
};

inline constexpr quint8 kStandbyBit = 0x80;
inline constexpr PowerBitRow kPowerBits[] = {
    {0x40, "count-down"},          {0x20, "cooling-down"},     {0x10, "power-fail"},
    {0x08, "temperature-warning"}, {0x04, "power-management"}, {0x02, "no-key-input"},
    {0x01, "all-lamps-failed"},
};

inline constexpr CodeRow<MuteSignal> kMuteCodes[] = {
    {"00", MuteSignal::Off, "off", " Video & Audio mute OFF"},
    {"01", MuteSignal::Video, "video", " Video mute ON"},
    {"02", MuteSignal::Audio, "audio", " Audio mute ON"},
    {"03", MuteSignal::VideoAndAudio, "video-and-audio", " Video & Audio mute ON"},
    {"80", MuteSignal::NoSignal, "no-signal", " No signal"},
    {"FF", MuteSignal::Standby, "standby", " Stand by"},
};

// "0" marks a reversal, left/right first, then top/bottom.
inline constexpr CodeRow<Reversal> kReversalCodes[] = {
    {"11", {false, false}, "normal", " Normally"},
    {"10", {true, false}, "top-bottom", " Top/Bottom reversal"},
    {"01", {false, true}, "left-right", " Left/Right reversal"},
    {"00", {true, true}, "top-bottom-left-right", " Top/Bottom , Left/Right reversal"},
};

} // namespace status
