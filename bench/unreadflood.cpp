// SPDX-License-Identifier: GPL-3.0-or-later
// What a client that sends and never reads costs a console serving its line:
// projector-console on a pseudo-terminal, one client (Python, a process of its
// own) sending requests as fast as it can without reading a reply, and
// reconnecting whenever the console drops it, until it has sent them all;
// meanwhile a well-behaved client's STATUS round trips. Prints the console's
// resident memory before and at its peak, and the round trips' median and p99.
//
//   bench-unreadflood [REQUESTS]     (default 1000000)
#include "core/lineclient.h"
#include "link/localendpoint.h"
#include "stats.h"
#include "tests/support/answeringfarend.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

const char *const kFlood = R"(
import json, socket, sys
path, total, sent = sys.argv[1], int(sys.argv[2]), 0
while sent < total:
    s = socket.socket(socket.AF_UNIX)
    s.connect(path)
    try:
        while sent < total:
            batch = b"".join(json.dumps({"v": 1, "id": sent + i + 1, "command": "Command44"})
                             .encode() + b"\n" for i in range(100))
            s.sendall(batch)
            sent += 100
    except OSError:
        pass
    s.close()
print(sent, flush=True)
)";

double rssMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int requests = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    QTemporaryDir runtime;
    qputenv("PROJECTOR_CONSOLE_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    AnsweringFarEnd served;
    QProcess console;
    console.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    console.start(QStringLiteral(PROJECTOR_CONSOLE_PATH),
                  {QStringLiteral("--com1"), served.slavePath(), QStringLiteral("-platform"),
                   QStringLiteral("offscreen")});
    LocalChannel::Reached reached;
    for (int i = 0; i < 100 && reached.reach != LocalChannel::Reach::Served; ++i) {
        QTest::qWait(50);
        reached = LocalChannel::reach(served.slavePath());
    }
    if (reached.reach != LocalChannel::Reach::Served)
        qFatal("the console does not serve %s", qPrintable(served.slavePath()));
    QTest::qWait(500);
    const double before = rssMb(console.processId());

    LineClient client(std::move(reached.channel), served.slavePath(), {});
    QEventLoop loop;
    quint64 awaited = 0;
    QObject::connect(&client, &LineClient::outcome, &loop, [&](const Outcome &outcome) {
        if (outcome.intent != awaited)
            return;
        if (outcome.result != Outcome::Result::Answered)
            qFatal("STATUS: %s", qPrintable(outcome.failure));
        loop.quit();
    });

    QProcess flood;
    flood.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    flood.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"), QLatin1String(kFlood), endpointPath(served.slavePath()),
                 QString::number(requests)});
    QList<double> ms;
    double peak = before;
    QElapsedTimer clock;
    while (flood.state() != QProcess::NotRunning) {
        clock.start();
        awaited = client.send(QStringLiteral("Command44"), {});
        loop.exec();
        ms << clock.nsecsElapsed() / 1e6;
        if (ms.size() % 20 == 0)
            peak = std::max(peak, rssMb(console.processId()));
    }
    peak = std::max(peak, rssMb(console.processId()));
    const QByteArray sent = flood.readAllStandardOutput().trimmed();
    console.terminate();
    console.waitForFinished();

    std::printf("a client sending %s requests without reading\n", sent.constData());
    std::printf("  console memory: %.1f MB before, %.1f MB at most meanwhile (+%.1f MB)\n", before,
                peak, peak - before);
    std::printf("  another client's STATUS meanwhile, %lld round trips: median %.3f ms, p99 "
                "%.3f ms\n",
                static_cast<long long>(ms.size()), quantile(ms, 0.5), quantile(ms, 0.99));
    return 0;
}
