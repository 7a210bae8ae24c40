#pragma once

#include "core/catalogue.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

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

// What the window would show once the command is done.
struct Outcome
{
    QString command;
    QString sent;     // the TXD line
    QString received; // the RXD line
    QString status;   // the STATUS line, as decoded for this command
    bool answered = false;
    qint64 milliseconds = 0;
    bool lineFailed = false; // the line refused the command or went away
    QString failure;
};

// Sends commands through the console one at a time and waits for each as the
// window's operator would: until its reply is complete or its reply window
// has ended.
class Session : public QObject
{
    Q_OBJECT

public:
    explicit Session(Console &console, QObject *parent = nullptr);

    Outcome run(const Job &job);
    // Waits until everything written has left the computer.
    void drain();

private:
    void start(const Job &job);
    void finish();
    void conclude();
    void waitForLateReply();
    bool allAddressed() const;

    Console &m_console;
    QEventLoop m_loop;
    QElapsedTimer m_clock;
    QElapsedTimer m_sinceSent;
    QTimer m_release;  // ends a hold
    QTimer m_lateWait; // a released button's reply may still come
    const commands::Hold *m_held = nullptr;
    bool m_released = true;
    Outcome m_outcome;
};
