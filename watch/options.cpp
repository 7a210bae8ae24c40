// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include "link/listenaddress.h"
#include "sim/anyline.h"

#include <QCommandLineParser>
#include <QFile>
#include <QSet>
#include <cstdio>

namespace watch {

void tell(const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("projector-watch: %1\n").arg(message)), stderr);
}

namespace {

std::nullopt_t usageError(const QString &message)
{
    tell(message);
    return std::nullopt;
}

} // namespace

std::optional<WatchOptions> parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Polls every projector of one or more lines with the status queries and shows a table "
        "(on a terminal) or one JSON object per projector per round (on a pipe); serves the "
        "readings to Prometheus on /metrics and to node_exporter's textfile collector. A line "
        "that the console window holds is polled through the window."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption line(
        QStringLiteral("line"),
        QStringLiteral("A line to watch: a device path, or %1. May be repeated.")
            .arg(QLatin1String(kDeviceForms)),
        QStringLiteral("DEVICE"));
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("Watch the lines listed in FILE (NAME DEVICE "
                                                   "[speed=9600] [addresses=single|all|1,2,...])."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption speed(
        QStringLiteral("speed"),
        QStringLiteral("Speed of the --line lines, 19200 (default) or 9600."),
        QStringLiteral("BAUD"), QStringLiteral("19200"));
    const QCommandLineOption address(
        QStringLiteral("address"),
        QStringLiteral("Projectors on the --line lines: all (1 to 4, default), "
                       "single, or numbers such as 1,3."),
        QStringLiteral("WHICH"), QStringLiteral("all"));
    const QCommandLineOption period(QStringLiteral("period"),
                                    QStringLiteral("Seconds between rounds (default 60)."),
                                    QStringLiteral("SECONDS"), QStringLiteral("60"));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Serve /metrics on [HOST:]PORT (HOST 127.0.0.1 unless given)."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption textfile(
        QStringLiteral("textfile"),
        QStringLiteral("After every round write DIR/projector-watch.prom "
                       "for node_exporter's textfile collector."),
        QStringLiteral("DIR"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("JSON lines even on a terminal."));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Neither table nor JSON."));
    const QCommandLineOption rounds(QStringLiteral("rounds"),
                                    QStringLiteral("Stop after N rounds of every line."),
                                    QStringLiteral("N"));
    parser.addOptions(
        {line, config, speed, address, period, listen, textfile, json, quiet, rounds});
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    parser.process(arguments); // --help and --version end here

    WatchOptions options;
    const QString settings = settingsForSpeed(parser.value(speed));
    if (settings.isEmpty())
        return usageError(
            QStringLiteral("--speed is 19200 or 9600, not %1").arg(parser.value(speed)));
    const QList<int> addresses = parseAddresses(parser.value(address));
    if (addresses.isEmpty())
        return usageError(QStringLiteral("--address is all, single or numbers 1 to 4, not %1")
                              .arg(parser.value(address)));
    for (const QString &device : parser.values(line))
        options.lines.append({device, device, settings, addresses});
    if (parser.isSet(config)) {
        QFile file(parser.value(config));
        if (!file.open(QIODevice::ReadOnly))
            return usageError(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
        const Campus campus = parseCampus(QString::fromUtf8(file.readAll()));
        if (!campus.error.isEmpty())
            return usageError(QStringLiteral("%1: %2").arg(file.fileName(), campus.error));
        options.lines += campus.lines;
    }
    if (options.lines.isEmpty())
        return usageError(QStringLiteral("no line to watch: give --line DEVICE or --config FILE"));
    // A line's name labels its series: each is watched once.
    QSet<QString> names;
    for (const WatchedLine &watched : std::as_const(options.lines)) {
        if (names.contains(watched.name))
            return usageError(QStringLiteral("the line %1 is given twice").arg(watched.name));
        names.insert(watched.name);
    }
    bool ok = false;
    options.periodSeconds = parser.value(period).toInt(&ok);
    if (!ok || options.periodSeconds < 1)
        return usageError(QStringLiteral("--period is a whole number of seconds, at least 1"));
    if (parser.isSet(listen)) {
        quint16 port = 0;
        if (!parseListenAddress(parser.value(listen), &options.listenAddress, &port))
            return usageError(
                QStringLiteral("--listen is PORT or HOST:PORT, not %1").arg(parser.value(listen)));
        options.listenPort = port;
    }
    options.textfileDir = parser.value(textfile);
    if (parser.isSet(rounds)) {
        options.rounds = parser.value(rounds).toULongLong(&ok);
        if (!ok || options.rounds == 0)
            return usageError(QStringLiteral("--rounds is a positive number"));
    }
    options.output = parser.isSet(quiet)  ? Output::Quiet
                     : parser.isSet(json) ? Output::Json
                                          : Output::Auto;
    return options;
}

} // namespace watch
