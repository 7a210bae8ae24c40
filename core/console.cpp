#include "console.h"

#include "pressandhold.h"
#include "senders.h"
#include "traffic.h"

Console::Console(MSComm::LineFactory lines, QObject *parent)
    : QObject(parent), m_comm(std::move(lines))
{
    m_comm.setObjectName(QStringLiteral("MSComm1"));
    // Precise timers: the coarse default drifts a 500 ms interval by 5 %.
    const int intervals[] = {200, 500, 5000, 1000};
    for (int n = 1; n <= 4; ++n) {
        QTimer &t = timer(n);
        t.setObjectName(QStringLiteral("Timer%1").arg(n));
        t.setTimerType(Qt::PreciseTimer);
        t.setInterval(intervals[n - 1]);
    }
    m_traffic = std::make_unique<Traffic>(m_state, m_comm, m_timer2, m_timer4);
    const SenderTimers timers{m_timer1, m_timer2, m_timer4};
    m_sender = std::make_unique<CommandSender>(m_state, *m_traffic, timers);
    m_pressAndHold = std::make_unique<PressAndHold>(m_state, *m_traffic, m_comm, timers);
    connect(&m_timer1, &QTimer::timeout, this, [this] { m_pressAndHold->Timer1_Timer(); });
}

Console::~Console() = default;

QTimer &Console::timer(int n)
{
    QTimer *timers[] = {&m_timer1, &m_timer2, &m_timer3, &m_timer4};
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
    if (m_comm.portOpen())
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

bool Console::click(const commands::OneShot &button)
{
    return m_sender->click(button);
}

bool Console::sendManual(const QString &typed)
{
    return m_sender->sendManual(typed);
}

void Console::press(const commands::Hold &button)
{
    m_pressAndHold->press(button);
}

void Console::release(const commands::Hold &button)
{
    m_pressAndHold->release(button);
}

void Console::end()
{
    m_comm.setPortOpen(false);
}
