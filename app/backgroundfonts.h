// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <thread>

// Reads the system's font database on a thread of its own while the window is
// built and the port opened: the first caption the window lays out needs it,
// and reading it (the font configuration and its cache) is a good part of the
// start-up. Qt's font database is thread-safe: whoever asks for it before it
// is read waits for it. Start it once the application object exists.
class BackgroundFonts
{
public:
    BackgroundFonts();
    ~BackgroundFonts();
    BackgroundFonts(const BackgroundFonts &) = delete;
    BackgroundFonts &operator=(const BackgroundFonts &) = delete;

    // Waits for the reading; when it ended.
    std::chrono::steady_clock::time_point finished();

private:
    std::chrono::steady_clock::time_point m_finished;
    std::thread m_reader;
};
