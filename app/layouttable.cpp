// SPDX-License-Identifier: GPL-3.0-or-later
#include "layoutdesign.h"

namespace layout {

namespace {

using enum Kind;
using enum Align;

constexpr QRgb kOnGreen = 0xC0FFC0;
constexpr QRgb kOffPink = 0xFFC0C0;
constexpr QRgb kCyan = 0xC0FFFF;
constexpr QRgb kPeach = 0xFFE0C0;
constexpr QRgb kApricot = 0xFFC080;
constexpr QRgb kOrange = 0xFF8000;
constexpr QRgb kTeal = 0x00C0C0;
constexpr QRgb kLavender = 0xC0C0FF;
constexpr QRgb kCream = 0xFFFFC0;
constexpr QRgb kGrey = 0xC0C0C0;
constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kDarkRed = 0xC00000;

constexpr Font kGothic825{Face::Gothic, 8.25, false};
constexpr Font kGothic825Bold{Face::Gothic, 8.25, true};
constexpr Font kGothic9{Face::Gothic, 9.0, false};
constexpr Font kGothic975{Face::Gothic, 9.75, false};
constexpr Font kGothic975Bold{Face::Gothic, 9.75, true};
constexpr Font kPGothic75{Face::PGothic, 7.5, false};
constexpr Font kPGothic9{Face::PGothic, 9.0, false};
constexpr Font kPGothic9Bold{Face::PGothic, 9.0, true};
constexpr Font kPGothic975Bold{Face::PGothic, 9.75, true};

// The input grid repeats the same eight columns in four rows of Frame14.
struct GridColumn
{
    const char *caption;
    int left, width;
};

constexpr GridColumn kGridColumns[] = {
    {"DVI", 360, 735},    {"RGB", 1080, 735},     {"VIDEO", 1800, 975}, {"YPbPr", 2760, 975},
    {"YCbCr", 3720, 975}, {"S-VIDEO", 4680, 975}, {"YC", 5640, 735},    {"SDI", 6360, 735},
};

// row and column count from 1, as the grid's row labels do.
constexpr Control gridButton(const char *name, int row, int column)
{
    const GridColumn &c = kGridColumns[column - 1];
    return {.name = name,
            .kind = Button,
            .container = "Frame14",
            .left = c.left,
            .top = 240 * row,
            .width = c.width,
            .height = 255,
            .caption = c.caption,
            .background = kCyan,
            .font = kGothic9};
}

// clang-format off
// Form1's own controls come first so that the port panel Frame8, created later,
// lies in front of the COM button it covers.
constexpr Control kControls[] = {
    {.name = "Image1", .kind = Image, .container = "Form1", .left = 8160, .top = 120,
     .width = 1200, .height = 390},

    {.name = "Command5", .kind = Button, .container = "Form1", .left = 1200, .top = 2520,
     .width = 855, .height = 375, .caption = "↑", .background = kPeach, .font = kPGothic9Bold},
    {.name = "Command9", .kind = Button, .container = "Form1", .left = 240, .top = 3000,
     .width = 855, .height = 375, .caption = "←", .background = kPeach, .font = kPGothic9Bold},
    {.name = "Command6", .kind = Button, .container = "Form1", .left = 1200, .top = 3000,
     .width = 855, .height = 375, .caption = "SELECT", .background = kOrange, .font = kGothic9},
    {.name = "Command8", .kind = Button, .container = "Form1", .left = 2160, .top = 3000,
     .width = 855, .height = 375, .caption = "→", .background = kPeach, .font = kPGothic9Bold},
    {.name = "Command7", .kind = Button, .container = "Form1", .left = 1200, .top = 3480,
     .width = 855, .height = 375, .caption = "↓", .background = kPeach, .font = kPGothic9Bold},

    {.name = "Label3", .kind = Label, .container = "Form1", .left = 3600, .top = 2520,
     .width = 495, .height = 255, .caption = "VOL", .align = Center},
    {.name = "Command1", .kind = Button, .container = "Form1", .left = 3600, .top = 2880,
     .width = 375, .height = 255, .caption = "+", .background = kApricot},
    {.name = "Command2", .kind = Button, .container = "Form1", .left = 3600, .top = 3240,
     .width = 375, .height = 255, .caption = "-", .background = kApricot},
    {.name = "Label13", .kind = Label, .container = "Form1", .left = 4440, .top = 2520,
     .width = 492, .height = 252, .caption = "Zoom", .font = kGothic9},
    {.name = "Command15", .kind = Button, .container = "Form1", .left = 4440, .top = 2880,
     .width = 375, .height = 255, .caption = "+", .background = kCyan, .font = kGothic9},
    {.name = "Command35", .kind = Button, .container = "Form1", .left = 4440, .top = 3240,
     .width = 375, .height = 255, .caption = "-", .background = kCyan, .font = kGothic9},
    {.name = "Label14", .kind = Label, .container = "Form1", .left = 5280, .top = 2520,
     .width = 615, .height = 255, .caption = "Focus", .font = kGothic9},
    {.name = "Command36", .kind = Button, .container = "Form1", .left = 5280, .top = 2880,
     .width = 375, .height = 255, .caption = "+", .background = kCyan, .font = kGothic9},
    {.name = "Command37", .kind = Button, .container = "Form1", .left = 5280, .top = 3240,
     .width = 375, .height = 255, .caption = "-", .background = kCyan, .font = kGothic9},
    {.name = "Label17", .kind = Label, .container = "Form1", .left = 6360, .top = 2520,
     .width = 735, .height = 255, .caption = "D.Zoom", .font = kGothic9},
    {.name = "Command48", .kind = Button, .container = "Form1", .left = 6480, .top = 2880,
     .width = 375, .height = 255, .caption = "+", .background = kCyan, .font = kPGothic9},
    {.name = "Command49", .kind = Button, .container = "Form1", .left = 6480, .top = 3240,
     .width = 375, .height = 255, .caption = "-", .background = kCyan, .font = kGothic9},
    {.name = "Label18", .kind = Label, .container = "Form1", .left = 7320, .top = 2520,
     .width = 855, .height = 255, .caption = "Keystone", .font = kGothic9},
    {.name = "Command50", .kind = Button, .container = "Form1", .left = 7440, .top = 2880,
     .width = 375, .height = 255, .caption = "+", .background = kCyan, .font = kGothic9},
    {.name = "Command51", .kind = Button, .container = "Form1", .left = 7440, .top = 3240,
     .width = 375, .height = 255, .caption = "-", .background = kCyan, .font = kGothic9},

    {.name = "Command13", .kind = Button, .container = "Form1", .left = 8400, .top = 2760,
     .width = 975, .height = 250, .caption = "A-IMAGE", .background = kTeal, .font = kGothic9},
    {.name = "Command30", .kind = Button, .container = "Form1", .left = 8400, .top = 3120,
     .width = 975, .height = 255, .caption = "IMAGE", .background = kLavender, .font = kGothic9},
    {.name = "Command14", .kind = Button, .container = "Form1", .left = 8400, .top = 3360,
     .width = 975, .height = 250, .caption = "P-TIMER", .background = kLavender, .font = kGothic9},
    {.name = "Command3", .kind = Button, .container = "Form1", .left = 8400, .top = 3600,
     .width = 975, .height = 492, .caption = "DISPLAY CLEAR", .background = kLavender,
     .font = kGothic9},

    {.name = "Label19", .kind = Label, .container = "Form1", .left = 6600, .top = 3720,
     .width = 1332, .height = 252, .caption = "LAMP SELECT", .font = kGothic9},
    {.name = "Command56", .kind = Button, .container = "Form1", .left = 6600, .top = 3960,
     .width = 1200, .height = 372, .caption = "4 LAMP", .background = kCream, .font = kGothic9},
    {.name = "Command57", .kind = Button, .container = "Form1", .left = 6600, .top = 4320,
     .width = 606, .height = 372, .caption = "1-4", .background = kCream, .font = kGothic9},
    {.name = "Command58", .kind = Button, .container = "Form1", .left = 7200, .top = 4320,
     .width = 606, .height = 372, .caption = "2-3", .background = kCream, .font = kGothic9},

    {.name = "Command4", .kind = Button, .container = "Form1", .left = 240, .top = 4080,
     .width = 975, .height = 255, .caption = "STAND", .background = kCyan, .font = kGothic9},
    {.name = "Command10", .kind = Button, .container = "Form1", .left = 1200, .top = 4080,
     .width = 975, .height = 255, .caption = "REAL", .background = kCyan, .font = kGothic9},
    {.name = "Command11", .kind = Button, .container = "Form1", .left = 2160, .top = 4080,
     .width = 975, .height = 255, .caption = "CINEMA", .background = kCyan, .font = kGothic9},
    {.name = "Command39", .kind = Button, .container = "Form1", .left = 240, .top = 4320,
     .width = 975, .height = 255, .caption = "IMAGE1", .background = kCyan, .font = kGothic9},
    {.name = "Command40", .kind = Button, .container = "Form1", .left = 1200, .top = 4320,
     .width = 975, .height = 255, .caption = "IMAGE2", .background = kCyan, .font = kGothic9},
    {.name = "Command41", .kind = Button, .container = "Form1", .left = 2160, .top = 4320,
     .width = 975, .height = 255, .caption = "IMAGE3", .background = kCyan, .font = kGothic9},
    {.name = "Command42", .kind = Button, .container = "Form1", .left = 240, .top = 4560,
     .width = 975, .height = 255, .caption = "IMAGE4", .background = kCyan, .font = kGothic9},

    {.name = "Command33", .kind = Button, .container = "Form1", .left = 4080, .top = 4200,
     .width = 1815, .height = 375, .caption = "COM", .font = kPGothic9},
    {.name = "Command16", .kind = Button, .container = "Form1", .left = 8400, .top = 4320,
     .width = 975, .height = 375, .caption = "END", .background = kGrey},

    {.name = "Command34", .kind = Button, .container = "Form1", .left = 6615, .top = 5040,
     .width = 1200, .height = 375, .caption = "データを表示する", .background = kGrey,
     .font = kPGothic9, .hidden = true},
    {.name = "Command52", .kind = Button, .container = "Form1", .left = 8400, .top = 5160,
     .width = 975, .height = 255, .caption = "P-FAIL", .background = kPeach},
    {.name = "Command44", .kind = Button, .container = "Form1", .left = 6480, .top = 5640,
     .width = 975, .height = 255, .caption = "STATUS", .background = kCyan, .font = kGothic825Bold},
    {.name = "Command46", .kind = Button, .container = "Form1", .left = 7440, .top = 5640,
     .width = 975, .height = 255, .caption = "L-TIME", .background = kCyan, .font = kGothic825Bold},
    {.name = "Command54", .kind = Button, .container = "Form1", .left = 8400, .top = 5640,
     .width = 975, .height = 252, .caption = "TEMP", .background = kCyan, .font = kGothic825Bold},
    {.name = "Command45", .kind = Button, .container = "Form1", .left = 6480, .top = 5880,
     .width = 975, .height = 255, .caption = "MODE", .background = kCyan, .font = kGothic825Bold},
    {.name = "Command47", .kind = Button, .container = "Form1", .left = 7440, .top = 5880,
     .width = 975, .height = 255, .caption = "SETTING", .background = kCyan,
     .font = kGothic825Bold},
    {.name = "Command55", .kind = Button, .container = "Form1", .left = 8400, .top = 5880,
     .width = 975, .height = 252, .caption = "L-MODE", .background = kCyan, .font = kGothic825Bold},

    {.name = "Command38", .kind = Button, .container = "Form1", .left = 7080, .top = 6240,
     .width = 1095, .height = 255, .caption = "PC type", .background = kCyan,
     .font = kGothic825Bold},
    {.name = "Command12", .kind = Button, .container = "Form1", .left = 8160, .top = 6240,
     .width = 1215, .height = 252, .caption = "SETTING 2", .background = kCyan,
     .font = kGothic825Bold},
    {.name = "Command99", .kind = Button, .container = "Form1", .left = 8160, .top = 7800,
     .width = 1215, .height = 255, .caption = "PRESSURE", .background = kPeach},

    // POWER
    {.name = "Frame1", .kind = Frame, .container = "Form1", .left = 120, .top = 240,
     .width = 1695, .height = 975},
    {.name = "Label1", .kind = Label, .container = "Frame1", .left = 240, .top = 240,
     .width = 1095, .height = 255, .caption = "POWER", .foreground = kDarkRed, .align = Center},
    {.name = "Command17", .kind = Button, .container = "Frame1", .left = 120, .top = 600,
     .width = 615, .height = 300, .caption = "ON", .background = kOnGreen, .font = kPGothic9Bold},
    {.name = "Command18", .kind = Button, .container = "Frame1", .left = 960, .top = 600,
     .width = 615, .height = 300, .caption = "OFF", .background = kOffPink, .font = kPGothic9Bold},

    // INPUT MODE SET
    {.name = "Frame2", .kind = Frame, .container = "Form1", .left = 2160, .top = 240,
     .width = 3132, .height = 975},
    {.name = "Label2", .kind = Label, .container = "Frame2", .left = 600, .top = 240,
     .width = 1935, .height = 255, .caption = "INPUT MODE SET", .align = Center},
    {.name = "Command27", .kind = Button, .container = "Frame2", .left = 240, .top = 600,
     .width = 495, .height = 300, .caption = "1", .background = kCyan, .font = kPGothic9Bold},
    {.name = "Command28", .kind = Button, .container = "Frame2", .left = 960, .top = 600,
     .width = 495, .height = 300, .caption = "2", .background = kCyan, .font = kPGothic9Bold},
    {.name = "Command29", .kind = Button, .container = "Frame2", .left = 1680, .top = 600,
     .width = 495, .height = 300, .caption = "3", .background = kCyan, .font = kPGothic9Bold},
    {.name = "Command53", .kind = Button, .container = "Frame2", .left = 2400, .top = 600,
     .width = 495, .height = 300, .caption = "4", .background = kCyan, .font = kPGothic9Bold},

    // SOUND MUTE
    {.name = "Frame3", .kind = Frame, .container = "Form1", .left = 120, .top = 1440,
     .width = 1695, .height = 855},
    {.name = "Label4", .kind = Label, .container = "Frame3", .left = 120, .top = 195,
     .width = 1455, .height = 300, .caption = "SOUND MUTE", .align = Center},
    {.name = "Command19", .kind = Button, .container = "Frame3", .left = 120, .top = 480,
     .width = 615, .height = 300, .caption = "ON", .background = kOnGreen, .font = kPGothic9Bold},
    {.name = "Command20", .kind = Button, .container = "Frame3", .left = 960, .top = 480,
     .width = 615, .height = 300, .caption = "OFF", .background = kOffPink, .font = kPGothic9Bold},

    // NO SHOW
    {.name = "Frame4", .kind = Frame, .container = "Form1", .left = 1920, .top = 1440,
     .width = 1695, .height = 855},
    {.name = "Label5", .kind = Label, .container = "Frame4", .left = 360, .top = 210,
     .width = 1095, .height = 285, .caption = "NO SHOW", .align = Center},
    {.name = "Command21", .kind = Button, .container = "Frame4", .left = 120, .top = 480,
     .width = 615, .height = 300, .caption = "ON", .background = kOnGreen, .font = kPGothic9Bold},
    {.name = "Command22", .kind = Button, .container = "Frame4", .left = 960, .top = 480,
     .width = 615, .height = 300, .caption = "OFF", .background = kOffPink, .font = kPGothic9Bold},

    // AV Size
    {.name = "Frame5", .kind = Frame, .container = "Form1", .left = 5520, .top = 1440,
     .width = 1815, .height = 855},
    {.name = "Label6", .kind = Label, .container = "Frame5", .left = 240, .top = 210,
     .width = 1335, .height = 285, .caption = "AV Size", .align = Center},
    {.name = "Command31", .kind = Button, .container = "Frame5", .left = 120, .top = 480,
     .width = 855, .height = 300, .caption = "Regular", .background = kCyan, .font = kPGothic9},
    {.name = "Command32", .kind = Button, .container = "Frame5", .left = 1080, .top = 480,
     .width = 615, .height = 300, .caption = "Wide", .background = kCyan, .font = kPGothic9},

    // MENU
    {.name = "Frame6", .kind = Frame, .container = "Form1", .left = 5640, .top = 240,
     .width = 1695, .height = 975},
    {.name = "Label7", .kind = Label, .container = "Frame6", .left = 360, .top = 240,
     .width = 975, .height = 255, .caption = "MENU", .align = Center},
    {.name = "Command23", .kind = Button, .container = "Frame6", .left = 120, .top = 600,
     .width = 615, .height = 300, .caption = "ON", .background = kOnGreen, .font = kPGothic9Bold},
    {.name = "Command24", .kind = Button, .container = "Frame6", .left = 960, .top = 600,
     .width = 615, .height = 300, .caption = "OFF", .background = kOffPink, .font = kPGothic9Bold},

    // FREEZE
    {.name = "Frame7", .kind = Frame, .container = "Form1", .left = 3720, .top = 1440,
     .width = 1695, .height = 855},
    {.name = "Label8", .kind = Label, .container = "Frame7", .left = 240, .top = 210,
     .width = 1215, .height = 285, .caption = "FREEZE", .align = Center},
    {.name = "Command25", .kind = Button, .container = "Frame7", .left = 120, .top = 480,
     .width = 615, .height = 300, .caption = "ON", .background = kOnGreen, .font = kPGothic9Bold},
    {.name = "Command26", .kind = Button, .container = "Frame7", .left = 960, .top = 480,
     .width = 615, .height = 300, .caption = "OFF", .background = kOffPink, .font = kPGothic9Bold},

    // Port panel; the speed options sit in Frame13 so that they form a group of their own.
    {.name = "Frame8", .kind = Frame, .container = "Form1", .left = 3480, .top = 3600,
     .width = 2775, .height = 1185, .hidden = true},
    {.name = "Option1", .kind = Option, .container = "Frame8", .left = 240, .top = 240,
     .width = 1215, .height = 255, .caption = "COM1"},
    {.name = "Option2", .kind = Option, .container = "Frame8", .left = 1560, .top = 240,
     .width = 1095, .height = 255, .caption = "COM2"},
    {.name = "Frame13", .kind = Frame, .container = "Frame8", .left = 120, .top = 480,
     .width = 2535, .height = 615},
    {.name = "Option9", .kind = Option, .container = "Frame13", .left = 120, .top = 240,
     .width = 1095, .height = 255, .caption = "19200", .selected = true},
    {.name = "Option10", .kind = Option, .container = "Frame13", .left = 1440, .top = 240,
     .width = 975, .height = 300, .caption = "9600"},

    // Traffic display
    {.name = "Frame9", .kind = Frame, .container = "Form1", .left = 45, .top = 4920,
     .width = 6312, .height = 1290},
    {.name = "Label9", .kind = Label, .container = "Frame9", .left = 105, .top = 210,
     .width = 390, .height = 285, .caption = "TXD", .font = kGothic9, .align = Right},
    {.name = "Label11", .kind = Label, .container = "Frame9", .left = 600, .top = 180,
     .width = 5610, .height = 300, .background = kWhite, .font = kPGothic975Bold, .border = true},
    {.name = "Label10", .kind = Label, .container = "Frame9", .left = 60, .top = 540,
     .width = 450, .height = 300, .caption = "RXD", .font = kGothic9, .align = Right},
    {.name = "Label12", .kind = Label, .container = "Frame9", .left = 600, .top = 540,
     .width = 5616, .height = 300, .background = kWhite, .font = kPGothic975Bold, .border = true},
    {.name = "Label23", .kind = Label, .container = "Frame9", .left = 120, .top = 1005,
     .width = 795, .height = 225, .caption = "STATUS", .font = kGothic825},
    {.name = "Label22", .kind = Label, .container = "Frame9", .left = 930, .top = 900,
     .width = 5295, .height = 300, .background = kWhite, .foreground = kRed,
     .font = kPGothic9Bold, .border = true},

    // LENS SHIFT
    {.name = "Frame10", .kind = Frame, .container = "Form1", .left = 7680, .top = 600,
     .width = 1692, .height = 1695, .font = kPGothic75},
    {.name = "Label20", .kind = Label, .container = "Frame10", .left = 120, .top = 195,
     .width = 1455, .height = 300, .caption = "LENS SHIFT", .align = Center},
    {.name = "Command59", .kind = Button, .container = "Frame10", .left = 600, .top = 600,
     .width = 492, .height = 252, .caption = "↑", .background = kPeach, .font = kPGothic75},
    {.name = "Command60", .kind = Button, .container = "Frame10", .left = 240, .top = 960,
     .width = 492, .height = 252, .caption = "←", .background = kPeach, .font = kPGothic75},
    {.name = "Command61", .kind = Button, .container = "Frame10", .left = 960, .top = 960,
     .width = 492, .height = 252, .caption = "→", .background = kPeach, .font = kPGothic75},
    {.name = "Command62", .kind = Button, .container = "Frame10", .left = 588, .top = 1320,
     .width = 492, .height = 252, .caption = "↓", .background = kPeach, .font = kPGothic75},

    // PJ Select
    {.name = "Frame11", .kind = Frame, .container = "Form1", .left = 75, .top = 6225,
     .width = 6765, .height = 465, .font = kPGothic75},
    {.name = "Label21", .kind = Label, .container = "Frame11", .left = 60, .top = 150,
     .width = 1050, .height = 255, .caption = "PJ Select", .font = kGothic825},
    {.name = "Option3", .kind = Option, .container = "Frame11", .left = 1155, .top = 168,
     .width = 1095, .height = 225, .caption = "SINGLE", .font = kGothic825, .selected = true},
    {.name = "Option4", .kind = Option, .container = "Frame11", .left = 2280, .top = 165,
     .width = 855, .height = 225, .caption = "ALL", .font = kGothic825},
    {.name = "Option5", .kind = Option, .container = "Frame11", .left = 3240, .top = 180,
     .width = 735, .height = 225, .caption = "001", .font = kGothic825},
    {.name = "Option6", .kind = Option, .container = "Frame11", .left = 4080, .top = 180,
     .width = 735, .height = 225, .caption = "002", .font = kGothic825},
    {.name = "Option7", .kind = Option, .container = "Frame11", .left = 4920, .top = 180,
     .width = 795, .height = 225, .caption = "003", .font = kGothic825},
    {.name = "Option8", .kind = Option, .container = "Frame11", .left = 5880, .top = 180,
     .width = 795, .height = 225, .caption = "004", .font = kGothic825},

    // Input grid: the row label, then its eight buttons from column 1 to 8.
    {.name = "Frame14", .kind = Frame, .container = "Form1", .left = 120, .top = 6735,
     .width = 7215, .height = 1320},
    {.name = "Label15", .kind = Label, .container = "Frame14", .left = 120, .top = 240,
     .width = 255, .height = 255, .caption = "1"},
    gridButton("Command63", 1, 1), gridButton("Command64", 1, 2),
    gridButton("Command65", 1, 3), gridButton("Command66", 1, 4),
    gridButton("Command67", 1, 5), gridButton("Command68", 1, 6),
    gridButton("Command69", 1, 7), gridButton("Command70", 1, 8),
    {.name = "Label16", .kind = Label, .container = "Frame14", .left = 120, .top = 480,
     .width = 255, .height = 255, .caption = "2"},
    gridButton("Command71", 2, 1), gridButton("Command72", 2, 2),
    gridButton("Command73", 2, 3), gridButton("Command74", 2, 4),
    gridButton("Command75", 2, 5), gridButton("Command76", 2, 6),
    gridButton("Command77", 2, 7), gridButton("Command78", 2, 8),
    {.name = "Label24", .kind = Label, .container = "Frame14", .left = 120, .top = 720,
     .width = 255, .height = 255, .caption = "3"},
    gridButton("Command79", 3, 1), gridButton("Command80", 3, 2),
    gridButton("Command81", 3, 3), gridButton("Command82", 3, 4),
    gridButton("Command83", 3, 5), gridButton("Command84", 3, 6),
    gridButton("Command85", 3, 7), gridButton("Command86", 3, 8),
    {.name = "Label25", .kind = Label, .container = "Frame14", .left = 120, .top = 960,
     .width = 255, .height = 255, .caption = "4"},
    gridButton("Command87", 4, 1), gridButton("Command88", 4, 2),
    gridButton("Command89", 4, 3), gridButton("Command90", 4, 4),
    gridButton("Command91", 4, 5), gridButton("Command92", 4, 6),
    gridButton("Command93", 4, 7), gridButton("Command94", 4, 8),

    // Manual entry
    {.name = "Frame15", .kind = Frame, .container = "Form1", .left = 120, .top = 8055,
     .width = 7215, .height = 570},
    {.name = "Label26", .kind = Label, .container = "Frame15", .left = 120, .top = 240,
     .width = 495, .height = 255, .caption = "CMD", .font = kGothic975},
    {.name = "Text1", .kind = TextBox, .container = "Frame15", .left = 600, .top = 165,
     .width = 5055, .height = 345, .font = kGothic975Bold},
    {.name = "Command95", .kind = Button, .container = "Frame15", .left = 5760, .top = 240,
     .width = 735, .height = 255, .caption = "SEND", .background = kOnGreen},
    {.name = "Command96", .kind = Button, .container = "Frame15", .left = 6480, .top = 240,
     .width = 615, .height = 255, .caption = "CLS", .background = kOffPink},

    // FAN SPEED
    {.name = "Frame16", .kind = Frame, .container = "Form1", .left = 7440, .top = 6750,
     .width = 1935, .height = 945},
    {.name = "Label27", .kind = Label, .container = "Frame16", .left = 345, .top = 285,
     .width = 1215, .height = 255, .caption = "FAN SPEED"},
    {.name = "Command97", .kind = Button, .container = "Frame16", .left = 120, .top = 600,
     .width = 855, .height = 255, .caption = "MAX", .background = kOnGreen},
    {.name = "Command98", .kind = Button, .container = "Frame16", .left = 960, .top = 600,
     .width = 855, .height = 255, .caption = "NOR", .background = kOnGreen},
};

// A plus sign around the cursor pad, clockwise from the top-left corner of its upper arm.
constexpr Point kPadOutline[] = {
    {1080, 2400}, {2160, 2400}, {2160, 2880}, {3120, 2880}, {3120, 3480}, {2160, 3480},
    {2160, 3960}, {1080, 3960}, {1080, 3480}, {120, 3480},  {120, 2880},  {1080, 2880},
};
// clang-format on

} // namespace

std::span<const Control> controls()
{
    return kControls;
}

std::span<const Point> padOutline()
{
    return kPadOutline;
}

} // namespace layout
