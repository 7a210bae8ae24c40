// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue.h"
#include "clock.h"
#include "link/mscomm.h"
#include "outcome.h"
#include "windowstate.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

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
    // `clock` runs the console's timers: the computer's, or a test's driven by hand.
    explicit Console(MSComm::LineFactory lines, QObject *parent = nullptr);
    Console(MSComm::LineFactory lines, Clock &clock, QObject *parent = nullptr);
    ~Console() override;

    // Start-up: settings and address, then `place` (the front end's own step),
    // then the repetition and reply state cleared and port 1 opened. Returns
    // false when port 1 could not be opened; port().errorDescription() says why.
    bool Form_Load(const std::function<void()> &place = {});

    // Closes the open port, renumbers it to n and reopens it. A failure is
    // told by warning(), the number set back to m, and false returned; a port
    // that opens in the background (a connection) tells it when it fails.
    bool switchPort(qint16 n, qint16 m);
    // Applies "19200,N,8,1" or "9600,N,8,1". A refused setting returns false,
    // the previous one kept and port().errorDescription() saying why.
    bool chooseSpeed(const QString &settings);
    // Opens the chosen port again after it closed or failed to open; false
    // with port().errorDescription() saying why.
    bool reopen();
    // END: the port is closed.
    void end();

    // Intents, by catalogue id (the window's control name, "Command17"). Each
    // returns its intent number, which the outcomes of its commands carry; 0
    // for an unknown id. Every command sent ends in one outcome(). An intent
    // made while the port is still opening (a connection) waits for it: it goes
    // out once the port is open, or ends LineFailed with the cause, nothing sent.
    //
    // `asked`: a command asked by another program through the line the console
    // serves: for the projector at `address` whatever the window has chosen (a
    // hold's ticks keep it), and in the `background` (polling), its reply kept
    // off the STATUS line. The reply window and display hold it sets are its
    // own: the operator's come back once it has ended.
    struct For
    {
        QString address;
        bool background = false;
    };
    quint64 send(const QString &id, const std::optional<For> &asked = std::nullopt);
    quint64 press(const QString &id);
    void release(const QString &id);
    // Press, and release after `ms`.
    quint64 hold(const QString &id, int ms, const std::optional<For> &asked = std::nullopt);
    // "SEND": the typed text behind the address prefix.
    quint64 sendText(const QString &typed, const std::optional<For> &asked = std::nullopt);
    // "", "AFFF" or "A001".."A004".
    void chooseAddress(const QString &prefix) { m_state.AddressPrefix = prefix; }

    // The number the next intent gets: its outcomes may come before the call
    // that makes it has returned.
    quint64 nextIntent() const { return m_intents + 1; }
    // A repeating button is held, by the operator or by hold().
    bool repeating() const { return m_state.RepeatCode != 0; }
    // Ends the hold of `intent` at once, if it is still under way.
    void endHold(quint64 intent);

    // How intents go out: as they come (the window: the operator decides when
    // to click), or each only once the line has settled - the reply to the
    // previous command came, or its window ended and the line stayed quiet -
    // so that a late reply is never taken for the next command's (a script).
    enum class Pacing { AsTheyCome, WhenSettled };
    void setPacing(Pacing pacing) { m_pacing = pacing; }
    // Nothing waits for a reply, nothing is held or queued.
    bool settled() const;

    // The port as it stands: its number, settings, whether it is open, why it
    // last refused, bytes written that have not yet left the computer.
    const MSComm &port() const { return m_comm; }
    // Words added to the description of a lost line ("Run the command again ...").
    void setLostAdvice(const QString &advice) { m_comm.setLostAdvice(advice); }

    QString txd() const;
    QString rxd() const;
    QString statusLine() const;

signals:
    // A failure that the design tells in a modal warning box.
    void warning(const QString &description);
    // The three traffic lines.
    void txdChanged(const QString &text);
    void rxdChanged(const QString &text);
    void statusChanged(const QString &text);
    void outcome(const Outcome &outcome);
    // The line has settled and nothing is queued (see settled()).
    void becameSettled();
    // The bytes of a command of `intent` left / characters came in / the line
    // went away.
    void transmitted(const QString &text, quint64 intent);
    void arrived(const QString &characters);
    void lineLost(const QString &description);
    // The port refused a command.
    void refused(const QString &description);
    // The line stays open but works otherwise than asked.
    void lineWarning(const QString &description);
    // The reply window of the latest command ended.
    void replyWindowEnded();
    // The hold of `intent` ended: its time was up, endHold() ended it, a press
    // took the repetition over, or the port refused its first command.
    void holdEnded(quint64 intent);

private:
    // Tests look at the window's variables and timers as they stand.
    friend class ConsoleProbe;

    WindowState &state() { return m_state; }
    MSComm &comm() { return m_comm; }
    Traffic &traffic() { return *m_traffic; }
    ConsoleTimer &timer(int n);

    quint64 enqueue(std::function<bool(quint64 intent)> intent);
    void runQueue();
    void fail(quint64 intent, const QString &name, const QString &description);
    void failWaiting(const QString &description);
    QString closedWhileOpening() const;
    bool begin(quint64 intent, const QString &name, const std::function<bool()> &sendFirst);
    bool beginFor(const std::optional<For> &asked, quint64 intent, const QString &name, bool holds,
                  const std::function<bool()> &sendFirst);
    void stopHold();
    void restoreWindows(quint64 intent);

    WindowState m_state;
    MSComm m_comm;
    ConsoleTimer m_timer1, m_timer2, m_timer4;
    std::unique_ptr<Traffic> m_traffic;
    std::unique_ptr<CommandSender> m_sender;
    std::unique_ptr<PressAndHold> m_pressAndHold;
    Pacing m_pacing = Pacing::AsTheyCome;
    std::deque<std::pair<quint64, std::function<bool(quint64)>>> m_queue;
    quint64 m_intents = 0;
    // Set while the intents that waited for a port that failed to open end.
    QString m_openFailure;
    // Presses that wait for the port, and those of them already released.
    QList<const commands::Hold *> m_waitingPresses;
    QSet<const commands::Hold *> m_releasedWaiting;
    const commands::Hold *m_holding = nullptr; // held by hold()
    quint64 m_holdIntent = 0;
    ConsoleTimer m_holdTimer;
    // The operator's reply window and display hold, for after a command For another.
    struct Windows
    {
        quint64 intent = 0;
        int replyWindow = 0, displayHold = 0; // the operator's
        int ownWindow = 0, ownHold = 0;       // as the command set them
    };
    std::optional<Windows> m_windowsAfter;
    qint16 m_fallbackPort = 0; // the port to go back to if the opening fails
};
