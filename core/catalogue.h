// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>
#include <span>

// What each button sends, keyed by the window's control name, with the name
// it goes by in words (its group title and caption), as projector-ctl takes it.
namespace commands {

// How a one-shot button sends: plainly, with a long reply window of 2000 or
// 5000 ms (and a display hold 500 ms longer), or in menu context (the menu-pad
// arrows then take menu timing).
enum class Shape { Plain, Window2000, Window5000, MenuContext };

struct OneShot
{
    QString name; // "Command17"
    QString code; // "C00"
    Shape shape;
    QString readable; // group title and caption: "POWER ON"
};

// All seventy-four one-shot buttons, the input grid included.
std::span<const OneShot> oneShots();
const OneShot *findOneShot(const QString &name);

// Reply window W of a shape, or 0 where the shape sets no interval pair.
int replyWindow(Shape shape);

// A press-and-hold button. Fixed-rate buttons set all three intervals on a
// press; the menu-pad arrows set the pair by CursorMode and repeat at whatever
// interval Timer1 last received.
struct Hold
{
    const char *name;
    const char *code;
    const char *readable; // "VOL +"
    quint8 repeatCode;
    int timer1 = 0; // 0: the menu-pad arrows
    int timer2 = 0;
    int timer4 = 0;
    bool digitalZoom = false; // its release selects digital-zoom timing

    bool isMenuArrow() const { return timer1 == 0; }
};

std::span<const Hold> holds();
const Hold *findHold(const QString &name);
const Hold *holdForRepeatCode(quint8 repeatCode);

// The projector addresses of the "PJ Select" options.
struct Address
{
    const char *option; // "Option5"
    const char *prefix; // "A001"
};

std::span<const Address> addresses();

} // namespace commands
