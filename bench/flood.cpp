// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/largebuffers.h"
#include "app/mainwindow.h"
#include "core/trafficlog.h"
#include "link/lineforms.h"
#include "support.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

#include <sys/resource.h>

// The real window on a tcp:// line whose server streams without pause, as
// fast as TCP allows, with the traffic log on: the window's CPU and memory
// before, during and after the flood, how a held VOL + keeps its rate in the
// middle of it, and how much the log grew. The server is a child process on
// 127.0.0.1 (Python); it counts the commands that reach it.
//
//   bench-flood [SECONDS]     (default 20; the issue's figures are for 60)

namespace {

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double rssMb()
{
    return residentKb() / 1024.0;
}

// Streams for the given seconds to the latest connection as fast as TCP
// allows, then closes; prints its port first and at the end the command texts
// (carriage returns) it received.
const char *const kServer = R"(
import select, socket, sys, time
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(4)
print(listener.getsockname()[1], flush=True)
chunk = (b"0123456789ABCDEF" * 4096)[:-1] + b"\r"
client, commands, end = None, 0, None
while end is None or time.monotonic() < end:
    watched = [listener] + ([client] if client else [])
    readable, writable, _ = select.select(watched, watched[1:], [], 0.1)
    if listener in readable:  # the console's latest connection is served
        if client:
            client.close()
        client, _ = listener.accept()
        client.setblocking(False)
        end = end or time.monotonic() + float(sys.argv[1])
        continue
    if client in readable:
        data = client.recv(4096)
        if not data:
            client.close()
            client = None
            continue
        commands += data.count(b"\r")
    if client in writable:
        try:
            client.send(chunk)
        except (BlockingIOError, ConnectionError):
            pass
if client:
    client.close()
print(commands, flush=True)
)";

struct Sample
{
    double cpu;
    double wall;
    double rss;
};

Sample sample(const QElapsedTimer &clock)
{
    return {cpuSeconds(), clock.nsecsElapsed() / 1e9, rssMb()};
}

double load(const Sample &a, const Sample &b)
{
    return (b.cpu - a.cpu) / (b.wall - a.wall);
}

} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? std::max(6, std::atoi(argv[1])) : 20;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    returnLargeBuffersToSystem(); // as the program does
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("traffic.log"));
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"), QLatin1String(kServer), QString::number(seconds)});
    if (!server.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench-flood: no loopback server\n");
        return 1;
    }
    const QString device
        = QStringLiteral("tcp://127.0.0.1:%1").arg(server.readLine().trimmed().toInt());
    MainWindow window([device](int port) -> std::unique_ptr<CommLine> {
        return port == 1 ? makeDeviceLine(device) : nullptr;
    });
    window.setWarningBox(
        [](const QString &text) { std::fprintf(stderr, "bench-flood: %s\n", qPrintable(text)); });
    TrafficLog log(logPath);
    if (!log.open())
        return 1;
    log.follow(window.console());
    window.show();
    QElapsedTimer clock;
    clock.start();
    waitMs(3000);
    const Sample idle0 = sample(clock);
    waitMs(3000);
    const Sample idle = sample(clock);

    window.Form_Load();
    for (int waited = 0; !window.console().port().portOpen() && waited < 5000; waited += 10)
        waitMs(10); // a connection opens in the background
    if (!window.console().port().portOpen())
        return 1;
    const Sample flood0 = sample(clock);
    double peak = flood0.rss;
    const auto watch = [&peak](int ms) {
        for (int t = 0; t < ms; t += 250) {
            waitMs(250);
            peak = std::max(peak, rssMb());
        }
    };
    watch(seconds * 500 - 1500);
    QWidget *volPlus = window.control(QStringLiteral("Command1"));
    mouse(volPlus, QEvent::MouseButtonPress);
    watch(3000);
    mouse(volPlus, QEvent::MouseButtonRelease);
    const qint64 ticksMs = 3000;
    while (server.state() == QProcess::Running)
        watch(250);
    const Sample flood1 = sample(clock);
    const long commands = server.readAll().trimmed().toLong();
    waitMs(3000);
    const Sample after = sample(clock);

    std::printf("Flood of %d s on %s (offscreen window, traffic log on)\n", seconds,
                qPrintable(device));
    std::printf("  idle      CPU %5.1f %% of a core   RSS %7.1f MB\n", 100 * load(idle0, idle),
                idle.rss);
    std::printf("  flood     CPU %5.1f %% of a core   RSS peak %7.1f MB (+%.1f MB over idle)\n",
                100 * load(flood0, flood1), peak, peak - idle.rss);
    std::printf("  after     CPU %5.1f %% of a core   RSS %7.1f MB (+%.1f MB over idle)\n",
                100 * load(flood1, after), after.rss, after.rss - idle.rss);
    std::printf("  VOL + held %lld ms in the flood: %ld commands reached the server "
                "(nominal 250 ms: %lld)\n",
                ticksMs, commands, ticksMs / 250 + 1);
    std::printf("  traffic log: %lld bytes\n", qlonglong(QFileInfo(logPath).size()));
    if (qEnvironmentVariableIsSet("BENCH_SHOW_LOG")) {
        QFile shown(logPath);
        shown.open(QIODevice::ReadOnly);
        std::fputs(shown.readAll().left(4000).constData(), stdout);
    }
    return 0;
}
