// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ptyserver.h"
#include "stats.h"
#include "tests/support/ptypair.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

// One projector-watch process on many lines of four simulated projectors,
// each served on a pseudo-terminal of its own by this program, plus one dead
// line whose far end never answers. Reports whether every round of every
// line was complete and on time, the watch's CPU share and memory per line,
// and the live lines' round times beside the dead line's.
//   bench-watchscale [LINES] [PERIOD_S] [ROUNDS]     defaults 100 10 5

namespace {

struct Usage
{
    double cpuSeconds = 0;
    qint64 rssKb = 0;
};

Usage usageOf(qint64 pid)
{
    Usage usage;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> fields = stat.readAll().split(')').value(1).trimmed().split(' ');
        // After the command: state is field 3, utime 14 and stime 15.
        usage.cpuSeconds
            = (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
    }
    usage.rssKb = residentKb(QString::number(pid));
    return usage;
}

QString watchPath()
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../projector-watch"));
}

// The resident memory of a watch on one simulated line, once it has run a round.
qint64 oneLineRssKb()
{
    QProcess watch;
    watch.start(watchPath(), {"--line", "sim", "--period", "60", "--json"});
    QElapsedTimer clock;
    clock.start();
    int lines = 0;
    while (lines < 4 && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        while (watch.canReadLine()) {
            watch.readLine();
            ++lines;
        }
    }
    const qint64 rss = usageOf(watch.processId()).rssKb;
    watch.kill();
    watch.waitForFinished();
    return rss;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int lineCount = args.value(1, "100").toInt();
    const int periodS = args.value(2, "10").toInt();
    const int rounds = args.value(3, "5").toInt();

    std::vector<std::unique_ptr<PtyServer>> servers;
    QTemporaryDir dir;
    QByteArray config;
    for (int n = 1; n <= lineCount; ++n) {
        servers.push_back(std::make_unique<PtyServer>());
        if (!servers.back()->start()) {
            std::fprintf(stderr, "pty %d: %s\n", n, qPrintable(servers.back()->errorString()));
            return 1;
        }
        config += QStringLiteral("line-%1 %2\n")
                      .arg(n, 3, 10, QLatin1Char('0'))
                      .arg(servers.back()->slavePath())
                      .toUtf8();
    }
    QString deadPath;
    const int dead = openRawPty(&deadPath); // never read, never answered
    config += "dead " + deadPath.toUtf8() + "\n";
    QFile file(dir.filePath(QStringLiteral("campus.conf")));
    file.open(QIODevice::WriteOnly);
    file.write(config);
    file.close();
    const QString textfile = dir.filePath(QStringLiteral("textfile"));
    QDir().mkpath(textfile);

    QProcess watch;
    watch.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // One round more than measured: the process ends right after the last.
    watch.start(watchPath(),
                {"--config", file.fileName(), "--period", QString::number(periodS), "--json",
                 "--rounds", QString::number(rounds + 1), "--textfile", textfile});
    if (!watch.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(watchPath()));
        return 1;
    }
    QElapsedTimer clock;
    clock.start();

    // Projectors read per line and round, and when each round of all lines was complete.
    QHash<QString, QHash<int, int>> read;
    QHash<int, int> completeLines;
    QHash<int, qint64> roundDoneMs;
    QHash<int, qint64> liveDoneMs; // the last live line's round complete
    QHash<int, qint64> deadDoneMs;
    int deadUp = 0;
    Usage atRound1, atLast;
    const int totalLines = lineCount + 1;
    while (!roundDoneMs.contains(rounds) && clock.elapsed() < qint64(rounds + 2) * periodS * 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        while (watch.canReadLine()) {
            const QJsonObject o = QJsonDocument::fromJson(watch.readLine()).object();
            const QString line = o.value("line").toString();
            const int round = o.value("round").toInt();
            deadUp += line == QLatin1String("dead") && o.value("up").toBool();
            if (++read[line][round] != 4)
                continue;
            (line == QLatin1String("dead") ? deadDoneMs : liveDoneMs)
                .insert(round, clock.elapsed());
            if (++completeLines[round] == totalLines) {
                roundDoneMs.insert(round, clock.elapsed());
                if (round == 1)
                    atRound1 = usageOf(watch.processId());
                if (round == rounds)
                    atLast = usageOf(watch.processId());
            }
        }
    }
    const qint64 endMs = roundDoneMs.value(rounds, -1);
    // Read on to the end: a full pipe would stall the watch's last round.
    while (watch.state() != QProcess::NotRunning
           && clock.elapsed() < endMs + qint64(periodS) * 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        watch.readAllStandardOutput();
    }
    if (watch.state() != QProcess::NotRunning) {
        watch.kill();
        watch.waitForFinished();
    }

    // The rounds as the watch itself counted them.
    QFile prom(QDir(textfile).filePath(QStringLiteral("projector-watch.prom")));
    prom.open(QIODevice::ReadOnly);
    static const QRegularExpression sample(
        QStringLiteral("^(projector_watch_\\w+)\\{line=\"([^\"]+)\"\\} (\\S+)$"),
        QRegularExpression::MultilineOption);
    double maxLive = 0, sumLive = 0, deadSeconds = 0, late = 0;
    int liveCount = 0;
    for (auto it = sample.globalMatch(QString::fromUtf8(prom.readAll())); it.hasNext();) {
        const auto m = it.next();
        const double value = m.captured(3).toDouble();
        if (m.captured(1) == QLatin1String("projector_watch_late_rounds_total"))
            late += value;
        if (m.captured(1) != QLatin1String("projector_watch_round_duration_seconds"))
            continue;
        if (m.captured(2) == QLatin1String("dead")) {
            deadSeconds = value;
        } else {
            maxLive = std::max(maxLive, value);
            sumLive += value;
            ++liveCount;
        }
    }
    ::close(dead);

    std::printf(
        "watch on %d lines x 4 simulated projectors + 1 dead line, period %d s, %d rounds\n",
        lineCount, periodS, rounds);
    bool complete = true;
    for (int round = 1; round <= rounds; ++round) {
        const qint64 due = qint64(round) * periodS * 1000;
        const bool done = roundDoneMs.contains(round);
        complete &= done && roundDoneMs.value(round) < due;
        std::printf(
            "  round %d: all lines complete at %6.2f s after the watch started (due by %d s): "
            "live lines by %6.2f s, dead line at %6.2f s%s\n",
            round, done ? roundDoneMs.value(round) / 1000.0 : -1.0, round * periodS,
            liveDoneMs.value(round, -1) / 1000.0, deadDoneMs.value(round, -1) / 1000.0,
            done ? "" : "  NOT COMPLETE");
    }
    std::printf("  every round complete on time: %s; late rounds counted by the watch: %.0f\n",
                complete ? "yes" : "NO", late);
    std::printf("  round time of the live lines: mean %.2f s, max %.2f s; dead line %.2f s (its "
                "projectors up: %d)\n",
                liveCount ? sumLive / liveCount : 0, maxLive, deadSeconds, deadUp);
    if (endMs > 0 && rounds > 1) {
        const double wall = (roundDoneMs.value(rounds) - roundDoneMs.value(1)) / 1000.0;
        const double cpu = atLast.cpuSeconds - atRound1.cpuSeconds;
        std::printf("  CPU of the watch over rounds 2..%d: %.2f s in %.1f s = %.1f %% of one core, "
                    "%.3f %% per line\n",
                    rounds, cpu, wall, 100 * cpu / wall, 100 * cpu / wall / totalLines);
    }
    const qint64 single = oneLineRssKb();
    std::printf("  memory: %lld kB resident; one line alone %lld kB; %.0f kB per further line\n",
                atLast.rssKb, single, double(atLast.rssKb - single) / (totalLines - 1));
    return complete ? 0 : 1;
}
