// SPDX-License-Identifier: GPL-3.0-or-later
#include "changeinput.h"
#include "link/deviceline.h"
#include "projectorhost.h"
#include "ptyserver.h"
#include "simlog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTime>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

void logLine(const QString &line)
{
    const QString stamped
        = QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")) + u' ' + line + u'\n';
    std::fputs(stamped.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

void fail(const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("projector-sim: %1\n").arg(message)), stderr);
}

// State changes typed on standard input: errors and help answered at once,
// changes logged with the traffic when asked.
void readChanges(sim::ChangeInput &input, bool log)
{
    QObject::connect(&input, &sim::ChangeInput::refused, &input,
                     [](const QString &line, const QString &error) {
                         fail(QStringLiteral("%1: %2").arg(line, error));
                     });
    QObject::connect(&input, &sim::ChangeInput::helpAsked, &input, [](const QString &text) {
        std::fputs(qPrintable(text), stdout);
        std::fflush(stdout);
    });
    if (log) {
        QObject::connect(&input, &sim::ChangeInput::applied, &input,
                         [](const sim::StateChange &change) {
                             logLine(QStringLiteral("changed  %1").arg(sim::describe(change)));
                         });
    }
}

int servePty(QCoreApplication &app, int baud, bool log)
{
    PtyServer server;
    server.model().setBaudRate(baud);
    if (log)
        server.setLogHook(logLine);
    sim::ChangeInput input(STDIN_FILENO, server.host());
    readChanges(input, log);
    if (!server.start()) {
        fail(server.errorString());
        return 1;
    }
    std::fputs(qPrintable(server.slavePath() + u'\n'), stdout);
    std::fflush(stdout);
    return app.exec();
}

int serveDevice(QCoreApplication &app, const QString &device, int baud, bool log)
{
    DeviceLine line(device);
    sim::ProjectorHost host;
    host.model().setBaudRate(baud);
    if (log)
        host.setLogHook(logLine);
    sim::ChangeInput input(STDIN_FILENO, host);
    readChanges(input, log);
    SerialSettings settings;
    settings.baudRate = baud;
    // The device is the projectors' port: it follows their speed.
    QObject::connect(&input, &sim::ChangeInput::applied, &line, [&](const sim::StateChange &) {
        if (settings.baudRate == host.model().baudRate())
            return;
        settings.baudRate = host.model().baudRate();
        if (!line.applySettings(settings))
            fail(QStringLiteral("%1: %2").arg(device, line.errorString()));
    });
    if (!line.open(settings)) {
        fail(QStringLiteral("%1: %2").arg(device, line.errorString()));
        return 1;
    }
    QObject::connect(&line, &CommLine::readyRead, &host, [&] { host.receive(line.readAll()); });
    QObject::connect(&host, &sim::ProjectorHost::replyReady, &line, [&](const QByteArray &bytes) {
        if (!line.write(bytes))
            fail(line.errorString());
    });
    QObject::connect(&line, &CommLine::lost, &app, [&](const QString &reason) {
        fail(QStringLiteral("%1: %2").arg(device, reason));
        app.exit(1);
    });
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Started in the background of a shell, reading its terminal must fail
    // rather than stop the projectors.
    std::signal(SIGTTIN, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("projector-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CONSOLE_RELEASE));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Four simulated projectors on one serial line. Without --device the line is a\n"
        "pseudo-terminal whose path is printed on standard output. State changes are\n"
        "read from standard input, one per line; \"help\" lists them."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption deviceOption(QStringLiteral("device"),
                                          QStringLiteral("Serve on serial device <path>."),
                                          QStringLiteral("path"));
    const QCommandLineOption baudOption(
        QStringLiteral("baud"),
        QStringLiteral("Speed of the projectors: 19200 or 9600 (default 19200)."),
        QStringLiteral("rate"), QStringLiteral("19200"));
    const QCommandLineOption logOption(QStringLiteral("log"),
                                       QStringLiteral("Log every command and reply to stderr."));
    parser.addOptions({deviceOption, baudOption, logOption});
    parser.process(app);

    if (!parser.positionalArguments().isEmpty()) {
        fail(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
        return 2;
    }
    const QString baudText = parser.value(baudOption);
    if (baudText != u"19200" && baudText != u"9600") {
        fail(QStringLiteral("--baud must be 19200 or 9600, not %1").arg(baudText));
        return 2;
    }
    const bool log = parser.isSet(logOption);
    if (parser.isSet(deviceOption))
        return serveDevice(app, parser.value(deviceOption), baudText.toInt(), log);
    return servePty(app, baudText.toInt(), log);
}
