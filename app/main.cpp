// SPDX-License-Identifier: GPL-3.0-or-later
#include "backgroundfonts.h"
#include "core/endsignals.h"
#include "core/lineservice.h"
#include "core/trafficlog.h"
#include "devicechooser.h"
#include "largebuffers.h"
#include "layoutdesign.h"
#include "link/mscomm.h"
#include "mainwindow.h"
#include "nodisplay.h"
#include "portdevices.h"
#include "sim/anyline.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

namespace {

struct Devices
{
    QString com1; // empty: the one chosen in the port panel
    QString com2;
    QString log; // empty: no traffic log
};

void tell(const QString &message)
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
        QStringLiteral("Device behind port 1 for this run (default: the one chosen in the "
                       "port panel, at first %1), or %2.")
            .arg(PortDevices::defaultDevice(1), QLatin1String(kDeviceForms)),
        QStringLiteral("DEVICE"));
    const QCommandLineOption com2(
        QStringLiteral("com2"),
        QStringLiteral("Device behind port 2 for this run (default: the one chosen in the "
                       "port panel, at first %1), or %2.")
            .arg(PortDevices::defaultDevice(2), QLatin1String(kDeviceForms)),
        QStringLiteral("DEVICE"));
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
        tell(parser.errorText());
        return std::nullopt;
    }
    parser.process(arguments); // --help, --help-all and --version end here
    if (!parser.positionalArguments().isEmpty()) {
        tell(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
        return std::nullopt;
    }
    for (const QCommandLineOption &port : {com1, com2}) {
        if (parser.isSet(port) && parser.value(port).isEmpty()) {
            tell(QStringLiteral("--%1 needs a device (or \"sim\")").arg(port.names().first()));
            return std::nullopt;
        }
    }
    if (parser.isSet(log) && parser.value(log).isEmpty()) {
        tell(QStringLiteral("--log needs a file"));
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
    if (!displayAvailable(argc, argv))
        return 2;
    TrafficLog log(devices.log);
    if (!devices.log.isEmpty() && !log.open()) {
        tell(log.errorString());
        return 2;
    }
    returnLargeBuffersToSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("projector-console"));
    BackgroundFonts fonts;

    PortDevices ports;
    for (const auto &[port, device] : {std::pair(1, devices.com1), std::pair(2, devices.com2)}) {
        if (!device.isEmpty())
            ports.overrideForThisRun(port, device);
    }
    MainWindow window(ports.lines());
    DeviceChooser chooser(window, ports);
    // Faults that leave the line working: a notice each, told on standard
    // error too for the service's journal.
    const auto notice = [&window](const QString &text) {
        tell(text);
        auto *box = new QMessageBox(QMessageBox::Warning, window.windowTitle(), text,
                                    QMessageBox::Ok, &window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    };
    QObject::connect(&window.console(), &Console::lineWarning, &window, notice);
    if (!devices.log.isEmpty()) {
        log.follow(window.console());
        // One notice for each spell of failures.
        QObject::connect(&log, &TrafficLog::failed, &window, notice);
    }
    QObject::connect(&window, &MainWindow::ended, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // A signal ends the console as END does, also while a warning of the
    // start-up waits for the operator: END closes the port and the window, and
    // any modal box (one shown meanwhile too) is closed so that start-up returns.
    QTimer closeModal;
    closeModal.setInterval(10);
    QObject::connect(&closeModal, &QTimer::timeout, &app, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    const EndSignals endSignals([&window, &closeModal](int signal) {
        tell(QStringLiteral("ended by %1").arg(EndSignals::name(signal)));
        window.control<QPushButton>(QStringLiteral("Command16"))->click();
        closeModal.start();
    });
    // The line the window holds is served to projector-ctl on this computer;
    // a line it joined is its holder's to serve.
    LineService service(window.console(), [&ports](int port) {
        return ports.holder(port).isEmpty() ? ports.device(port) : QString();
    });
    log.setSenderOf([&service](quint64 intent) { return service.senderOf(intent); });
    QObject::connect(&service, &LineService::problem, &app, &tell);
    window.Form_Load();
    service.refresh();
    if (endSignals.received())
        return 0;
    window.show();
    return app.exec();
}
