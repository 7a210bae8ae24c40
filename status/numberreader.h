// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

namespace status {

// Reads the number at the start of `text`. Spaces, tabs and line feeds are skipped
// wherever they stand, so the separators of a trace vanish (" 5 1 2 CR " reads 512).
// Grammar: optional sign, digits, optional decimal point with digits, optional exponent
// (E or D, either case, optional sign, digits); reading stops at the first other
// character. No number gives 0. A value beyond the double range gives +/- infinity.
double readNumber(QStringView text);

} // namespace status
