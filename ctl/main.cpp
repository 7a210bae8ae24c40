// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/console.h"
#include "core/endsignals.h"
#include "core/trafficlog.h"
#include "link/localendpoint.h"
#include "options.h"
#include "remotesession.h"
#include "report.h"
#include "session.h"
#include "sim/anyline.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <functional>

// projector-ctl: the console's commands from the command line, on the same
// core as the window and without a display.
namespace {

// A log that cannot be written is the same failure as one that cannot be opened.
enum Exit { Answered = 0, NotAnswered = 1, Usage = 2, LogFailed = 2, LineFailed = 3 };

void tell(const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("projector-ctl: %1\n").arg(message)), stderr);
}

// Runs every job, printing each outcome; the exit status of them all.
int runJobs(const QList<Job> &jobs, bool json,
            const std::function<RemoteSession::Result(const Job &)> &run)
{
    int exit = Answered;
    for (const Job &job : jobs) {
        const RemoteSession::Result result = run(job);
        const Outcome &outcome = result.outcome;
        report::printOutcome(outcome, json, result.value);
        if (outcome.result == Outcome::Result::LineFailed) {
            tell(outcome.failure);
            return LineFailed;
        }
        if (!outcome.answered())
            exit = NotAnswered;
    }
    return exit;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("projector-ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CONSOLE_RELEASE));

    const std::optional<CtlOptions> options = parseOptions();
    if (!options)
        return Usage;
    if (options->list) {
        report::printList();
        return Answered;
    }
    TrafficLog log(options->log);
    if (!options->log.isEmpty() && !log.open()) {
        tell(log.errorString());
        return Usage;
    }

    const QString device = options->line;
    // A console that holds the line serves it; it sends the commands then.
    LocalChannel::Reached served = LocalChannel::reach(device);
    if (served.reach == LocalChannel::Reach::Served) {
        RemoteSession remote(std::move(served.channel), device, options->settings,
                             options->addressPrefix);
        if (!options->log.isEmpty())
            remote.follow(log);
        return runJobs(options->jobs, options->json,
                       [&remote](const Job &job) { return remote.run(job); });
    }
    if (served.reach == LocalChannel::Reach::Denied || served.reach == LocalChannel::Reach::Busy) {
        tell(served.message);
        return LineFailed;
    }
    // An endpoint kept by a program that may not use the line is no console's:
    // the line is opened here, as when nothing serves it.
    if (served.reach == LocalChannel::Reach::Untrusted)
        tell(served.message);

    Console console([device](int port) { return port == 1 ? makeLine(device) : nullptr; });
    // A signal ends the program at once, wherever it waits: the line is closed
    // (its lock with it), and what was interrupted is told.
    QString doing = QStringLiteral("while opening %1").arg(device);
    const EndSignals endSignals(
        [&console, &log, &doing](int signal) {
            console.end();
            log.flush();
            tell(QStringLiteral("interrupted by %1 %2").arg(EndSignals::name(signal), doing));
            std::fflush(stdout);
            std::_Exit(EndSignals::exitStatus(signal));
        },
        true);
    console.setLostAdvice(QStringLiteral("Run the command again when it is back."));
    QObject::connect(&console, &Console::lineWarning, &app, &tell);
    if (!options->log.isEmpty()) {
        log.follow(console);
        // Told at once; the commands go on, and the exit status says it.
        QObject::connect(&log, &TrafficLog::failed, &app, &tell);
    }
    if (!console.Form_Load() || !console.chooseSpeed(options->settings)) {
        tell(console.port().errorDescription());
        return LineFailed;
    }
    console.chooseAddress(options->addressPrefix);

    Session session(console);
    int exit = runJobs(options->jobs, options->json, [&session, &doing](const Job &job) {
        doing = QStringLiteral("while sending \"%1\"").arg(job.command);
        return RemoteSession::Result{session.run(job), {}};
    });
    doing = QStringLiteral("while the last command left for the line");
    session.drain();
    console.end();
    log.flush();
    if (log.failedOnce() && exit != LineFailed)
        exit = LogFailed;
    return exit;
}
