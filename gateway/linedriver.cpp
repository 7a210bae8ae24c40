// SPDX-License-Identifier: GPL-3.0-or-later
#include "linedriver.h"

#include "core/console.h"
#include "core/lineservice.h"

namespace gateway {

namespace {

QString prefixOf(int address)
{
    return address == 0 ? QString() : QStringLiteral("A%1").arg(address, 3, 10, QLatin1Char('0'));
}

} // namespace

LineDriver::LineDriver(LineEntry entry, MSComm::LineFactory lines, QObject *parent)
    : QObject(parent), m_entry(std::move(entry)),
      m_console(std::make_unique<Console>(std::move(lines)))
{
    // Each command goes out once the line has settled, so a late reply is
    // never taken for the next command's.
    m_console->setPacing(Console::Pacing::WhenSettled);
    m_console->setLostAdvice(QStringLiteral("The gateway opens it again by itself."));
    connect(m_console.get(), &Console::outcome, this, &LineDriver::ended);
    connect(m_console.get(), &Console::lineLost, this, [this](const QString &description) {
        emit problem(QStringLiteral("%1: %2").arg(m_entry.name, description));
    });
    connect(m_console.get(), &Console::warning, this, [this](const QString &description) {
        emit problem(QStringLiteral("%1: %2").arg(m_entry.name, description));
    });
    m_service = std::make_unique<LineService>(*m_console,
                                              [device = m_entry.device](int) { return device; });
    connect(m_service.get(), &LineService::problem, this, [this](const QString &description) {
        emit problem(QStringLiteral("%1: %2").arg(m_entry.name, description));
    });
    // The programs the line is served to take their turn first whenever the
    // line settles; the clients' requests follow.
    connect(m_console.get(), &Console::becameSettled, this, [this] {
        if (!m_current && !m_queue.empty())
            QMetaObject::invokeMethod(this, &LineDriver::next, Qt::QueuedConnection);
    });
    m_sweep.setInterval(250);
    connect(&m_sweep, &QTimer::timeout, this, &LineDriver::sweep);
    m_sweep.start();
    m_reopen.setInterval(kReopenMs);
    connect(&m_reopen, &QTimer::timeout, this, [this] {
        if (m_console->port().portOpen() || m_console->port().portOpening())
            return;
        if (m_console->reopen() && m_console->chooseSpeed(m_entry.settings)) {
            emit problem(QStringLiteral("%1: open again").arg(m_entry.name));
            m_service->refresh();
        }
    });
}

LineDriver::~LineDriver()
{
    m_service.reset();
    m_console->end();
}

bool LineDriver::open(QString *error)
{
    const bool opened = (m_loaded ? m_console->reopen() : m_console->Form_Load())
                        && m_console->chooseSpeed(m_entry.settings);
    m_loaded = true;
    m_reopen.start();
    if (!opened && error)
        *error = m_console->port().errorDescription();
    m_service->refresh();
    return opened;
}

void LineDriver::submit(int address, const QStringList &buttons, QObject *context, Done done)
{
    Job job{address, buttons, context, std::move(done), {}, {}};
    if (m_queue.size() >= kQueueLimit) {
        job.result.busy = true;
        job.done(job.result);
        return;
    }
    job.waiting.start();
    m_queue.push_back(std::move(job));
    if (!m_current && m_console->settled())
        next();
}

void LineDriver::next()
{
    while (!m_current && !m_queue.empty()) {
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        if (!job.context)
            continue;
        if (job.waiting.hasExpired(kPatienceMs)) {
            job.result.busy = true;
            job.done(job.result);
            continue;
        }
        m_current = std::move(job);
        sendStep();
    }
}

void LineDriver::sendStep()
{
    const QString &button = m_current->buttons.at(m_current->result.outcomes.size());
    m_console->chooseAddress(prefixOf(m_current->address));
    // The outcome may come before send() returns.
    m_intent = m_console->nextIntent();
    if (m_console->send(button) == 0) {
        m_intent = 0;
        Outcome failed;
        failed.name = button;
        failed.result = Outcome::Result::LineFailed;
        failed.failure = QStringLiteral("no such command");
        m_current->result.outcomes << failed;
        finish();
    }
}

void LineDriver::ended(const Outcome &outcome)
{
    if (!m_current || m_intent == 0 || outcome.intent != m_intent)
        return;
    m_intent = 0;
    m_current->result.outcomes << outcome;
    if (outcome.result == Outcome::Result::Answered
        && m_current->result.outcomes.size() < m_current->buttons.size()) {
        // The next command once this call has returned: the console is still
        // telling of this one.
        QTimer::singleShot(0, this, [this] {
            if (m_current)
                sendStep();
        });
        return;
    }
    QTimer::singleShot(0, this, &LineDriver::finish);
}

void LineDriver::finish()
{
    Job job = std::move(*m_current);
    m_current.reset();
    if (job.context && !job.told)
        job.done(job.result);
    if (m_console->settled())
        QMetaObject::invokeMethod(this, &LineDriver::next, Qt::QueuedConnection);
}

} // namespace gateway

namespace gateway {

// No client waits beyond its patience: a request still waiting, or whose
// commands have not ended, is answered busy; the commands of one under way
// still end on the line, and their outcome is no one's answer then.
void LineDriver::sweep()
{
    for (auto job = m_queue.begin(); job != m_queue.end();) {
        if (!job->waiting.hasExpired(kAnswerMs)) {
            ++job;
            continue;
        }
        Job expired = std::move(*job);
        job = m_queue.erase(job);
        expired.result.busy = true;
        if (expired.context)
            expired.done(expired.result);
    }
    if (m_current && !m_current->told && m_current->waiting.hasExpired(kAnswerMs)) {
        m_current->told = true;
        JobResult busy;
        busy.busy = true;
        if (m_current->context)
            m_current->done(busy);
    }
}

} // namespace gateway
