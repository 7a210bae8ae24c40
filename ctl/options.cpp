// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include "commandnames.h"
#include "sim/anyline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

#ifdef Q_OS_WIN
constexpr const char *kDefaultLine = "COM1";
#else
constexpr const char *kDefaultLine = "/dev/ttyS0";
#endif

bool usageError(const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("projector-ctl: %1\n").arg(message)), stderr);
    return false;
}

std::optional<QString> addressPrefix(const QString &address)
{
    if (address == u"single")
        return QString();
    if (address == u"all")
        return QStringLiteral("AFFF");
    if (address.size() == 1 && address >= u"1" && address <= u"4")
        return QStringLiteral("A00") + address;
    return std::nullopt;
}

bool addNamed(CtlOptions &options, const QString &name, std::optional<int> holdMs)
{
    const ctlnames::Command command = ctlnames::find(name);
    if (!command.oneShot && !command.hold) {
        return usageError(QStringLiteral("no command \"%1\"; nearest: \"%2\"")
                              .arg(name, ctlnames::nearest(name).join(QStringLiteral("\", \""))));
    }
    if (holdMs && !command.hold)
        return usageError(QStringLiteral("\"%1\" is no repeating button").arg(command.name));
    options.jobs += Job{command.name, command.oneShot, command.hold, holdMs.value_or(0), {}};
    return true;
}

} // namespace

std::optional<CtlOptions> parseOptions()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sends the commands of the projector console's window and prints the "
                       "TXD, RXD and STATUS lines.\nCommands are named as the window labels "
                       "them (\"POWER ON\", \"VOL +\", STATUS); --list prints every name."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption line(
        QStringLiteral("line"),
        QStringLiteral("The line to the projectors: a device path "
                       "(default %1), or %2.")
            .arg(QLatin1String(kDefaultLine), QLatin1String(kDeviceForms)),
        QStringLiteral("DEVICE"), QLatin1String(kDefaultLine));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("Line speed, 19200 (default) or 9600."),
                                   QStringLiteral("BAUD"), QStringLiteral("19200"));
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("The projector addressed: single (default), "
                                                    "all, or 1 to 4."),
                                     QStringLiteral("WHICH"), QStringLiteral("single"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Append every transmission and reception to FILE."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print one JSON object per command."));
    const QCommandLineOption code(QStringLiteral("code"),
                                  QStringLiteral("Send TEXT as SEND does, before the named "
                                                 "commands; may be repeated."),
                                  QStringLiteral("TEXT"));
    const QCommandLineOption list(QStringLiteral("list"),
                                  QStringLiteral("Print every command name with its code and "
                                                 "reply window."));
    const QCommandLineOption hold(QStringLiteral("hold"),
                                  QStringLiteral("Hold each named repeating button for MS "
                                                 "milliseconds."),
                                  QStringLiteral("MS"));
    parser.addOptions({line, speed, address, log, json, code, list, hold});
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("Commands to send."),
                                 QStringLiteral("COMMAND..."));
    if (!parser.parse(QCoreApplication::arguments())) {
        usageError(parser.errorText());
        return std::nullopt;
    }
    parser.process(QCoreApplication::arguments()); // --help and --version end here

    CtlOptions options;
    options.json = parser.isSet(json);
    options.list = parser.isSet(list);
    if (options.list)
        return options;
    options.line = parser.value(line);
    if (options.line.isEmpty()) {
        usageError(QStringLiteral("--line needs a device (or \"sim\")"));
        return std::nullopt;
    }
    if (parser.value(speed) != u"19200" && parser.value(speed) != u"9600") {
        usageError(QStringLiteral("--speed is 19200 or 9600, not %1").arg(parser.value(speed)));
        return std::nullopt;
    }
    options.settings = parser.value(speed) + QStringLiteral(",N,8,1");
    const std::optional<QString> prefix = addressPrefix(parser.value(address));
    if (!prefix) {
        usageError(QStringLiteral("--address is single, all, 1, 2, 3 or 4, not %1")
                       .arg(parser.value(address)));
        return std::nullopt;
    }
    options.addressPrefix = *prefix;
    options.log = parser.value(log);
    if (parser.isSet(log) && options.log.isEmpty()) {
        usageError(QStringLiteral("--log needs a file"));
        return std::nullopt;
    }
    std::optional<int> holdMs;
    if (parser.isSet(hold)) {
        bool ok = false;
        holdMs = parser.value(hold).toInt(&ok);
        if (!ok || *holdMs < 0) {
            usageError(QStringLiteral("--hold needs milliseconds, not %1").arg(parser.value(hold)));
            return std::nullopt;
        }
    }
    for (const QString &text : parser.values(code)) {
        if (text.isEmpty()) {
            usageError(QStringLiteral("--code needs a text"));
            return std::nullopt;
        }
        options.jobs += Job{text, nullptr, nullptr, 0, text};
    }
    for (const QString &name : parser.positionalArguments()) {
        if (!addNamed(options, name, holdMs))
            return std::nullopt;
    }
    if (holdMs && parser.positionalArguments().isEmpty()) {
        usageError(QStringLiteral("--hold needs the name of a repeating button"));
        return std::nullopt;
    }
    if (options.jobs.isEmpty()) {
        usageError(QStringLiteral("no command given (--list prints them)"));
        return std::nullopt;
    }
    return options;
}
