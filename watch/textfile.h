// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace watch {

// Replaces DIR/projector-watch.prom with `text` at once, as node_exporter's
// textfile collector needs: written beside it under another name, readable by
// all, then renamed over it. False with a reason when it cannot.
bool writeTextfile(const QString &dir, const QString &text, QString *error);

} // namespace watch
