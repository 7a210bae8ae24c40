#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP end the console as END does. The signal handler
// only writes a byte into a pipe; `end` runs later from the event loop, where
// closing the port and the window is safe.
class EndSignals : public QObject
{
    Q_OBJECT

public:
    explicit EndSignals(std::function<void()> end, QObject *parent = nullptr);
    ~EndSignals() override;

    // A signal arrived (it may have arrived before the event loop ran).
    bool received() const { return m_received; }

private:
    void drain();

    std::function<void()> m_end;
    QSocketNotifier *m_notifier = nullptr;
    bool m_received = false;
};
