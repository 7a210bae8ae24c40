// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue.h"

#include <array>
#include <vector>

namespace commands {
namespace {

struct Row
{
    const char *name;
    const char *code;
    Shape shape;
    const char *readable;
};

constexpr Row kButtons[] = {
    {"Command17", "C00", Shape::Plain, "POWER ON"},
    {"Command18", "C01", Shape::Plain, "POWER OFF"},
    {"Command27", "C05", Shape::Plain, "INPUT MODE SET 1"},
    {"Command28", "C06", Shape::Plain, "INPUT MODE SET 2"},
    {"Command29", "C07", Shape::Plain, "INPUT MODE SET 3"},
    {"Command53", "C08", Shape::Plain, "INPUT MODE SET 4"},
    {"Command19", "C0B", Shape::Plain, "SOUND MUTE ON"},
    {"Command20", "C0C", Shape::Plain, "SOUND MUTE OFF"},
    {"Command21", "C0D", Shape::Plain, "NO SHOW ON"},
    {"Command22", "C0E", Shape::Plain, "NO SHOW OFF"},
    {"Command31", "C0F", Shape::Plain, "AV SIZE REGULAR"},
    {"Command32", "C10", Shape::Plain, "AV SIZE WIDE"},
    {"Command23", "C1C", Shape::MenuContext, "MENU ON"},
    {"Command24", "C1D", Shape::Plain, "MENU OFF"},
    {"Command25", "C43", Shape::Plain, "FREEZE ON"},
    {"Command26", "C44", Shape::Plain, "FREEZE OFF"},
    {"Command13", "C89", Shape::MenuContext, "A-IMAGE"},
    {"Command30", "C27", Shape::Plain, "IMAGE"},
    {"Command14", "C8A", Shape::Plain, "P-TIMER"},
    {"Command3", "C1E", Shape::Plain, "DISPLAY CLEAR"},
    {"Command4", "CF IMAGE STAND", Shape::Window2000, "STAND"},
    {"Command10", "CF IMAGE REAL", Shape::Window2000, "REAL"},
    {"Command11", "CF IMAGE CINEMA", Shape::Window2000, "CINEMA"},
    {"Command39", "CF IMAGE IMAGE1", Shape::Window2000, "IMAGE1"},
    {"Command40", "CF IMAGE IMAGE2", Shape::Window2000, "IMAGE2"},
    {"Command41", "CF IMAGE IMAGE3", Shape::Window2000, "IMAGE3"},
    {"Command42", "CF IMAGE IMAGE4", Shape::Window2000, "IMAGE4"},
    {"Command56", "C70", Shape::Plain, "LAMP SELECT 4 LAMP"},
    {"Command57", "C71", Shape::Plain, "LAMP SELECT 1-4"},
    {"Command58", "C72", Shape::Plain, "LAMP SELECT 2-3"},
    {"Command97", "CF FANSPEED MAX", Shape::Plain, "FAN SPEED MAX"},
    {"Command98", "CF FANSPEED NOR", Shape::Plain, "FAN SPEED NOR"},
    {"Command44", "CR0", Shape::Plain, "STATUS"}, // status reads
    {"Command45", "CR1", Shape::Plain, "MODE"},
    {"Command46", "CR3", Shape::Plain, "L-TIME"},
    {"Command47", "CR4", Shape::Plain, "SETTING"},
    {"Command54", "CR6", Shape::Plain, "TEMP"},
    {"Command55", "CR7", Shape::Plain, "L-MODE"},
    {"Command38", "CR9", Shape::Plain, "PC TYPE"},
    {"Command12", "CRA", Shape::Plain, "SETTING 2"},
    {"Command52", "CR INFPFAIL", Shape::Window2000, "P-FAIL"},
    {"Command99", "CR PRESSURE", Shape::Plain, "PRESSURE"},
};

// The input grid: row r (1..4) and column c (0..7) is Command(63 + 8(r-1) + c)
// and sends "CF INPUT<r> <word>".
constexpr std::array<const char *, 8> kInputWords = {
    "DIGITAL", "ANALOG", "VIDEO", "YPBPR", "YCBCR", "S-VIDEO", "YC", "HD-SDI",
};
// Their captions, behind the row label.
constexpr std::array<const char *, 8> kInputCaptions = {
    "DVI", "RGB", "VIDEO", "YPBPR", "YCBCR", "S-VIDEO", "YC", "SDI",
};
constexpr int kFirstGridButton = 63;

std::vector<OneShot> buildOneShots()
{
    std::vector<OneShot> all;
    for (const Row &row : kButtons)
        all.push_back({QString::fromLatin1(row.name), QString::fromLatin1(row.code), row.shape,
                       QString::fromLatin1(row.readable)});
    for (int r = 1; r <= 4; ++r) {
        for (int c = 0; c < int(kInputWords.size()); ++c) {
            all.push_back({QStringLiteral("Command%1").arg(kFirstGridButton + 8 * (r - 1) + c),
                           QStringLiteral("CF INPUT%1 %2").arg(r).arg(kInputWords[c]),
                           Shape::Window5000,
                           QStringLiteral("%1 %2").arg(r).arg(kInputCaptions[c])});
        }
    }
    return all;
}

constexpr Hold kHolds[] = {
    {"Command1", "C09", "VOL +", 1, 250, 200, 245},
    {"Command2", "C0A", "VOL -", 2, 250, 200, 245},
    {"Command15", "C47", "ZOOM +", 7, 50, 25, 25},
    {"Command35", "C46", "ZOOM -", 8, 50, 25, 25},
    {"Command36", "C4B", "FOCUS +", 9, 50, 25, 25},
    {"Command37", "C4A", "FOCUS -", 10, 50, 25, 25},
    {"Command48", "C30", "D.ZOOM +", 17, 250, 200, 245, true},
    {"Command49", "C31", "D.ZOOM -", 18, 250, 200, 245, true},
    {"Command50", "C8E", "KEYSTONE +", 19, 250, 200, 245},
    {"Command51", "C8F", "KEYSTONE -", 20, 250, 200, 245},
    {"Command59", "C5D", "LENS SHIFT UP", 21, 50, 25, 25},
    {"Command62", "C5E", "LENS SHIFT DOWN", 22, 50, 25, 25},
    {"Command60", "C5F", "LENS SHIFT LEFT", 23, 50, 25, 25},
    {"Command61", "C60", "LENS SHIFT RIGHT", 24, 50, 25, 25},
    {"Command6", "C3F", "SELECT", 13, 500, 200, 245},
    {"Command5", "C3C", "UP", 3},
    {"Command7", "C3D", "DOWN", 4},
    {"Command9", "C3B", "LEFT", 5},
    {"Command8", "C3A", "RIGHT", 6},
};

constexpr Address kAddresses[] = {
    {"Option3", ""},     {"Option4", "AFFF"}, {"Option5", "A001"},
    {"Option6", "A002"}, {"Option7", "A003"}, {"Option8", "A004"},
};

} // namespace

std::span<const OneShot> oneShots()
{
    static const std::vector<OneShot> all = buildOneShots();
    return all;
}

const OneShot *findOneShot(const QString &name)
{
    for (const OneShot &button : oneShots()) {
        if (button.name == name)
            return &button;
    }
    return nullptr;
}

int replyWindow(Shape shape)
{
    switch (shape) {
    case Shape::Window2000:
        return 2000;
    case Shape::Window5000:
        return 5000;
    default:
        return 0;
    }
}

std::span<const Hold> holds()
{
    return kHolds;
}

const Hold *findHold(const QString &name)
{
    for (const Hold &hold : kHolds) {
        if (name == QLatin1String(hold.name))
            return &hold;
    }
    return nullptr;
}

const Hold *holdForRepeatCode(quint8 repeatCode)
{
    for (const Hold &hold : kHolds) {
        if (hold.repeatCode == repeatCode)
            return &hold;
    }
    return nullptr;
}

std::span<const Address> addresses()
{
    return kAddresses;
}

} // namespace commands
