// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of the console window in each of its four views, as the
// offscreen platform draws it: view-normal.png, view-data.png,
// view-extended.png and view-full.png in the directory given (default "."),
// and port-chooser.png: the port panel as designed beside the same panel
// with the device menu of COM1 open.

#include "app/devicechooser.h"
#include "app/mainwindow.h"
#include "app/portdevices.h"
#include "app/views.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <pty.h>
#include <unistd.h>

#ifdef CONSOLE_SCREENSHOTS_SIM
#include "sim/simulatedline.h"
#endif

namespace {

std::unique_ptr<CommLine> makeLine([[maybe_unused]] int port)
{
#ifdef CONSOLE_SCREENSHOTS_SIM
    return std::make_unique<SimulatedLine>();
#else
    return nullptr;
#endif
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Waits, with the event loop running, until `done` holds or `ms` have passed.
bool waitFor(const std::function<bool()> &done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

bool save(MainWindow &window, const QDir &dir, const QString &file)
{
    settle();
    const QString path = dir.filePath(file);
    if (!window.grab().save(path)) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

// A status query answered, so that the traffic lines carry text when the
// view is taken. The display hold blanks them a second later.
void queryPower(MainWindow &window)
{
    auto *status = window.control<QPushButton>(QStringLiteral("Command44"));
    auto *statusLine = window.control<QLabel>(QStringLiteral("Label22"));
    status->click();
    waitFor([statusLine] { return !statusLine->text().isEmpty(); }, 800);
}

// Two adapters as udev names them, each a pseudo-terminal standing in for
// the device, so the menu shows what a user sees.
bool addAdapters(const QDir &byId, QList<int> &masters)
{
    for (const char *name : {"usb-FTDI_FT232R_USB_UART_A10K3B2Q-if00-port0",
                             "usb-Prolific_Technology_Inc._USB-Serial_Controller_D-if00-port0"}) {
        int master = -1;
        int slave = -1;
        char path[256] = {};
        if (::openpty(&master, &slave, path, nullptr, nullptr) != 0)
            return false;
        ::close(slave);
        masters << master;
        if (!QFile::link(QString::fromLocal8Bit(path), byId.filePath(QLatin1String(name))))
            return false;
    }
    return true;
}

// The port panel with a margin, as the window shows it.
QImage panelPicture(MainWindow &window, QMenu *menu = nullptr)
{
    settle();
    QWidget *panel = window.control(QStringLiteral("Frame8"));
    QRect area = panel->geometry().adjusted(-24, -24, 24, 24) & window.rect();
    QRect menuArea;
    if (menu) {
        menuArea = QRect(window.mapFromGlobal(menu->pos()), menu->size());
        area |= menuArea.adjusted(0, 0, 8, 8);
    }
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(QColor(0xC0C0C0));
    QPainter painter(&picture);
    const QRect inWindow = area & window.rect();
    painter.drawPixmap(inWindow.topLeft() - area.topLeft(), window.grab(inWindow));
    if (menu)
        painter.drawPixmap(menuArea.topLeft() - area.topLeft(), menu->grab());
    return picture;
}

bool savePortChooser(const QDir &dir)
{
    QTemporaryDir settings;
    QTemporaryDir byId;
    QList<int> masters;
    const auto closeMasters = qScopeGuard([&masters] {
        for (int master : masters)
            ::close(master);
    });
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    if (!settings.isValid() || !byId.isValid() || !addAdapters(QDir(byId.path()), masters)) {
        QTextStream(stderr) << "cannot stage the serial adapters\n";
        return false;
    }
    PortDevices ports;
    ports.overrideForThisRun(1, QStringLiteral("sim"));
    MainWindow window(ports.lines());
    window.setWarningBox([](const QString &) {});
    DeviceChooser chooser(window, ports, byId.path());
    window.Form_Load();
    window.show();
    window.control<QPushButton>(QStringLiteral("Command33"))->click();
    const QImage designed = panelPicture(window);

    QWidget *com1 = window.control(QStringLiteral("Option1"));
    chooser.popup(1, com1->mapToGlobal(QPoint(com1->width() / 2, com1->height())));
    const QImage chosen = panelPicture(window, chooser.menu());

    const int gap = 16;
    QImage both(designed.width() + gap + chosen.width(),
                std::max(designed.height(), chosen.height()), QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawImage(0, 0, designed);
    painter.drawImage(designed.width() + gap, 0, chosen);
    painter.end();
    const QString path = dir.filePath(QStringLiteral("port-chooser.png"));
    if (!both.save(path)) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    if (!dir.exists()) {
        QTextStream(stderr) << "no directory " << dir.path() << '\n';
        return 1;
    }

    MainWindow window(makeLine);
    window.setWarningBox([](const QString &description) {
        QTextStream(stderr) << "port warning: " << description << '\n';
    });
    window.Form_Load();
    window.show();
    settle();

    bool ok = save(window, dir, QStringLiteral("view-normal.png"));

    // The operator's road through the views: Ctrl+H, a double-click on the
    // logo, "CLOSE", then the view button once more for the data view.
    QKeyEvent ctrlH(QEvent::KeyPress, Qt::Key_H, Qt::ControlModifier);
    QApplication::sendEvent(&window, &ctrlH);
    ok = save(window, dir, QStringLiteral("view-extended.png")) && ok;

    QWidget *logo = window.control(QStringLiteral("Image1"));
    const QPoint centre = logo->rect().center();
    QMouseEvent dblClick(QEvent::MouseButtonDblClick, centre, logo->mapToGlobal(centre),
                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(logo, &dblClick);
    window.control<QLineEdit>(QStringLiteral("Text1"))->setText(QStringLiteral("CR0"));
    queryPower(window);
    ok = save(window, dir, QStringLiteral("view-full.png")) && ok;
    if (window.windowHeightTwips() < Views::kFull - 15)
        QTextStream(stderr) << "the full view did not open\n";

    auto *viewButton = window.control<QPushButton>(QStringLiteral("Command34"));
    viewButton->click();
    viewButton->click();
    waitFor(
        [&window] { return window.control<QLabel>(QStringLiteral("Label22"))->text().isEmpty(); },
        1500);
    queryPower(window);
    ok = save(window, dir, QStringLiteral("view-data.png")) && ok;
    ok = savePortChooser(dir) && ok;

    return ok ? 0 : 1;
}
