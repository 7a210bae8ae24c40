// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// The signals that end a program (SIGTERM, SIGINT, SIGHUP, and for a program
// that writes to a pipe SIGPIPE) run `end` from the event loop, where closing
// the port is safe, at any moment: in the main loop or in a nested one such as
// a modal warning's. The signal handler only writes the signal's number into a
// pipe.
class EndSignals : public QObject
{
    Q_OBJECT

public:
    explicit EndSignals(std::function<void(int signal)> end, bool withPipe = false,
                        QObject *parent = nullptr);
    ~EndSignals() override;

    // The signal that arrived first, 0 for none yet.
    int received() const { return m_received; }

    // "SIGTERM" and so on.
    static QString name(int signal);
    // What shells expect of a program ended by a signal.
    static int exitStatus(int signal) { return 128 + signal; }

private:
    void drain();

    std::function<void(int)> m_end;
    QSocketNotifier *m_notifier = nullptr;
    int m_received = 0;
};
