// SPDX-License-Identifier: GPL-3.0-or-later
#include "board.h"
#include "jsonline.h"
#include "linechoice.h"
#include "lineoutput.h"
#include "linepoller.h"
#include "metricsserver.h"
#include "options.h"
#include "sim/anyline.h"
#include "table.h"
#include "textfile.h"

#include <QCoreApplication>
#include <QHash>
#include <QTimer>
#include <memory>
#include <unistd.h>

// projector-watch: every projector of one or more lines polled in rounds,
// shown as a table or JSON lines and served to Prometheus.
using namespace watch;

namespace {

enum Exit { Done = 0, Usage = 2, Failed = 3 };

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("projector-watch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CONSOLE_RELEASE));
    const std::optional<WatchOptions> options = parseOptions(QCoreApplication::arguments());
    if (!options)
        return Usage;

    Board board;
    std::vector<std::unique_ptr<LinePoller>> pollers;
    for (const WatchedLine &line : options->lines) {
        pollers.push_back(std::make_unique<LinePoller>(
            line.name, line.addresses,
            std::make_unique<LineChoice>(
                line.device,
                [device = line.device](int port) { return port == 1 ? makeLine(device) : nullptr; },
                line.settings),
            qint64(options->periodSeconds) * 1000));
        board.follow(*pollers.back(), line.addresses);
    }

    // A line's trouble is told when it begins or changes, not every round.
    QHash<QString, QString> trouble;
    for (const auto &poller : pollers) {
        QObject::connect(poller.get(), &LinePoller::lineTrouble, &app,
                         [&trouble](const QString &line, const QString &description) {
                             if (trouble.value(line) != description)
                                 tell(QStringLiteral("%1: %2").arg(line, description));
                             trouble.insert(line, description);
                         });
        QObject::connect(poller.get(), &LinePoller::projectorRead, &app,
                         [&trouble](const Reading &reading) {
                             if (reading.up)
                                 trouble.remove(reading.line);
                         });
    }

    std::unique_ptr<MetricsServer> server;
    if (options->listenPort) {
        server = std::make_unique<MetricsServer>(
            [&board] { return exposition(board.readings(), board.lines()); });
        const quint16 port = server->listen(options->listenAddress, *options->listenPort);
        if (port == 0) {
            tell(QStringLiteral("cannot listen on %1 port %2")
                     .arg(options->listenAddress.toString())
                     .arg(*options->listenPort));
            return Failed;
        }
        const QString host = options->listenAddress.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QStringLiteral("[%1]").arg(options->listenAddress.toString())
                                 : options->listenAddress.toString();
        tell(QStringLiteral("serving http://%1:%2/metrics").arg(host).arg(port));
    }

    int exit = Done;
    Output output = options->output;
    if (output == Output::Auto)
        output = isatty(STDOUT_FILENO) ? Output::Table : Output::Json;
    std::unique_ptr<TerminalTable> table;
    if (output == Output::Table)
        table = std::make_unique<TerminalTable>(board);
    // A reader of the JSON lines that falls behind must not stop the rounds
    // nor the metrics.
    std::unique_ptr<LineOutput> json;
    if (output == Output::Json) {
        json = std::make_unique<LineOutput>(STDOUT_FILENO);
        QObject::connect(&board, &Board::projectorRead, json.get(),
                         [&json](const Reading &reading) { json->write(jsonLine(reading)); });
        QObject::connect(json.get(), &LineOutput::fellBehind, &app, [](qint64 total) {
            tell(QStringLiteral("standard output is read too slowly: %1 lines dropped so far")
                     .arg(total));
        });
        QObject::connect(json.get(), &LineOutput::failed, &app, [&](const QString &error) {
            tell(QStringLiteral("cannot write to standard output: %1").arg(error));
            exit = Failed;
            app.quit();
        });
    }

    // The textfile is rewritten at most once a second: with many lines, rounds
    // end close together, and each writing holds every projector's metrics.
    QTimer textfileDue;
    textfileDue.setSingleShot(true);
    textfileDue.setInterval(1000);
    const auto writeTextfileNow = [&] {
        textfileDue.stop();
        QString error;
        if (!writeTextfile(options->textfileDir, exposition(board.readings(), board.lines()),
                           &error)) {
            tell(error);
            exit = Failed;
            app.quit();
        }
    };
    QObject::connect(&textfileDue, &QTimer::timeout, &app, writeTextfileNow);
    QObject::connect(&board, &Board::roundFinished, &app, [&](const QString &, quint64) {
        const bool last
            = options->rounds > 0
              && std::all_of(board.lines().cbegin(), board.lines().cend(),
                             [&](const LineRounds &l) { return l.rounds >= options->rounds; });
        if (!options->textfileDir.isEmpty()) {
            if (last)
                writeTextfileNow();
            else if (!textfileDue.isActive())
                textfileDue.start();
        }
        if (last)
            app.quit();
    });

    QElapsedTimer epoch;
    epoch.start();
    for (const auto &poller : pollers)
        poller->start(epoch);
    const int loop = app.exec();
    return exit != Done ? exit : loop;
}
