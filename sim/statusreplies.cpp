// SPDX-License-Identifier: GPL-3.0-or-later
#include "statusreplies.h"

#include <QByteArrayList>

#include <algorithm>
#include <cstdlib>

namespace sim {

namespace {

// "35.0": always two integer digits and one decimal, so the fields keep their places.
QByteArray tenthsText(int tenths)
{
    const int magnitude = std::min(std::abs(tenths), 999);
    return QByteArray::number(magnitude / 10).rightJustified(2, '0') + '.'
           + QByteArray::number(magnitude % 10);
}

// S1 fills reply characters 1 to 5 and S2 characters 8 to 11, the two fields
// the console shows: "+35.0, 41.5".
QByteArray temperatures(const ProjectorState &s)
{
    const char sign = s.temperature1Tenths < 0 ? '-' : '+';
    return sign + tenthsText(s.temperature1Tenths) + ", "
           + tenthsText(std::max(s.temperature2Tenths, 0));
}

QByteArray muteAndSignal(const ProjectorState &s)
{
    if (s.power != Power::On)
        return "FF";
    if (!s.signalPresent)
        return "80";
    const int mutes = (s.noShow ? 1 : 0) | (s.soundMute ? 2 : 0);
    return QByteArray::number(mutes).rightJustified(2, '0');
}

// The kind of source on the selected input.
QByteArray sourceType(const ProjectorState &s)
{
    if (s.power != Power::On)
        return "NONE";
    if (!s.signalPresent)
        return "NO SIGNAL";
    switch (s.terminals[s.inputMode - 1]) {
    case Terminal::Digital:
        return "WUXGA 60Hz";
    case Terminal::Analog:
        return "XGA 60Hz";
    case Terminal::Video:
    case Terminal::SVideo:
    case Terminal::YC:
        return "NTSC";
    case Terminal::YPbPr:
    case Terminal::YCbCr:
        return "1080i 60Hz";
    case Terminal::HdSdi:
        return "HD-SDI 1080i";
    }
    return "NONE";
}

QByteArray lampFailures(const ProjectorState &s)
{
    if ((s.failedLamps & 0xF) == 0)
        return "NO FAIL";
    QByteArrayList lamps;
    for (int lamp = 1; lamp <= 4; ++lamp) {
        if (s.failedLamps & (1 << (lamp - 1)))
            lamps << QByteArray::number(lamp);
    }
    return "LAMP FAIL No" + lamps.join(',');
}

} // namespace

QByteArray statusReply(const ProjectorState &s, const QByteArray &code)
{
    QByteArray reply;
    if (code == "CR0")
        reply = QByteArray::number(s.powerStatus(), 16).toUpper().rightJustified(2, '0');
    else if (code == "CR1")
        reply = QByteArray::number(s.inputMode);
    else if (code == "CR3")
        reply = QByteArray::number(s.lampHours()).rightJustified(5, '0');
    else if (code == "CR4") // "0" marks a reversal: left/right first, then top/bottom
        reply = QByteArray(s.flipLeftRight ? "0" : "1") + (s.flipTopBottom ? "0" : "1");
    else if (code == "CR6")
        reply = temperatures(s);
    else if (code == "CR7")
        reply = QByteArray::number(int(s.lampMode))
                + QByteArray::number(s.litLamps & 0xF, 16).toUpper();
    else if (code == "CR9")
        reply = sourceType(s);
    else if (code == "CRA")
        reply = muteAndSignal(s);
    else if (code == "CR PRESSURE")
        reply = QByteArray::number(s.pressureReading);
    else if (code == "CR INFPFAIL")
        reply = lampFailures(s);
    else
        return {};
    return reply + '\r';
}

} // namespace sim
