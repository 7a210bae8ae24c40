// SPDX-License-Identifier: GPL-3.0-or-later
#include "projector.h"

#include "statusreplies.h"

#include <QList>
#include <algorithm>

namespace sim {

namespace {

const QByteArray Ack("\x06\r");
const QByteArray Refused("?\r");

int lampModeMask(LampMode mode)
{
    switch (mode) {
    case LampMode::FourLamps:
        return 0xF;
    case LampMode::LampsOneAndFour:
        return 0x9;
    case LampMode::LampsTwoAndThree:
        return 0x6;
    }
    return 0;
}

// Operations that change one setting; all of them need the lamps on.
struct Setting
{
    const char *code;
    void (*apply)(ProjectorState &);
};

const Setting settings[] = {
    {"C0B", [](ProjectorState &s) { s.soundMute = true; }},
    {"C0C", [](ProjectorState &s) { s.soundMute = false; }},
    {"C0D", [](ProjectorState &s) { s.noShow = true; }},
    {"C0E", [](ProjectorState &s) { s.noShow = false; }},
    {"C0F", [](ProjectorState &s) { s.avSize = AvSize::Regular; }},
    {"C10", [](ProjectorState &s) { s.avSize = AvSize::Wide; }},
    {"C1C", [](ProjectorState &s) { s.menu = true; }},
    {"C1D", [](ProjectorState &s) { s.menu = false; }},
    {"C1E",
     [](ProjectorState &s) {
         s.menu = false;
         s.presentationTimer = false;
     }},
    {"C27", [](ProjectorState &s) { s.menu = true; }}, // image-mode menu
    {"C89", [](ProjectorState &s) { s.menu = true; }}, // auto image adjustment menu
    {"C43", [](ProjectorState &s) { s.freeze = true; }},
    {"C44", [](ProjectorState &s) { s.freeze = false; }},
    {"C8A", [](ProjectorState &s) { s.presentationTimer = !s.presentationTimer; }},
    {"C70",
     [](ProjectorState &s) {
         s.lampMode = LampMode::FourLamps;
         s.relightLamps();
     }},
    {"C71",
     [](ProjectorState &s) {
         s.lampMode = LampMode::LampsOneAndFour;
         s.relightLamps();
     }},
    {"C72",
     [](ProjectorState &s) {
         s.lampMode = LampMode::LampsTwoAndThree;
         s.relightLamps();
     }},
};

// Press-and-hold operations: one step of a value per command.
struct Adjustment
{
    const char *code;
    int ProjectorState::*value;
    int step;
    int min;
    int max;
};

const Adjustment adjustments[] = {
    {"C09", &ProjectorState::volume, 1, 0, 63},
    {"C0A", &ProjectorState::volume, -1, 0, 63},
    {"C47", &ProjectorState::zoom, 1, 0, 100},
    {"C46", &ProjectorState::zoom, -1, 0, 100},
    {"C4B", &ProjectorState::focus, 1, 0, 100},
    {"C4A", &ProjectorState::focus, -1, 0, 100},
    {"C30", &ProjectorState::digitalZoom, 1, 0, 30},
    {"C31", &ProjectorState::digitalZoom, -1, 0, 30},
    {"C8E", &ProjectorState::keystone, 1, -40, 40},
    {"C8F", &ProjectorState::keystone, -1, -40, 40},
    {"C5D", &ProjectorState::lensShiftVertical, 1, -50, 50},
    {"C5E", &ProjectorState::lensShiftVertical, -1, -50, 50},
    {"C5F", &ProjectorState::lensShiftHorizontal, -1, -50, 50},
    {"C60", &ProjectorState::lensShiftHorizontal, 1, -50, 50},
    {"C3C", &ProjectorState::menuRow, -1, 0, 7},
    {"C3D", &ProjectorState::menuRow, 1, 0, 7},
};

const char *const cursorKeysWithoutRow[] = {"C3A", "C3B", "C3F"};

const QList<QByteArray> terminalWords
    = {"DIGITAL", "ANALOG", "VIDEO", "YPBPR", "YCBCR", "S-VIDEO", "YC", "HD-SDI"};

const QList<QByteArray> imageWords
    = {"STAND", "REAL", "CINEMA", "IMAGE1", "IMAGE2", "IMAGE3", "IMAGE4"};

} // namespace

void ProjectorState::relightLamps()
{
    litLamps = lampsLit() ? lampModeMask(lampMode) & ~failedLamps & 0xF : 0;
}

int ProjectorState::powerStatus() const
{
    int status = 0;
    const bool allLampsFailed = (failedLamps & 0xF) == 0xF;
    if (power == Power::Standby)
        status |= StandbyBit;
    else if (power == Power::Cooling || allLampsFailed)
        status |= CoolingBit; // with every lamp out it cools down, never reports itself on
    else if (power == Power::CountDown)
        status |= CountDownBit;
    if (powerFault)
        status |= PowerFaultBit;
    if (temperatureWarning)
        status |= TemperatureWarningBit;
    if (powerManagement)
        status |= PowerManagementBit;
    if (keysLocked)
        status |= KeysLockedBit;
    if (allLampsFailed)
        status |= AllLampsFailedBit;
    return status;
}

Projector::Projector(int number) : m_number(number)
{
    m_state.lampMs = qint64(1203) * number * 3600000;
}

void Projector::advanceTo(qint64 nowMs)
{
    nowMs = std::max(nowMs, m_lastAdvanceMs);
    ProjectorState &s = m_state;
    if (s.power == Power::CountDown && nowMs >= s.powerSinceMs + CountDownMs)
        setPower(Power::On, s.powerSinceMs + CountDownMs);
    if (s.power == Power::Cooling && nowMs >= s.powerSinceMs + CoolingMs)
        setPower(Power::Standby, s.powerSinceMs + CoolingMs);
    // Count-down and on both burn the lamps, so the hours run across that change.
    if (s.lampsLit())
        s.lampMs += nowMs - m_lastAdvanceMs;
    m_lastAdvanceMs = nowMs;
}

void Projector::setPowerStatus(int status, qint64 nowMs)
{
    advanceTo(nowMs);
    ProjectorState &s = m_state;
    s.powerFault = status & PowerFaultBit;
    s.temperatureWarning = status & TemperatureWarningBit;
    s.powerManagement = status & PowerManagementBit;
    s.keysLocked = status & KeysLockedBit;
    if (status & AllLampsFailedBit)
        s.failedLamps = 0xF;
    else if (s.failedLamps == 0xF)
        s.failedLamps = 0;
    Power power = Power::On;
    if (status & StandbyBit)
        power = Power::Standby;
    else if (status & CountDownBit)
        power = Power::CountDown;
    else if (status & CoolingBit)
        power = Power::Cooling;
    setPower(power, nowMs);
}

Projector::Answer Projector::execute(const QByteArray &code, qint64 nowMs)
{
    advanceTo(nowMs);
    if (code.startsWith("CR"))
        return read(code);

    ProjectorState &s = m_state;
    if (s.powerFault)
        return {Refused, ReadDelayMs};
    if (code == "C00") {
        if (s.power == Power::Cooling)
            return {Refused, ReadDelayMs};
        if (s.power == Power::Standby)
            setPower(Power::CountDown, nowMs);
        return {Ack, OperationDelayMs};
    }
    if (code == "C01") {
        if (s.power == Power::Standby)
            return {Refused, ReadDelayMs};
        if (s.lampsLit())
            setPower(Power::Cooling, nowMs);
        return {Ack, OperationDelayMs};
    }
    if (s.power != Power::On)
        return {Refused, ReadDelayMs};
    if (code.startsWith("CF "))
        return keyword(code);
    return operate(code);
}

Projector::Answer Projector::read(const QByteArray &code) const
{
    const QByteArray reply = statusReply(m_state, code);
    return {reply.isEmpty() ? Refused : reply, ReadDelayMs};
}

Projector::Answer Projector::operate(const QByteArray &code)
{
    ProjectorState &s = m_state;
    if (code.size() == 3 && code >= "C05" && code <= "C08") {
        const int mode = code.at(2) - '4';
        const bool changes = mode != s.inputMode;
        s.inputMode = mode;
        return {Ack, changes ? InputModeDelayMs : OperationDelayMs};
    }
    for (const Setting &setting : settings) {
        if (code == setting.code) {
            setting.apply(s);
            return {Ack, OperationDelayMs};
        }
    }
    for (const Adjustment &adjust : adjustments) {
        if (code == adjust.code) {
            int &value = s.*adjust.value;
            value = std::clamp(value + adjust.step, adjust.min, adjust.max);
            return {Ack, AdjustDelayMs};
        }
    }
    for (const char *cursor : cursorKeysWithoutRow) {
        if (code == cursor)
            return {Ack, AdjustDelayMs};
    }
    return {Refused, ReadDelayMs};
}

Projector::Answer Projector::keyword(const QByteArray &code)
{
    ProjectorState &s = m_state;
    const QList<QByteArray> words = code.split(' ');
    if (words.size() != 3)
        return {Refused, ReadDelayMs};
    const QByteArray &subject = words.at(1);
    const QByteArray &value = words.at(2);

    if (subject == "IMAGE") {
        const qsizetype index = imageWords.indexOf(value);
        if (index < 0)
            return {Refused, ReadDelayMs};
        const auto mode = ImageMode(index);
        const bool changes = mode != s.imageMode;
        s.imageMode = mode;
        return {Ack, changes ? ImageModeDelayMs : OperationDelayMs, changes};
    }
    if (subject == "FANSPEED") {
        if (value != "MAX" && value != "NOR")
            return {Refused, ReadDelayMs};
        s.fanSpeed = value == "MAX" ? FanSpeed::Max : FanSpeed::Normal;
        updateTemperatures();
        return {Ack, OperationDelayMs};
    }
    if (subject.size() == 6 && subject.startsWith("INPUT") && subject.at(5) >= '1'
        && subject.at(5) <= '4') {
        const qsizetype index = terminalWords.indexOf(value);
        if (index < 0)
            return {Refused, ReadDelayMs};
        const int mode = subject.at(5) - '0';
        const auto terminal = Terminal(index);
        // Only a new terminal on the selected mode makes the picture resynchronise.
        const bool switches = mode == s.inputMode && s.terminals[mode - 1] != terminal;
        s.terminals[mode - 1] = terminal;
        return {Ack, switches ? TerminalSwitchDelayMs : TerminalStoreDelayMs, true};
    }
    return {Refused, ReadDelayMs};
}

void Projector::setPower(Power power, qint64 nowMs)
{
    m_state.power = power;
    m_state.powerSinceMs = nowMs;
    m_state.relightLamps();
    if (power == Power::Cooling) {
        m_state.menu = false;
        m_state.freeze = false;
        m_state.presentationTimer = false;
    }
    updateTemperatures();
}

void Projector::updateTemperatures()
{
    ProjectorState &s = m_state;
    const bool fast = s.fanSpeed == FanSpeed::Max;
    switch (s.power) {
    case Power::Standby:
        s.temperature1Tenths = 245;
        s.temperature2Tenths = 260;
        break;
    case Power::CountDown:
        s.temperature1Tenths = 280;
        s.temperature2Tenths = 315;
        break;
    case Power::On:
        s.temperature1Tenths = fast ? 320 : 350;
        s.temperature2Tenths = fast ? 375 : 415;
        break;
    case Power::Cooling:
        s.temperature1Tenths = 330;
        s.temperature2Tenths = 380;
        break;
    }
}

} // namespace sim
