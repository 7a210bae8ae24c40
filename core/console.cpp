// SPDX-License-Identifier: GPL-3.0-or-later
#include "console.h"

#include "pressandhold.h"
#include "senders.h"
#include "traffic.h"

#include <utility>

Console::Console(MSComm::LineFactory lines, QObject *parent)
    : Console(std::move(lines), Clock::steady(), parent)
{}

Console::Console(MSComm::LineFactory lines, Clock &clock, QObject *parent)
    : QObject(parent), m_comm(std::move(lines)), m_timer1(clock), m_timer2(clock), m_timer4(clock),
      m_holdTimer(clock)
{
    m_comm.setObjectName(QStringLiteral("MSComm1"));
    const int intervals[] = {200, 500, 0, 1000};
    for (int n : {1, 2, 4}) {
        ConsoleTimer &t = timer(n);
        t.setObjectName(QStringLiteral("Timer%1").arg(n));
        t.setInterval(intervals[n - 1]);
    }
    m_traffic = std::make_unique<Traffic>(m_state, m_comm, m_timer2, m_timer4, clock);
    const SenderTimers timers{m_timer1, m_timer2, m_timer4};
    m_sender = std::make_unique<CommandSender>(m_state, *m_traffic, timers);
    m_pressAndHold = std::make_unique<PressAndHold>(m_state, *m_traffic, m_comm, timers);
    connect(&m_timer1, &ConsoleTimer::timeout, this, [this] { m_pressAndHold->Timer1_Timer(); });

    Traffic *traffic = m_traffic.get();
    connect(traffic, &Traffic::txdChanged, this, &Console::txdChanged);
    connect(traffic, &Traffic::rxdChanged, this, &Console::rxdChanged);
    connect(traffic, &Traffic::statusChanged, this, &Console::statusChanged);
    connect(traffic, &Traffic::transmitted, this, &Console::transmitted);
    connect(traffic, &Traffic::arrived, this, &Console::arrived);
    connect(traffic, &Traffic::refused, this, &Console::refused);
    connect(traffic, &Traffic::settled, this, [this](const Outcome &outcome) {
        restoreWindows(outcome.intent);
        emit this->outcome(outcome);
    });
    connect(traffic, &Traffic::becameIdle, this, &Console::runQueue);
    connect(traffic, &Traffic::replyWindowEnded, this, &Console::replyWindowEnded);
    connect(&m_comm, &MSComm::lineWarning, this, &Console::lineWarning);
    connect(&m_comm, &MSComm::lineLost, this, [this](const QString &description) {
        m_traffic->lineFailed(description);
        emit lineLost(description);
    });
    // A port that opens in the background tells its failure as a failed switch
    // does; the intents that waited for it end with its cause.
    connect(&m_comm, &MSComm::openFailed, this, [this](const QString &description) {
        m_traffic->lineFailed(description);
        if (m_fallbackPort != 0)
            m_comm.setCommPort(std::exchange(m_fallbackPort, 0));
        failWaiting(description);
        emit warning(description);
    });
    connect(&m_comm, &MSComm::portOpened, this, [this] {
        m_fallbackPort = 0;
        runQueue();
    });
    m_holdTimer.setSingleShot(true);
    connect(&m_holdTimer, &ConsoleTimer::timeout, this, [this] {
        const quint64 intent = m_holdIntent;
        if (const commands::Hold *held = std::exchange(m_holding, nullptr))
            m_pressAndHold->release(*held);
        emit holdEnded(intent);
        runQueue();
    });
}

Console::~Console() = default;

ConsoleTimer &Console::timer(int n)
{
    ConsoleTimer *timers[] = {&m_timer1, &m_timer2, nullptr, &m_timer4};
    Q_ASSERT_X(n != 3, "Console::timer", "Timer3 is the window's");
    return *timers[n - 1];
}

