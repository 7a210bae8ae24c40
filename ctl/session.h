// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue.h"
#include "core/outcome.h"

#include <QEventLoop>
#include <QHash>
#include <QObject>

class Console;

// One command of projector-ctl: a one-shot button, a repeating button held for
// holdMs (0: a click), or a manual text sent as SEND sends it.
struct Job
{
    QString command; // as printed
    const commands::OneShot *oneShot = nullptr;
    const commands::Hold *hold = nullptr;
    int holdMs = 0;
    QString manual;
};

// Hands projector-ctl's commands to the console one at a time, each once the
// line has settled after the one before, and gives what became of each: for a
// held button, of the last command it sent.
class Session : public QObject
{
    Q_OBJECT

public:
    explicit Session(Console &console, QObject *parent = nullptr);

    Outcome run(const Job &job);
    // Waits until everything written has left the computer.
    void drain();

private:
    Console &m_console;
    QEventLoop m_loop;
    QHash<quint64, Outcome> m_outcomes; // the latest of each intent, until it is reported
};
