// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue.h"

#include <QString>
#include <QStringList>
#include <span>

// The commands of projector-ctl, named as the catalogue names them: as the
// window labels their buttons, the group title and the caption, plain ASCII
// words for the arrows.
namespace ctlnames {

struct Entry
{
    QString name;    // "POWER ON"
    QString control; // "Command17"
};

std::span<const Entry> entries();

// A named button: one of the two is set.
struct Command
{
    QString name;
    const commands::OneShot *oneShot = nullptr;
    const commands::Hold *hold = nullptr;
};

// Case and runs of spaces do not matter. Nothing set when no name fits.
Command find(const QString &name);

// The names closest to `name` in spelling, nearest first.
QStringList nearest(const QString &name, int count = 3);

} // namespace ctlnames
