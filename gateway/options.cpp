// SPDX-License-Identifier: GPL-3.0-or-later
#include "options.h"

#include "link/listenaddress.h"
#include "sim/anyline.h"

#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <sys/stat.h>

namespace gateway {

void tell(const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("projector-gateway: %1\n").arg(message)), stderr);
}

namespace {

std::nullopt_t usageError(const QString &message)
{
    tell(message);
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> readPasswordFile(const QString &path, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = QStringLiteral("the password file %1 is not a readable file").arg(path);
        return std::nullopt;
    }
    if (st.st_mode & (S_IRWXG | S_IRWXO)) {
        *error = QStringLiteral("the password file %1 may be read by others than its owner "
                                "(chmod 600 it)")
                     .arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error
            = QStringLiteral("cannot read the password file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QByteArray password = file.read(256);
    if (const qsizetype end = password.indexOf('\n'); end >= 0)
        password.truncate(end);
    if (password.endsWith('\r'))
        password.chop(1);
    const bool printable = std::all_of(password.begin(), password.end(),
                                       [](char c) { return c > 0x20 && c < 0x7f; });
    if (password.isEmpty() || password.size() > 32 || !printable) {
        *error = QStringLiteral("the password file %1 does not hold a password of 1 to 32 "
                                "printable characters on its first line")
                     .arg(path);
        return std::nullopt;
    }
    return password;
}

std::optional<GatewayConfig> parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Holds the projector lines of its configuration and answers PJLink class 1 for each "
        "projector on them, on a port of its own; serves each line to projector-ctl and "
        "projector-watch on this computer as the console window does."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("The lines and projectors, from FILE."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption line(
        QStringLiteral("line"),
        QStringLiteral("One line: a serial device, %1.").arg(QLatin1StringView(kDeviceForms)),
        QStringLiteral("DEVICE"));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("The line's speed: 19200 (default) or 9600."),
                                   QStringLiteral("BAUD"), QStringLiteral("19200"));
    const QCommandLineOption address(
        QStringLiteral("address"),
        QStringLiteral("The projectors on the line: all (default), single, or 1,2,..."),
        QStringLiteral("ADDRESSES"), QStringLiteral("all"));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Where projector 1 answers (the next ones on the next ports): PORT or "
                       "HOST:PORT; 127.0.0.1:4352 by default."),
        QStringLiteral("HOST:PORT"), QStringLiteral("127.0.0.1:4352"));
    const QCommandLineOption password(
        QStringLiteral("password-file"),
        QStringLiteral("PJLink authentication with the password in FILE (readable by its owner "
                       "only)."),
        QStringLiteral("FILE"));
    const QCommandLineOption open(QStringLiteral("allow-no-password"),
                                  QStringLiteral("Answer beyond the loopback without a password."));
    const QCommandLineOption connections(
        QStringLiteral("connections"),
        QStringLiteral("Connections each projector takes at a time (default 8)."),
        QStringLiteral("N"), QStringLiteral("8"));
    parser.addOptions({config, line, speed, address, listen, password, open, connections});
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    if (parser.isSet(config) == parser.isSet(line))
        return usageError(QStringLiteral("give either --config FILE or --line DEVICE"));

    GatewayConfig result;
    if (parser.isSet(config)) {
        QFile file(parser.value(config));
        if (!file.open(QIODevice::ReadOnly))
            return usageError(
                QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        const Parsed parsed = parseConfig(QString::fromUtf8(file.read(1 << 20)));
        if (!parsed.error.isEmpty())
            return usageError(QStringLiteral("%1: %2").arg(file.fileName(), parsed.error));
        result = parsed.config;
    } else {
        LineEntry entry;
        entry.name = entry.device = parser.value(line);
        entry.settings = settingsForSpeed(parser.value(speed));
        if (entry.settings.isEmpty())
            return usageError(QStringLiteral("--speed takes 19200 or 9600"));
        const QList<int> addresses = parseAddresses(parser.value(address));
        if (addresses.isEmpty())
            return usageError(QStringLiteral("--address takes all, single, or 1,2,..."));
        QHostAddress host;
        quint16 port = 0;
        if (!parseListenAddress(parser.value(listen), &host, &port))
            return usageError(QStringLiteral("--listen takes PORT or HOST:PORT"));
        if (port != 0 && port + std::max(addresses.last(), 1) - 1 > 65535)
            return usageError(QStringLiteral("--listen: the projectors' ports pass 65535"));
        entry.projectors = projectorsOf(entry.name, addresses, host, port);
        result.lines << entry;
    }
    if (parser.isSet(password))
        result.passwordFile = parser.value(password);
    result.openNetwork = parser.isSet(open);
    bool ok = false;
    result.connectionsPerProjector = parser.value(connections).toInt(&ok);
    if (!ok || result.connectionsPerProjector < 1 || result.connectionsPerProjector > 1000)
        return usageError(QStringLiteral("--connections takes 1 to 1000"));
    if (const QString refused = checkExposure(result); !refused.isEmpty())
        return usageError(refused);
    return result;
}

} // namespace gateway