bool Console::Form_Load(const std::function<void()> &place)
{
    m_state.CommSettings = QStringLiteral("19200,N,8,1");
    m_state.AddressPrefix.clear();
    if (place)
        place();
    m_state.RepeatCode = 0;
    m_state.ReplyPending = 0;
    m_state.RecvBuffer.clear();
    m_comm.setCommPort(1);
    m_comm.setSettings(m_state.CommSettings);
    return m_comm.setPortOpen(true);
}

bool Console::switchPort(qint16 n, qint16 m)
{
    QString failure;
    const auto attempt = [&](bool ok) {
        if (!ok)
            failure = m_comm.errorDescription();
        return ok;
    };
    if (m_comm.portOpening())
        failWaiting(closedWhileOpening());
    if (m_comm.portOpen() || m_comm.portOpening())
        attempt(m_comm.setPortOpen(false));
    attempt(m_comm.setCommPort(n));
    // The port opens whenever it is closed, also after an earlier failure.
    if (failure.isEmpty())
        attempt(m_comm.setPortOpen(true));

    if (!failure.isEmpty()) {
        emit warning(failure);
        m_comm.setCommPort(m);
        return false;
    }
    m_fallbackPort = m_comm.portOpening() ? m : 0;
    return true;
}

bool Console::chooseSpeed(const QString &settings)
{
    const QString previous = m_state.CommSettings;
    m_state.CommSettings = settings;
    if (!m_comm.setSettings(m_state.CommSettings)) {
        m_state.CommSettings = previous;
        return false;
    }
    return true;
}

bool Console::reopen()
{
    return m_comm.portOpen() || m_comm.setPortOpen(true);
}

void Console::end()
{
    if (m_comm.portOpening())
        failWaiting(closedWhileOpening());
    m_comm.setPortOpen(false);
}

QString Console::closedWhileOpening() const
{
    return QStringLiteral("Port %1 was closed before it opened, so the command was not sent.")
        .arg(m_comm.commPort());
}

// Every intent that waited for the port ends with `description`, nothing sent.
void Console::failWaiting(const QString &description)
{
    if (m_queue.empty())
        return;
    m_openFailure = description;
    runQueue();
    m_openFailure.clear();
}

QString Console::txd() const
{
    return m_traffic->txd();
}

QString Console::rxd() const
{
    return m_traffic->rxd();
}

QString Console::statusLine() const
{
    return m_traffic->status();
}

bool Console::settled() const
{
    return m_queue.empty() && !m_holding && m_traffic->idle();
}

void Console::fail(quint64 intent, const QString &name, const QString &description)
{
    Outcome failed;
    failed.intent = intent;
    failed.name = name;
    failed.result = Outcome::Result::LineFailed;
    failed.failure = description;
    emit outcome(failed);
}

// The first command of `intent` goes out as `name`'s; a refusal ends the intent
// with the line's description.
bool Console::begin(quint64 intent, const QString &name, const std::function<bool()> &sendFirst)
{
    if (!m_openFailure.isEmpty()) {
        fail(intent, name, m_openFailure);
        return false;
    }
    m_traffic->setSender(intent, name);
    const bool sent = sendFirst();
    // Ticks of a hold carry their press's intent; anything else sent is nobody's.
    m_traffic->setSender(0, QString());
    if (sent)
        return true;
    fail(intent, name, m_comm.errorDescription());
    return false;
}

// As begin(), for the operator or for another program as `asked` says.
bool Console::beginFor(const std::optional<For> &asked, quint64 intent, const QString &name,
                       bool holds, const std::function<bool()> &sendFirst)
{
    if (!asked)
        return begin(intent, name, sendFirst);
    const Windows before{intent, m_timer2.interval(), m_timer4.interval()};
    const QString chosen = std::exchange(m_state.AddressPrefix, asked->address);
    const bool sent = begin(intent, name, sendFirst);
    if (sent && holds)
        m_pressAndHold->fixPrefix(asked->address);
    m_state.AddressPrefix = chosen;
    // No decoder is chosen for a reply that is not the operator's to see.
    if (asked->background)
        m_state.SendText.clear();
    if (!holds && sent) {
        m_windowsAfter = before;
        m_windowsAfter->ownWindow = m_timer2.interval();
        m_windowsAfter->ownHold = m_timer4.interval();
    }
    return sent;
}

