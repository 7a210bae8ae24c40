// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/console.h"
#include "tests/support/consoleprobe.h"
#include "tests/support/fakeline.h"

#include <QCoreApplication>

namespace fuzz {

// The console's core on a line that keeps what is written and takes what the
// target feeds in. Queued arrivals need an application object; one is made
// once unless the caller has one.
struct Rig
{
    explicit Rig(Clock &clock = Clock::steady())
        : console(
            [this](int) {
                auto made = std::make_unique<FakeLine>();
                line = made.get();
                return made;
            },
            clock)
    {}

    static void ensureApplication()
    {
        if (QCoreApplication::instance())
            return;
        static int argc = 1;
        static char name[] = "fuzz";
        static char *argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }

    WindowState &state() { return probe(console).state(); }
    Traffic &traffic() { return probe(console).traffic(); }

    FakeLine *line = nullptr;
    ::Console console;
};

} // namespace fuzz
