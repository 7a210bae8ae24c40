#include "session.h"

#include "core/console.h"
#include "core/traffic.h"
#include "link/trace.h"
#include "status/decoders.h"

namespace {
const QString kSilence = QStringLiteral(" X X X X");
}

Session::Session(Console &console, QObject *parent) : QObject(parent), m_console(console)
{
    m_release.setSingleShot(true);
    m_release.setTimerType(Qt::PreciseTimer);
    m_lateWait.setSingleShot(true);
    Traffic &traffic = m_console.traffic();
    connect(&traffic, &Traffic::transmitted, this, [this](const QString &text) {
        m_sinceSent.start();
        m_outcome.sent = trace(text);
        m_outcome.received.clear();
    });
    // A release blanks the RXD line; what it showed last is reported.
    connect(&traffic, &Traffic::rxdChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            m_outcome.received = text;
    });
    connect(&traffic, &Traffic::refused, this, [this](const QString &description) {
        m_outcome.lineFailed = true;
        m_outcome.failure = description;
    });
    connect(&traffic, &Traffic::received, this, [this] {
        if (m_released && m_console.traffic().replies().latestAnswered())
            finish();
    });
    connect(&traffic, &Traffic::replyWindowEnded, this, [this] {
        if (m_released && !m_lateWait.isActive())
            finish();
    });
    connect(&m_release, &QTimer::timeout, this, [this] {
        m_console.release(*m_held);
        m_released = true;
        waitForLateReply();
    });
    connect(&m_lateWait, &QTimer::timeout, this, &Session::finish);
    connect(&m_console.comm(), &MSComm::lineLost, this, [this](const QString &description) {
        m_outcome.lineFailed = true;
        m_outcome.failure = description;
        finish();
    });
}

bool Session::allAddressed() const
{
    return m_console.state().AddressPrefix == QLatin1String("AFFF");
}

Outcome Session::run(const Job &job)
{
    m_outcome = Outcome();
    m_outcome.command = job.command;
    m_clock.start();
    start(job);
    if (!m_outcome.lineFailed)
        m_loop.exec();
    m_outcome.milliseconds = m_clock.elapsed();
    m_release.stop();
    m_lateWait.stop();
    if (m_held && !m_released)
        m_console.release(*m_held);
    m_held = nullptr;
    m_released = true;
    conclude();
    return m_outcome;
}

// The lines as the window shows them now; the STATUS line only as decoded
// from the reply to this command, never left over from an earlier one.
void Session::conclude()
{
    const Traffic &traffic = m_console.traffic();
    const ReplyMatcher &replies = traffic.replies();
    if (!traffic.rxd().isEmpty())
        m_outcome.received = traffic.rxd();
    if (m_outcome.lineFailed)
        return;
    if (allAddressed()) {
        m_outcome.answered = true;
        return;
    }
    if (!replies.latestAnswered()) {
        if (m_outcome.received.isEmpty())
            m_outcome.received = kSilence;
        return;
    }
    // The reply itself, without what an earlier reply left on the RXD line.
    m_outcome.received = trace(replies.latestReply());
    m_outcome.answered = replies.latestReply() != QLatin1String("?\r");
    const WindowState &state = m_console.state();
    m_outcome.status
        = status::decode(trace(replies.latestReply()), state.SendText, state.AddressPrefix)
              .value_or(QString());
}

void Session::start(const Job &job)
{
    if (job.hold) {
        m_held = job.hold;
        m_released = false;
        m_console.press(*job.hold);
        if (!m_outcome.lineFailed)
            m_release.start(job.holdMs);
    } else if (job.oneShot) {
        m_console.click(*job.oneShot);
    } else {
        m_console.sendManual(job.manual);
    }
}

// A released button's reply window has ended with the release; its latest
// command is still owed a reply for the time the projector takes to answer.
void Session::waitForLateReply()
{
    const ReplyMatcher &replies = m_console.traffic().replies();
    if (allAddressed() || replies.latestAnswered() || !replies.latestOwed()) {
        finish();
        return;
    }
    m_lateWait.start(
        int(std::max<qint64>(0, ReplyMatcher::kShortestOwedMs - m_sinceSent.elapsed())));
}

void Session::finish()
{
    m_loop.quit();
}

void Session::drain()
{
    QElapsedTimer clock;
    clock.start();
    while (m_console.comm().portOpen() && m_console.comm().outBufferCount() > 0
           && clock.elapsed() < 5000) {
        QEventLoop pause;
        QTimer::singleShot(5, &pause, &QEventLoop::quit);
        pause.exec();
    }
}
