// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QString>

// Where a program listens, as its options name it: "HOST:PORT", "[V6]:PORT" or
// "PORT" (on 127.0.0.1). False when not understood; port 0 takes a free one.
bool parseListenAddress(const QString &text, QHostAddress *address, quint16 *port);
