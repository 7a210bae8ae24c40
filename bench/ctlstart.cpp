// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue.h"
#include "core/console.h"
#include "sim/anyline.h"
#include "stats.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <cstdio>

// From start to exit of `projector-ctl --line sim STATUS`, against the floor:
// the simulated projector's own reply time (from the command leaving for the
// line to the whole reply read back, in this process) plus a bare Qt Core
// program that opens and closes a pseudo-terminal. The programs start
// alternately.
//
//   bench-ctlstart [RUNS]        (default 15)

namespace {

double runMs(const QString &program, const QStringList &arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double startedAt = monotonicMs();
    child.start(program, arguments);
    if (!child.waitForFinished(30000) || child.exitStatus() != QProcess::NormalExit
        || child.exitCode() != 0) {
        std::fprintf(stderr, "bench-ctlstart: %s failed\n", qPrintable(program));
        return -1;
    }
    return monotonicMs() - startedAt;
}

// One STATUS on the simulated line: from its bytes leaving to its reply read.
double replyMs()
{
    Console console([](int port) { return port == 1 ? makeLine(QStringLiteral("sim")) : nullptr; });
    if (!console.Form_Load())
        return -1;
    double sentAt = -1;
    double answeredAt = -1;
    QEventLoop loop;
    QObject::connect(&console, &Console::transmitted, &loop, [&sentAt] { sentAt = monotonicMs(); });
    QObject::connect(&console, &Console::outcome, &loop, [&](const Outcome &outcome) {
        if (outcome.result == Outcome::Result::Answered)
            answeredAt = monotonicMs();
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    console.send(QStringLiteral("Command44"));
    loop.exec();
    console.end();
    return sentAt < 0 || answeredAt < 0 ? -1 : answeredAt - sentAt;
}

void printRow(const char *label, const QList<double> &values)
{
    std::printf("%-36s %8.2f %8.2f-%-8.2f\n", label, quantile(values, 0.5), quantile(values, 0),
                worst(values));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const QDir here(QCoreApplication::applicationDirPath());
    const QString ctl = here.filePath(QStringLiteral("../projector-ctl"));
    const QString bare = here.filePath(QStringLiteral("bench-ctlstart-bare"));

    QList<double> ours, floor, replies, programs;
    for (int i = 0; i < runs; ++i) {
        const double reply = replyMs();
        double ctlMs = -1, bareMs = -1;
        // Alternating which starts first.
        for (int k = 0; k < 2; ++k) {
            if ((i + k) % 2 == 0)
                ctlMs = runMs(ctl, {QStringLiteral("--line"), QStringLiteral("sim"),
                                    QStringLiteral("STATUS")});
            else
                bareMs = runMs(bare, {});
        }
        if (reply < 0 || ctlMs < 0 || bareMs < 0)
            return 1;
        ours << ctlMs;
        replies << reply;
        programs << bareMs;
        floor << reply + bareMs;
    }

    double load[3] = {};
    getloadavg(load, 3);
    std::printf("projector-ctl --line sim STATUS, start to exit, %d runs each alternating,\n"
                "load average %.2f %.2f %.2f. Milliseconds: median, min-max.\n\n",
                runs, load[0], load[1], load[2]);
    printRow("projector-ctl", ours);
    printRow("simulated projector's reply", replies);
    printRow("bare Qt Core program with a pty", programs);
    printRow("floor (reply + bare program)", floor);
    std::printf("%-36s %8.2f\n", "ratio of the medians",
                quantile(ours, 0.5) / quantile(floor, 0.5));
    return 0;
}
