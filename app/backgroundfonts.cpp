// SPDX-License-Identifier: GPL-3.0-or-later
#include "backgroundfonts.h"

#include <QFontDatabase>
#include <QStringList>

BackgroundFonts::BackgroundFonts()
    : m_reader([this] {
          QFontDatabase::families();
          m_finished = std::chrono::steady_clock::now();
      })
{}

BackgroundFonts::~BackgroundFonts()
{
    if (m_reader.joinable())
        m_reader.join();
}

std::chrono::steady_clock::time_point BackgroundFonts::finished()
{
    if (m_reader.joinable())
        m_reader.join();
    return m_finished;
}
