// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRgb>
#include <QString>
#include <optional>
#include <span>

// The window's design: every control with its container and geometry in twips.
// The layout says how a control looks; what a button sends lives in the command
// catalogue, and the window joins the two by name.
namespace layout {

enum class Kind { Frame, Label, Button, Option, TextBox, Image };

enum class Face {
    Window,  // the window's own font (Gothic 9 bold)
    Gothic,  // fixed-pitch Japanese face
    PGothic, // proportional variant of the same face
};

struct Font
{
    Face face = Face::Window;
    double points = 9.0;
    bool bold = false;
};

enum class Align { Left, Center, Right };

struct Control
{
    const char *name;
    Kind kind;
    const char *container; // "Form1" for the window's client area
    int left, top, width, height;
    const char *caption = "";
    std::optional<QRgb> background = {}; // none: platform face (buttons) or grey (labels)
    std::optional<QRgb> foreground = {};
    std::optional<Font> font = {}; // none: the window's font
    Align align = Align::Left;
    bool border = false;   // single-line border (traffic lines)
    bool hidden = false;   // hidden in the design
    bool selected = false; // option buttons selected in the design
};

struct Point
{
    int x, y;
};

// Window design values, in twips.
inline constexpr int kClientWidth = 9495;
inline constexpr int kClientHeight = 8730;
inline constexpr QRgb kWindowBackground = 0xC0C0C0;
inline constexpr Font kWindowFont{Face::Gothic, 9.0, true};
inline constexpr const char *kCaption = "TAVO   LMX5 & MX5    CONTROL   Ver.1.41a";

// Containers come before their children.
std::span<const Control> controls();

// Corners of the cursor-pad outline, Line1 joining the first two, Line12 the
// last and the first; colour and pen width of the lines.
std::span<const Point> padOutline();
inline constexpr QRgb kPadOutlineColour = 0x8080FF;
inline constexpr int kPadOutlinePixels = 2;

} // namespace layout
