// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reading.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QTimer>

namespace watch {

class Board;

// The quick look: one row per projector, in columns. Rows listed in
// `changed` are marked; `now` gives the ages of the last answers.
QString tableText(const QList<Reading> &readings, const QDateTime &now,
                  const QList<bool> &changed = {});

// Keeps the table on a terminal: redrawn when a projector is read, marked
// for a change in the latest round, and every second for the ages.
class TerminalTable : public QObject
{
    Q_OBJECT

public:
    explicit TerminalTable(Board &board, QObject *parent = nullptr);

private:
    void draw();

    Board &m_board;
    QList<bool> m_changed;
    QTimer m_tick;
};

} // namespace watch
