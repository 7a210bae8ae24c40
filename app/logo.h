#pragma once

#include <QPixmap>

namespace layout {

inline constexpr int kLogoWidth = 80;
inline constexpr int kLogoHeight = 26;
inline constexpr QRgb kLogoInk = 0xFF0000;

// The logo of Image1: "TAVO" in red serif capitals on the window's grey,
// kLogoWidth x kLogoHeight pixels. Needs a QGuiApplication.
QPixmap drawLogo();

} // namespace layout
