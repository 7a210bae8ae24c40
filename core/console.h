#pragma once

#include "catalogue.h"
#include "link/mscomm.h"
#include "windowstate.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class CommandSender;
class PressAndHold;
class Traffic;

// Everything of the console that is not drawn: the window's variables, the
// serial component, the four timers, the road of every command and reply,
// the one-shot and press-and-hold senders, addressing, the port switch and
// the speed choice. A front end shows the traffic lines and forwards the
// operator's actions.
class Console : public QObject
{
    Q_OBJECT

public:
    explicit Console(MSComm::LineFactory lines, QObject *parent = nullptr);
    ~Console() override;

    // Start-up: settings and address, then `place` (the front end's own step),
    // then the repetition and reply state cleared and port 1 opened. Returns
    // false when port 1 could not be opened; comm().errorDescription() says why.
    bool Form_Load(const std::function<void()> &place = {});

    // Closes the open port, renumbers it to n and reopens it. A failure is
    // told by warning(), the number set back to m, and false returned.
    bool switchPort(qint16 n, qint16 m);
    // Applies "19200,N,8,1" or "9600,N,8,1". A refused setting returns false,
    // the previous one kept and comm().errorDescription() saying why.
    bool chooseSpeed(const QString &settings);
    // "", "AFFF" or "A001".."A004".
    void setAddressPrefix(const QString &prefix) { m_state.AddressPrefix = prefix; }

    bool click(const commands::OneShot &button);
    bool sendManual(const QString &typed);
    void press(const commands::Hold &button);
    void release(const commands::Hold &button);

    // END: the port is closed.
    void end();

    WindowState &state() { return m_state; }
    MSComm &comm() { return m_comm; }
    Traffic &traffic() { return *m_traffic; }
    QTimer &timer(int n);

signals:
    // A failure that the design tells in a modal warning box.
    void warning(const QString &description);

private:
    WindowState m_state;
    MSComm m_comm;
    QTimer m_timer1, m_timer2, m_timer3, m_timer4;
    std::unique_ptr<Traffic> m_traffic;
    std::unique_ptr<CommandSender> m_sender;
    std::unique_ptr<PressAndHold> m_pressAndHold;
};