// The reply window and display hold that a command For another set give way to
// the operator's, unless the operator has set others since.
void Console::restoreWindows(quint64 intent)
{
    if (!m_windowsAfter || m_windowsAfter->intent != intent)
        return;
    const Windows w = *std::exchange(m_windowsAfter, std::nullopt);
    if (m_timer2.interval() != w.ownWindow || m_timer4.interval() != w.ownHold)
        return;
    // What is shown stays for as long as the command's own hold said.
    m_timer2.setNextInterval(w.replyWindow);
    m_timer4.setNextInterval(w.displayHold);
}

quint64 Console::enqueue(std::function<bool(quint64)> intent)
{
    const quint64 number = ++m_intents;
    m_queue.emplace_back(number, std::move(intent));
    runQueue();
    return number;
}

// Intents wait for a port that is still opening (a connection), and when
// paced for the line to settle; a refused one ends there, the next may go.
void Console::runQueue()
{
    while (!m_queue.empty()) {
        if (m_openFailure.isEmpty() && m_comm.portOpening())
            return;
        if (m_pacing == Pacing::WhenSettled && (m_holding || !m_traffic->idle()))
            return;
        auto [number, intent] = std::move(m_queue.front());
        m_queue.pop_front();
        intent(number);
    }
    if (settled())
        emit becameSettled();
}

quint64 Console::send(const QString &id, const std::optional<For> &asked)
{
    const commands::OneShot *button = commands::findOneShot(id);
    if (!button)
        return 0;
    return enqueue([this, button, asked](quint64 intent) {
        return beginFor(asked, intent, button->name, false,
                        [&] { return m_sender->click(*button); });
    });
}

quint64 Console::sendText(const QString &typed, const std::optional<For> &asked)
{
    return enqueue([this, typed, asked](quint64 intent) {
        return beginFor(asked, intent, typed, false, [&] { return m_sender->sendManual(typed); });
    });
}

quint64 Console::press(const QString &id)
{
    const commands::Hold *button = commands::findHold(id);
    if (!button)
        return 0;
    m_waitingPresses.append(button);
    return enqueue([this, button](quint64 intent) {
        m_waitingPresses.removeOne(button);
        // The repetition is this press's now: a timed hold under way no longer ends it.
        stopHold();
        const bool sent = begin(intent, QLatin1String(button->name),
                                [&] { return m_pressAndHold->press(*button); });
        // Released while it waited for the port: a click.
        if (m_releasedWaiting.remove(button) && sent)
            m_pressAndHold->release(*button);
        return sent;
    });
}

void Console::release(const QString &id)
{
    const commands::Hold *button = commands::findHold(id);
    if (!button)
        return;
    if (m_waitingPresses.contains(button))
        m_releasedWaiting.insert(button);
    else
        m_pressAndHold->release(*button);
}

quint64 Console::hold(const QString &id, int ms, const std::optional<For> &asked)
{
    const commands::Hold *button = commands::findHold(id);
    if (!button)
        return 0;
    return enqueue([this, button, ms, asked](quint64 intent) {
        stopHold();
        m_holding = button;
        m_holdIntent = intent;
        if (!beginFor(asked, intent, QLatin1String(button->name), true,
                      [&] { return m_pressAndHold->press(*button); })) {
            m_holding = nullptr;
            m_pressAndHold->release(*button);
            emit holdEnded(intent);
            return false;
        }
        m_holdTimer.start(ms);
        return true;
    });
}

// A hold under way stops repeating by its time: its repetition is taken over.
void Console::stopHold()
{
    m_holdTimer.stop();
    if (std::exchange(m_holding, nullptr))
        emit holdEnded(m_holdIntent);
}

void Console::endHold(quint64 intent)
{
    if (m_holding && m_holdIntent == intent)
        m_holdTimer.start(0);
}
