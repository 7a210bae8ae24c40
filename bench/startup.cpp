// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats.h"
#include "tests/support/ptypair.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>
#include <vector>

#include <unistd.h>

// From exec to the first frame of the console window on screen, in phases,
// and its resident memory then, against a bare Qt Widgets window of the same
// size; they start in turn as fresh processes: bench-startup-console (the
// console's start-up as app/main.cpp runs it) and bench-startup-bare, and an
// earlier build's bench-startup-console when one is given, for before and
// after in one run.
//
//   bench-startup [RUNS [EARLIER_CONSOLE]]   (default 15 runs; DISPLAY set:
//                   that X server, otherwise an Xvfb of our own, or offscreen)

namespace {

constexpr const char *kPhaseNames[Marks]
    = {"exec to main",        "Qt start",   "fonts (beside)", "building the layout",
       "serial line opening", "first paint"};

struct Run
{
    double phases[Marks]; // each phase's own time
    double total;
    double rssMb;
};

std::optional<Run> startOne(const QString &program, const QString &device)
{
    static const QTemporaryDir runtimeDir; // private to the user, as the session's would be
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("XDG_RUNTIME_DIR")))
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
    child.setProcessEnvironment(environment);
    const double startedAt = monotonicMs();
    child.start(program, {device});
    if (!child.waitForFinished(30000) || child.exitCode() != 0) {
        std::fprintf(stderr, "bench-startup: %s: %s\n", qPrintable(program),
                     qPrintable(child.errorString()));
        return std::nullopt;
    }
    QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    // "marks beside": the child read its font database on a thread of its own.
    const bool beside = fields.value(1) == "beside";
    if (beside)
        fields.removeAt(1);
    if (fields.size() != Marks + 3 || fields.at(0) != "marks")
        return std::nullopt;
    Run run{};
    double previous = startedAt;
    for (int i = 0; i < Marks; ++i) {
        const double at = fields.at(i + 1).toDouble();
        // A font database read beside the layout and the port: its own time
        // from the Qt start, outside the sum.
        if (i == Fonts && beside) {
            run.phases[i] = at - fields.at(QtStarted + 1).toDouble();
            continue;
        }
        run.phases[i] = at - previous;
        previous = at;
    }
    run.total = previous - startedAt;
    run.rssMb = fields.at(Marks + 2).toDouble() / 1024.0;
    return run;
}

struct Contender
{
    const char *label;
    QString program;
    QList<Run> runs;
};

// One row: each contender's median and range, the first ones' ratios to the last.
void printRow(const char *label, const std::vector<Contender> &contenders, auto field)
{
    std::printf("%-21s", label);
    QList<double> medians;
    for (const Contender &contender : contenders) {
        QList<double> values;
        for (const Run &run : contender.runs)
            values << field(run);
        medians << quantile(values, 0.5);
        std::printf(" %7.2f %6.2f-%-6.2f", medians.last(), quantile(values, 0), worst(values));
    }
    const double floor = medians.last();
    for (qsizetype i = 0; i + 1 < medians.size(); ++i) {
        if (floor > 0.05)
            std::printf(" %5.2f", medians[i] / floor);
    }
    std::printf("\n");
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
    QString slave;
    const int master = openRawPty(&slave);
    if (master < 0) {
        std::fprintf(stderr, "bench-startup: no pseudo-terminal\n");
        return 1;
    }

    const QDir here(QCoreApplication::applicationDirPath());
    std::vector<Contender> contenders{
        {"console", here.filePath(QStringLiteral("bench-startup-console")), {}},
        {"bare", here.filePath(QStringLiteral("bench-startup-bare")), {}}};
    if (argc > 2)
        contenders.insert(contenders.begin() + 1, {"earlier", QString::fromLocal8Bit(argv[2]), {}});
    const auto count = qsizetype(contenders.size());
    for (int i = 0; i < runs; ++i) {
        // In turn, each starting first in its run, so that none always follows another.
        for (qsizetype k = 0; k < count; ++k) {
            Contender &contender = contenders[size_t((i + k) % count)];
            const std::optional<Run> run = startOne(contender.program, slave);
            if (!run) {
                std::fprintf(stderr, "bench-startup: a start of %s failed\n",
                             qPrintable(contender.program));
                return 1;
            }
            contender.runs << *run;
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
    std::printf("%-21s", "");
    for (const Contender &contender : contenders)
        std::printf(" %-21s", contender.label);
    std::printf(" ratio to bare\n%-21s", "");
    for (qsizetype i = 0; i < count; ++i)
        std::printf(" %7s %-13s", "median", "min-max");
    for (qsizetype i = 0; i + 1 < count; ++i)
        std::printf(" %5.5s", contenders[size_t(i)].label);
    std::printf("\n");
    for (int p = 0; p < Marks; ++p)
        printRow(kPhaseNames[p], contenders, [p](const Run &run) { return run.phases[p]; });
    printRow("exec to first frame", contenders, [](const Run &run) { return run.total; });
    printRow("resident memory (MB)", contenders, [](const Run &run) { return run.rssMb; });
    return 0;
}
