// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The display form of a sent or received text: a leading space, then each
// character followed by a space, control characters spelled out ("CR ", "LF ",
// "ACK "), code 20 as a lone "&" and everything outside space..'z' as "? ".
QString trace(const QString &text);
