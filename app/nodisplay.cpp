// SPDX-License-Identifier: GPL-3.0-or-later
#include "nodisplay.h"

#include <QtGlobal>
#include <cstdio>
#include <cstring>

bool displayAvailable(int argc, char *argv[])
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "--") == 0)
            break;
        argument += argument[0] == '-' ? (argument[1] == '-' ? 2 : 1) : 0;
        if (argument != argv[i] && std::strncmp(argument, "platform", 8) == 0
            && (argument[8] == '\0' || argument[8] == '='))
            return true;
    }
    std::fputs("projector-console: there is no display to show the window on (neither DISPLAY "
               "nor WAYLAND_DISPLAY is set).\n"
               "Start it from a desktop session, or over ssh with X forwarding (ssh -X).\n"
               "Without a display, projector-ctl sends the same commands from a shell "
               "(man projector-ctl).\n",
               stderr);
    return false;
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
}
