// SPDX-License-Identifier: GPL-3.0-or-later
// What serving the line costs a client: STATUS round trips through a running
// console (projector-console on one pseudo-terminal) against the same command
// on a line of its own (the core on another), both far ends answering at once.
#include "core/console.h"
#include "ctl/commandnames.h"
#include "ctl/remotesession.h"
#include "link/lineforms.h"
#include "link/localendpoint.h"
#include "stats.h"
#include "tests/support/answeringfarend.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

template<typename Run>
QList<double> measure(int rounds, const Run &run)
{
    QList<double> ms;
    QElapsedTimer clock;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        if (!run())
            qFatal("round %d was not answered", i);
        ms << clock.nsecsElapsed() / 1e6;
    }
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 500;
    const ctlnames::Command status = ctlnames::find(QStringLiteral("STATUS"));
    const Job job{status.name, status.oneShot, nullptr, 0, {}};

    QTemporaryDir runtime;
    qputenv("PROJECTOR_CONSOLE_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    AnsweringFarEnd served, own;
    QProcess console;
    console.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    console.setProgram(QStringLiteral(PROJECTOR_CONSOLE_PATH));
    console.setArguments({QStringLiteral("--com1"), served.slavePath(), QStringLiteral("-platform"),
                          QStringLiteral("offscreen")});
    console.start();
    std::unique_ptr<LocalChannel> channel;
    for (int i = 0; i < 100 && !channel; ++i) {
        QTest::qWait(50);
        channel = LocalChannel::reach(served.slavePath()).channel;
    }
    if (!channel)
        qFatal("the console does not serve %s", qPrintable(served.slavePath()));
    RemoteSession remote(std::move(channel), served.slavePath(), QStringLiteral("19200,N,8,1"), {});
    const QList<double> through = measure(
        rounds, [&] { return remote.run(job).outcome.result == Outcome::Result::Answered; });

    Console direct(
        [&own](int port) { return port == 1 ? makeDeviceLine(own.slavePath()) : nullptr; });
    if (!direct.Form_Load())
        qFatal("cannot open %s", qPrintable(own.slavePath()));
    Session session(direct);
    const QList<double> alone
        = measure(rounds, [&] { return session.run(job).result == Outcome::Result::Answered; });
    direct.end();
    console.terminate();
    console.waitForFinished();

    struct Figures
    {
        double median, p99;
    };
    const Figures a{quantile(alone, 0.5), quantile(alone, 0.99)};
    const Figures t{quantile(through, 0.5), quantile(through, 0.99)};
    std::printf("STATUS round trip, %d rounds each, ms\n", rounds);
    std::printf("  line of its own:     median %.3f  p99 %.3f\n", a.median, a.p99);
    std::printf("  through the console: median %.3f  p99 %.3f\n", t.median, t.p99);
    std::printf("  added:               median %.3f  p99 %.3f\n", t.median - a.median,
                t.p99 - a.p99);
    return 0;
}
