#include "core/console.h"
#include "core/trafficlog.h"
#include "options.h"
#include "report.h"
#include "session.h"
#include "sim/anyline.h"

#include <QCoreApplication>
#include <cstdio>

// projector-ctl: the console's commands from the command line, on the same
// core as the window and without a display.
namespace {

enum Exit { Answered = 0, NotAnswered = 1, Usage = 2, LineFailed = 3 };

void tell(const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("projector-ctl: %1\n").arg(message)), stderr);
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
    Console console([device](int port) { return port == 1 ? makeLine(device) : nullptr; });
    if (!options->log.isEmpty())
        log.follow(console);
    if (!console.Form_Load() || !console.chooseSpeed(options->settings)) {
        tell(console.port().errorDescription());
        return LineFailed;
    }
    console.setAddressPrefix(options->addressPrefix);

    Session session(console);
    int exit = Answered;
    for (const Job &job : options->jobs) {
        const Outcome outcome = session.run(job);
        report::printOutcome(outcome, options->json);
        if (outcome.result == Outcome::Result::LineFailed) {
            tell(outcome.failure);
            exit = LineFailed;
            break;
        }
        if (!outcome.answered())
            exit = NotAnswered;
    }
    session.drain();
    console.end();
    return exit;
}
