#include "link/deviceline.h"
#include "projectorhost.h"
#include "ptyserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTime>

#include <cstdio>

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

int servePty(QCoreApplication &app, bool log)
{
    PtyServer server;
    if (log)
        server.setLogHook(logLine);
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
    if (log)
        host.setLogHook(logLine);
    SerialSettings settings;
    settings.baudRate = baud;
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
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("projector-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECTOR_SIM_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Four simulated projectors on one serial line. Without --device the line is a\n"
        "pseudo-terminal whose path is printed on standard output."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption deviceOption(QStringLiteral("device"),
                                          QStringLiteral("Serve on serial device <path>."),
                                          QStringLiteral("path"));
    const QCommandLineOption baudOption(
        QStringLiteral("baud"),
        QStringLiteral("Speed of the device: 19200 or 9600 (default 19200)."),
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
    return servePty(app, log);
}
