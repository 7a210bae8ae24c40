// Saves a picture of the console window in each of its four views, as the
// offscreen platform draws it: view-normal.png, view-data.png,
// view-extended.png and view-full.png in the directory given (default ".").

#include "app/mainwindow.h"
#include "app/views.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextStream>

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

    return ok ? 0 : 1;
}
