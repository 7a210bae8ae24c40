// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/backgroundfonts.h"
#include "app/mainwindow.h"
#include "firstframe.h"
#include "sim/anyline.h"

// The console's start-up as app/main.cpp runs it, in its order, marked for
// bench-startup. Port 1 is the device given as the only argument.
int main(int argc, char *argv[])
{
    double marks[Marks] = {monotonicMs()};
    const QString device = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("sim");
    int qtArgc = 1;
    // The options are read on a core application before the window system is touched.
    {
        QCoreApplication options(qtArgc, argv);
    }
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("projector-console"));
    marks[QtStarted] = monotonicMs();
    BackgroundFonts fonts;
    MainWindow window([device](int port) -> std::unique_ptr<CommLine> {
        return port == 1 ? makeLine(device) : nullptr;
    });
    bool warned = false;
    window.setWarningBox([&warned](const QString &text) {
        std::fprintf(stderr, "bench-startup-console: %s\n", qPrintable(text));
        warned = true;
    });
    marks[Layout] = monotonicMs();
    window.Form_Load();
    marks[Serial] = monotonicMs();
    if (warned)
        return 1;
    return showAndReport(window, marks, [&fonts] {
        using namespace std::chrono;
        return duration<double, std::milli>(fonts.finished().time_since_epoch()).count();
    });
}
