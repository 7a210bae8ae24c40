// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/outcome.h"
#include "pjlink.h"

#include <QStringList>
#include <array>
#include <span>

// What a PJLink request asks of one projector of the line, in the catalogue's
// commands, and the PJLink answer its outcomes give.
namespace pjlink {

// How one projector presents itself to PJLink clients.
struct Profile
{
    QByteArray name;    // NAME, up to 64 characters
    QByteArray maker;   // INF1, up to 32
    QByteArray product; // INF2, up to 32
    QByteArray info;    // INFO, up to 32
    // The PJLink input ("11" RGB 1, "21" VIDEO 1, "31" DIGITAL 1, ...) of each
    // of the projector's inputs 1 to 4; empty: not offered.
    std::array<QByteArray, 4> inputs;
};

// The shipped presentation: this program, the line and the address, nothing else.
Profile defaultProfile(const QString &line, int address);
// Whether `code` is a PJLink input: a kind 1-5 and a number 1-9.
bool isInputCode(QByteArrayView code);

struct Plan
{
    QByteArray immediate; // the whole answer, when the projector need not be asked
    QStringList buttons;  // else the catalogue's commands, sent one after the other
};

Plan plan(const Request &request, const Profile &profile);

// The answer from the outcomes of the plan's commands in order; a command that
// was not answered ends the plan, so it is the last outcome given.
QByteArray answerFrom(const Request &request, const Profile &profile,
                      std::span<const Outcome> outcomes);

// The error a command's outcome other than an answer stands for.
Error errorOf(Outcome::Result result);

} // namespace pjlink
