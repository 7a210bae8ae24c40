// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// From exec to the first frame of the console window on screen, in phases,
// and its resident memory then, against a bare Qt Widgets window of the same
// size; the two start alternately as fresh processes: bench-startup-console
// (the console's start-up as app/main.cpp runs it) and bench-startup-bare.
//
//   bench-startup [RUNS]        (default 15; DISPLAY set: that X server,
//                                otherwise an Xvfb of our own, or offscreen)

namespace {

// The marks each child prints.
enum Mark { Main, QtStarted, Fonts, Layout, Serial, Painted, Marks };

constexpr const char *kPhaseNames[Marks]
    = {"exec to main", "Qt start", "fonts", "building the layout", "serial line opening",
       "first paint"};

struct Run
{
    double phases[Marks]; // each phase's own time
    double total;
    double rssMb;
};

std::optional<Run> startOne(const QString &kind, const QString &device)
{
    static const QTemporaryDir runtimeDir; // private to the user, as the session's would be
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("XDG_RUNTIME_DIR")))
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
    child.setProcessEnvironment(environment);
    const QString program = QDir(QCoreApplication::applicationDirPath())
                                .filePath(QStringLiteral("bench-startup-") + kind);
    const double startedAt = monotonicMs();
    child.start(program, {device});
    if (!child.waitForFinished(30000) || child.exitCode() != 0) {
        std::fprintf(stderr, "bench-startup: %s: %s\n", qPrintable(program),
                     qPrintable(child.errorString()));
        return std::nullopt;
    }
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != Marks + 3 || fields.at(0) != "marks")
        return std::nullopt;
    Run run{};
    double previous = startedAt;
    for (int i = 0; i < Marks; ++i) {
        const double at = fields.at(i + 1).toDouble();
        run.phases[i] = at - previous;
        previous = at;
    }
    run.total = previous - startedAt;
    run.rssMb = fields.at(Marks + 2).toDouble() / 1024.0;
    return run;
}

void printRow(const char *label, const QList<double> &ours, const QList<double> &bare)
{
    const double o = quantile(ours, 0.5);
    const double b = quantile(bare, 0.5);
    std::printf("%-22s %8.2f %7.2f-%-7.2f %8.2f %7.2f-%-7.2f %6s\n", label, o, quantile(ours, 0),
                worst(ours), b, quantile(bare, 0), worst(bare),
                b > 0.05 ? qPrintable(QString::number(o / b, 'f', 2)) : "");
}

// An X server of our own when there is none and Xvfb is installed: the first
// free display from :90 on, ready when its socket is.
bool startXvfb(QProcess &server)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return false;
    int display = 90;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display))
           || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
        ++display;
    server.setProcessChannelMode(QProcess::ForwardedChannels);
    server.start(xvfb, {QStringLiteral(":%1").arg(display), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(display);
    server.waitForStarted();
    for (int i = 0; i < 500 && server.state() == QProcess::Running; ++i) {
        if (QFile::exists(socket)) {
            qputenv("DISPLAY", QStringLiteral(":%1").arg(display).toLatin1());
            qputenv("QT_QPA_PLATFORM", "xcb");
            return true;
        }
        server.waitForFinished(10);
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    QProcess xvfb;
    QString platform = QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM"));
    if (platform.isEmpty()) {
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            platform = QStringLiteral("xcb");
        else if (startXvfb(xvfb))
            platform = QStringLiteral("xcb (Xvfb %1)").arg(qEnvironmentVariable("DISPLAY"));
        else
            qputenv("QT_QPA_PLATFORM", (platform = QStringLiteral("offscreen")).toLatin1());
    }

    // Port 1 is a pseudo-terminal whose far end stays open, as a cable would.
    int master = -1;
    int slaveFd = -1;
    char name[256] = {};
    if (::openpty(&master, &slaveFd, name, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "bench-startup: no pseudo-terminal\n");
        return 1;
    }
    termios raw{};
    ::tcgetattr(slaveFd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slaveFd, TCSANOW, &raw);
    ::close(slaveFd);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    const QString slave = QString::fromLocal8Bit(name);

    QList<Run> ours, bare;
    for (int i = 0; i < runs; ++i) {
        // Alternating which starts first, so that neither always follows the other.
        for (int k = 0; k < 2; ++k) {
            const bool console = (i + k) % 2 == 0;
            const std::optional<Run> run
                = startOne(console ? QStringLiteral("console") : QStringLiteral("bare"), slave);
            if (!run) {
                std::fprintf(stderr, "bench-startup: a %s start failed\n",
                             console ? "console" : "bare window");
                return 1;
            }
            (console ? ours : bare) << *run;
            char drain[256];
            while (::read(master, drain, sizeof drain) > 0) {
            }
        }
    }
    ::close(master);
    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }

    double load[3] = {};
    getloadavg(load, 3);
    std::printf("Start-up, %d runs each alternating, platform %s, load average %.2f %.2f %.2f.\n"
                "Milliseconds (resident memory in MB): median, min-max.\n\n",
                runs, qPrintable(platform), load[0], load[1], load[2]);
    std::printf("%-22s %8s %-15s %8s %-15s %6s\n", "", "console", "", "bare", "", "ratio");
    const auto column = [](const QList<Run> &runs, auto field) {
        QList<double> values;
        for (const Run &run : runs)
            values << field(run);
        return values;
    };
    for (int p = 0; p < Marks; ++p) {
        const auto phase = [p](const Run &run) { return run.phases[p]; };
        printRow(kPhaseNames[p], column(ours, phase), column(bare, phase));
    }
    const auto total = [](const Run &run) { return run.total; };
    const auto rss = [](const Run &run) { return run.rssMb; };
    printRow("exec to first frame", column(ours, total), column(bare, total));
    printRow("resident memory (MB)", column(ours, rss), column(bare, rss));
    return 0;
}
