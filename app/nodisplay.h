// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether the window can have a display: on X11 and Wayland desktops one is
// named in DISPLAY or WAYLAND_DISPLAY, unless a platform is chosen with
// -platform or QT_QPA_PLATFORM. Without one, says what is missing and how to
// proceed on standard error and returns false.
bool displayAvailable(int argc, char *argv[]);
