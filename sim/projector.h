// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>

namespace sim {

enum class Power { Standby, CountDown, On, Cooling };
enum class Terminal { Digital, Analog, Video, YPbPr, YCbCr, SVideo, YC, HdSdi };
enum class ImageMode { Stand, Real, Cinema, Image1, Image2, Image3, Image4 };
enum class LampMode { FourLamps, LampsOneAndFour, LampsTwoAndThree };
enum class FanSpeed { Normal, Max };
enum class AvSize { Regular, Wide };

// Bits of the power status byte beside the power state itself.
enum PowerStatusBit {
    StandbyBit = 0x80,
    CountDownBit = 0x40,
    CoolingBit = 0x20,
    PowerFaultBit = 0x10,
    TemperatureWarningBit = 0x08,
    PowerManagementBit = 0x04, // lamps switched off by power management
    KeysLockedBit = 0x02,      // no key input
    AllLampsFailedBit = 0x01,
};

struct ProjectorState
{
    Power power = Power::Standby;
    qint64 powerSinceMs = 0; // start of the current count-down or cooling
    bool powerFault = false;
    bool temperatureWarning = false;
    bool powerManagement = false;
    bool keysLocked = false;

    int inputMode = 1; // 1..4
    std::array<Terminal, 4> terminals{Terminal::Analog, Terminal::Digital, Terminal::Video,
                                      Terminal::YPbPr}; // terminal of input modes 1..4
    bool signalPresent = true;                          // a source feeds the selected terminal
    bool flipTopBottom = false;
    bool flipLeftRight = false;
    ImageMode imageMode = ImageMode::Stand;
    AvSize avSize = AvSize::Regular;

    bool soundMute = false;
    bool noShow = false;
    bool freeze = false;
    bool menu = false;
    int menuRow = 0;
    bool presentationTimer = false;

    LampMode lampMode = LampMode::FourLamps;
    int failedLamps = 0; // bit 0 = lamp 1 ... bit 3 = lamp 4
    int litLamps = 0;    // lamps burning now, same bits
    qint64 lampMs = 0;   // lamp burning time
    FanSpeed fanSpeed = FanSpeed::Normal;

    int temperature1Tenths = 245; // S1, 0.1 degC
    int temperature2Tenths = 260; // S2, 0.1 degC
    int pressureReading = 852;    // raw sensor value, about 1012 hPa

    int volume = 32;
    int zoom = 50;
    int focus = 50;
    int digitalZoom = 0;
    int keystone = 0;
    int lensShiftVertical = 0;
    int lensShiftHorizontal = 0;

    int lampHours() const { return int(lampMs / 3600000); }
    bool lampsLit() const
    {
        return (power == Power::CountDown || power == Power::On) && !powerFault && !powerManagement;
    }
    // Lights the lamps the lamp mode selects that have not failed, or none.
    void relightLamps();
    int powerStatus() const; // the status byte: PowerStatusBit and the power state

    bool operator==(const ProjectorState &) const = default;
};

// One projector: its state and how it answers a command code (address removed).
class Projector
{
public:
    static constexpr int CountDownMs = 3000;
    static constexpr int CoolingMs = 5000;

    static constexpr int ReadDelayMs = 20;
    static constexpr int OperationDelayMs = 40;
    static constexpr int AdjustDelayMs = 10;
    static constexpr int InputModeDelayMs = 200;
    static constexpr int ImageModeDelayMs = 900;
    static constexpr int TerminalStoreDelayMs = 300;
    static constexpr int TerminalSwitchDelayMs = 3600;

    struct Answer
    {
        QByteArray bytes;
        int delayMs = 0;
        bool occupies = false; // the projector takes no new work until it has answered
    };

    explicit Projector(int number);

    int number() const { return m_number; }
    const ProjectorState &state() const { return m_state; }
    ProjectorState &state() { return m_state; } // for setting up faults and sources

    // Lets the count-down and cooling run out and the lamps age up to `nowMs`.
    void advanceTo(qint64 nowMs);

    // Puts the projector in the state a power status byte describes, as an
    // operator stages a fault; a count-down or cooling starts at `nowMs`.
    void setPowerStatus(int status, qint64 nowMs);

    Answer execute(const QByteArray &code, qint64 nowMs);

private:
    Answer read(const QByteArray &code) const;
    Answer operate(const QByteArray &code);
    Answer keyword(const QByteArray &code);
    void setPower(Power power, qint64 nowMs);
    void updateTemperatures();

    int m_number;
    ProjectorState m_state;
    qint64 m_lastAdvanceMs = 0;
};

} // namespace sim
