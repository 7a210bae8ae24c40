#include "core/trafficlog.h"
#include "backgroundfonts.h"
#include "endsignals.h"
#include "layoutdesign.h"
#include "mainwindow.h"
#include "sim/anyline.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

namespace {

#ifdef Q_OS_WIN
constexpr const char *kDefaultCom1 = "COM1";
constexpr const char *kDefaultCom2 = "COM2";
#else
constexpr const char *kDefaultCom1 = "/dev/ttyS0";
constexpr const char *kDefaultCom2 = "/dev/ttyS1";
#endif

struct Devices
{
    QString com1;
    QString com2;
    QString log; // empty: no traffic log
};

void usageError(const QString &message)
{
    std::fputs(qPrintable(QStringLiteral("projector-console: %1\n").arg(message)), stderr);
}

// Qt's standard options are taken by QApplication itself; they are set aside
// before our own options are read. Those with a value, then the bare ones.
constexpr std::array kQtValueOptions
    = {"platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
       "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
       "style",       "stylesheet",         "name",          "title"};
// -qmljsdebugger takes its value only after "=".
constexpr std::array kQtBareOptions
    = {"reverse", "widgetcount", "nograb", "dograb", "sync", "qmljsdebugger"};

bool isOneOf(const QString &name, const auto &names)
{
    return std::any_of(names.begin(), names.end(),
                       [&name](const char *n) { return name == QLatin1String(n); });
}

QStringList withoutQtOptions(const QStringList &arguments, const QStringList &ownValueOptions)
{
    QStringList ours{arguments.value(0)};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--") {
            ours += arguments.mid(i);
            break;
        }
        if (ownValueOptions.contains(argument)) {
            ours += arguments.mid(i, 2);
            ++i;
            continue;
        }
        const qsizetype dashes = argument.startsWith(u"--") ? 2 : argument.startsWith(u'-') ? 1 : 0;
        const QString name = argument.mid(dashes).section(u'=', 0, 0);
        if (dashes > 0 && isOneOf(name, kQtValueOptions)) {
            if (!argument.contains(u'='))
                ++i;
            continue;
        }
        if (dashes > 0 && isOneOf(name, kQtBareOptions))
            continue;
        ours += argument;
    }
    return ours;
}

// Reads the options before the window system is touched, so that --help and
// --version work without a display. Empty on a usage error, which is told.
std::optional<Devices> parseOptions(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("projector-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CONSOLE_RELEASE));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Console for projectors controlled over an RS-232C line.\n"
                       "Qt's standard options (-platform, -display, -style, ...) are taken "
                       "as well."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption com1(
        QStringLiteral("com1"),
        QStringLiteral("Device behind port 1 (default %1), or %2.")
            .arg(QLatin1String(kDefaultCom1), QLatin1String(kDeviceForms)),
        QStringLiteral("DEVICE"), QLatin1String(kDefaultCom1));
    const QCommandLineOption com2(
        QStringLiteral("com2"),
        QStringLiteral("Device behind port 2 (default %1), or %2.")
            .arg(QLatin1String(kDefaultCom2), QLatin1String(kDeviceForms)),
        QStringLiteral("DEVICE"), QLatin1String(kDefaultCom2));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Append every transmission and reception to FILE."),
                                 QStringLiteral("FILE"));
    parser.addOption(com1);
    parser.addOption(com2);
    parser.addOption(log);
    const QStringList arguments = withoutQtOptions(
        QCoreApplication::arguments(),
        {QStringLiteral("--com1"), QStringLiteral("--com2"), QStringLiteral("--log")});
    if (!parser.parse(arguments)) {
        usageError(parser.errorText());
        return std::nullopt;
    }
    parser.process(arguments); // --help, --help-all and --version end here
    if (!parser.positionalArguments().isEmpty()) {
        usageError(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
        return std::nullopt;
    }
    for (const QCommandLineOption &port : {com1, com2}) {
        if (parser.value(port).isEmpty()) {
            usageError(
                QStringLiteral("--%1 needs a device (or \"sim\")").arg(port.names().first()));
            return std::nullopt;
        }
    }
    if (parser.isSet(log) && parser.value(log).isEmpty()) {
        usageError(QStringLiteral("--log needs a file"));
        return std::nullopt;
    }
    return Devices{parser.value(com1), parser.value(com2), parser.value(log)};
}

} // namespace

int main(int argc, char *argv[])
{
    const std::optional<Devices> options = parseOptions(argc, argv);
    if (!options)
        return 2;
    const Devices devices = *options;
    TrafficLog log(devices.log);
    if (!devices.log.isEmpty() && !log.open()) {
        usageError(log.errorString());
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("projector-console"));
    BackgroundFonts fonts;

    MainWindow window([devices](int port) -> std::unique_ptr<CommLine> {
        if (port == 1)
            return makeLine(devices.com1);
        if (port == 2)
            return makeLine(devices.com2);
        return nullptr;
    });
    if (!devices.log.isEmpty())
        log.follow(window.console());
    QObject::connect(&window, &MainWindow::ended, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    const EndSignals endSignals(
        [&window] { window.control<QPushButton>(QStringLiteral("Command16"))->click(); });
    window.Form_Load();
    // A signal during the start-up warning has ended the program already.
    if (endSignals.received())
        return 0;
    window.show();
    return app.exec();
}
