#include "layoutdesign.h"
#include "link/deviceline.h"
#include "mainwindow.h"
#include "sim/simulatedline.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {

#ifdef Q_OS_WIN
constexpr const char *kDefaultCom1 = "COM1";
constexpr const char *kDefaultCom2 = "COM2";
#else
constexpr const char *kDefaultCom1 = "/dev/ttyS0";
constexpr const char *kDefaultCom2 = "/dev/ttyS1";
#endif

const QString kSim = QStringLiteral("sim");

std::unique_ptr<CommLine> makeLine(const QString &device)
{
    if (auto line = makeSimulatedLine(device))
        return line;
    return std::make_unique<DeviceLine>(device);
}

struct Devices
{
    QString com1;
    QString com2;
};

// Reads the options before the window system is touched, so that --help and
// --version work without a display.
Devices parseOptions(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("projector-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.41a"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Console for projectors controlled over an RS-232C line."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption com1(QStringLiteral("com1"),
                                  QStringLiteral("Device behind port 1 (default %1), or \"sim\" "
                                                 "for a simulated line of four projectors.")
                                      .arg(QLatin1String(kDefaultCom1)),
                                  QStringLiteral("DEVICE"), QLatin1String(kDefaultCom1));
    const QCommandLineOption com2(QStringLiteral("com2"),
                                  QStringLiteral("Device behind port 2 (default %1), or \"sim\".")
                                      .arg(QLatin1String(kDefaultCom2)),
                                  QStringLiteral("DEVICE"), QLatin1String(kDefaultCom2));
    parser.addOption(com1);
    parser.addOption(com2);
    parser.process(app);
    return {parser.value(com1), parser.value(com2)};
}

} // namespace

int main(int argc, char *argv[])
{
    const Devices devices = parseOptions(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("projector-console"));

    MainWindow window([devices](int port) -> std::unique_ptr<CommLine> {
        if (port == 1)
            return makeLine(devices.com1);
        if (port == 2)
            return makeLine(devices.com2);
        return nullptr;
    });
    QObject::connect(&window, &MainWindow::ended, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    window.show();
    return app.exec();
}
