// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>

namespace layout {

inline constexpr int kLogoWidth = 80;
inline constexpr int kLogoHeight = 26;

// The logo of Image1: "TAVO" in red serif capitals on the window's grey,
// kLogoWidth x kLogoHeight pixels in 24-bit colour (logo.ppm). Needs a
// QGuiApplication.
QPixmap logoPicture();

} // namespace layout
