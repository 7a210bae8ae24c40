// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtMath>

// Design geometry is in twips (1/1440 inch); the screen's logical resolution
// turns it into pixels: 15 twips to a pixel at 96 dots per inch.
inline int twipsToPixels(int twips, qreal dpi)
{
    return qRound(twips * dpi / 1440.0);
}

inline int pixelsToTwips(int pixels, qreal dpi)
{
    return qRound(pixels * 1440.0 / dpi);
}
