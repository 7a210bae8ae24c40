#include "support/consolewindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>

// The views of the window (Ctrl+H, the logo, the view button), END and the
// placement at start-up, driven through the real window.
class ViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void viewHeightsAreWholeWindowHeights_data();
    void viewHeightsAreWholeWindowHeights();
    void transitions_data();
    void transitions();
    void otherKeysDoNothing_data();
    void otherKeysDoNothing();
    void ctrlHReachesTheFocusedControl_data();
    void ctrlHReachesTheFocusedControl();
    void typedCtrlHStaysInTheManualEntryBox();
    void viewButtonRestartsThePanelTimer();
    void viewButtonAloneRunsThePanelTimerOnce();
    void startUpPlacement();
    void endClosesThePortBeforeTheWindowGoes();
    void closingByTheFrameReleasesThePort();
};

// The height the window reads back is the one set, to the pixel (15 twips).
#define COMPARE_HEIGHT(window, twips)                                                           \
    QVERIFY2(qAbs((window).windowHeightTwips() - (twips)) <= 7,                                 \
             qPrintable(QStringLiteral("height %1 twips, expected %2")                          \
                            .arg((window).windowHeightTwips())                                  \
                            .arg(twips)))

namespace {

const QString kShowData = QStringLiteral("データを表示する");
const QString kHideData = QStringLiteral("データを表示しない");
const QString kClose = QStringLiteral("CLOSE");

qreal dpiOf(const QWidget &w)
{
    return w.screen()->logicalDotsPerInchY();
}

int px(int twips, const QWidget &w)
{
    return qRound(twips * dpiOf(w) / 1440.0);
}

// Starts the window and makes it the active one, so that focus can be given.
MainWindow &startActive(ConsoleWindow &c)
{
    MainWindow &w = c.start();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("window not active");
    return w;
}

QWidget *keyTarget(MainWindow &w)
{
    QWidget *focus = QApplication::focusWidget();
    return focus && focus->window() == &w ? focus : &w;
}

void sendAutoRepeat(QWidget *target, Qt::Key key, Qt::KeyboardModifiers mods)
{
    QKeyEvent repeat(QEvent::KeyPress, key, mods, QString(), true);
    QApplication::sendEvent(target, &repeat);
}

// One step of the operator, by name.
void act(ConsoleWindow &c, const QString &step)
{
    MainWindow &w = *c.window;
    if (step == QLatin1String("Ctrl+H")) {
        QTest::keyClick(keyTarget(w), Qt::Key_H, Qt::ControlModifier);
    } else if (step == QLatin1String("hold Ctrl+H")) {
        // Held down: one press, then the repeats of the keyboard, then the release.
        QWidget *target = keyTarget(w);
        QTest::keyPress(target, Qt::Key_H, Qt::ControlModifier);
        for (int i = 0; i < 5; ++i)
            sendAutoRepeat(target, Qt::Key_H, Qt::ControlModifier);
        QTest::keyRelease(target, Qt::Key_H, Qt::ControlModifier);
    } else if (step == QLatin1String("logo")) {
        QTest::mouseDClick(c.control(QStringLiteral("Image1")), Qt::LeftButton);
    } else if (step == QLatin1String("view button")) {
        c.click(QStringLiteral("Command34"));
    } else if (step == QLatin1String("view button by keyboard")) {
        auto *button = c.control<QPushButton>(QStringLiteral("Command34"));
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Space);
    } else {
        qFatal("unknown step %s", qPrintable(step));
    }
}

} // namespace

void ViewsTest::viewHeightsAreWholeWindowHeights_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("twips");

    QTest::newRow("normal") << QStringList{} << 5350;
    QTest::newRow("data") << QStringList{"Ctrl+H", "view button", "view button"} << 6645;
    QTest::newRow("extended") << QStringList{"Ctrl+H"} << 7200;
    QTest::newRow("full") << QStringList{"Ctrl+H", "logo"} << 9100;
}

void ViewsTest::viewHeightsAreWholeWindowHeights()
{
    QFETCH(QStringList, steps);
    QFETCH(int, twips);

    ConsoleWindow c;
    MainWindow &w = c.start();
    for (const QString &step : steps)
        act(c, step);

    // The client area is the whole-window height less the title bar and
    // border that the views allow for, whatever frame the platform draws.
    QCOMPARE(w.height(), px(twips - MainWindow::kDesignFrameTwips, w));
    COMPARE_HEIGHT(w, twips);
}

void ViewsTest::transitions_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("viewButtonShown");
    QTest::addColumn<int>("extendedView");

    using L = QStringList;
    QTest::newRow("start") << L{} << 5350 << kShowData << false << 0;
    QTest::newRow("normal, logo: nothing") << L{"logo"} << 5350 << kShowData << false << 0;
    QTest::newRow("normal, Ctrl+H: extended") << L{"Ctrl+H"} << 7200 << kClose << true << 1;
    QTest::newRow("extended, Ctrl+H again: no change")
        << L{"Ctrl+H", "Ctrl+H"} << 7200 << kClose << true << 1;
    QTest::newRow("extended, Ctrl+H held: no change")
        << L{"Ctrl+H", "hold Ctrl+H"} << 7200 << kClose << true << 1;
    QTest::newRow("normal, Ctrl+H held: extended")
        << L{"hold Ctrl+H"} << 7200 << kClose << true << 1;
    QTest::newRow("extended, logo: full") << L{"Ctrl+H", "logo"} << 9100 << kClose << true << 1;
    QTest::newRow("full, logo again: no change")
        << L{"Ctrl+H", "logo", "logo"} << 9100 << kClose << true << 1;
    QTest::newRow("full, Ctrl+H: back to extended")
        << L{"Ctrl+H", "logo", "Ctrl+H"} << 7200 << kClose << true << 1;
    QTest::newRow("full, Ctrl+H held: extended")
        << L{"Ctrl+H", "logo", "hold Ctrl+H"} << 7200 << kClose << true << 1;
    QTest::newRow("extended, CLOSE: normal")
        << L{"Ctrl+H", "view button"} << 5350 << kShowData << true << 0;
    QTest::newRow("full, CLOSE: normal")
        << L{"Ctrl+H", "logo", "view button"} << 5350 << kShowData << true << 0;
    QTest::newRow("after CLOSE, logo: nothing")
        << L{"Ctrl+H", "logo", "view button", "logo"} << 5350 << kShowData << true << 0;
    QTest::newRow("normal, view button: data")
        << L{"Ctrl+H", "view button", "view button"} << 6645 << kHideData << true << 0;
    QTest::newRow("data, logo: nothing")
        << L{"Ctrl+H", "view button", "view button", "logo"} << 6645 << kHideData << true << 0;
    QTest::newRow("data, view button: normal")
        << L{"Ctrl+H", "view button", "view button", "view button"} << 5350 << kShowData << true
        << 0;
    QTest::newRow("data, Ctrl+H: extended")
        << L{"Ctrl+H", "view button", "view button", "Ctrl+H"} << 7200 << kClose << true << 1;
    QTest::newRow("data, Ctrl+H, logo: full")
        << L{"Ctrl+H", "view button", "view button", "Ctrl+H", "logo"} << 9100 << kClose << true
        << 1;
    QTest::newRow("after CLOSE, Ctrl+H, logo: full")
        << L{"Ctrl+H", "view button", "Ctrl+H", "logo"} << 9100 << kClose << true << 1;
    QTest::newRow("normal, view button by keyboard: data")
        << L{"Ctrl+H", "view button", "view button by keyboard"} << 6645 << kHideData << true << 0;
    QTest::newRow("data, view button by keyboard: normal")
        << L{"Ctrl+H", "view button", "view button by keyboard", "view button by keyboard"} << 5350
        << kShowData << true << 0;
}

void ViewsTest::transitions()
{
    QFETCH(QStringList, steps);
    QFETCH(int, twips);
    QFETCH(QString, caption);
    QFETCH(bool, viewButtonShown);
    QFETCH(int, extendedView);

    ConsoleWindow c;
    MainWindow &w = startActive(c);
    const QRect before = w.frameGeometry();
    for (const QString &step : steps)
        act(c, step);

    auto *viewButton = c.control<QPushButton>(QStringLiteral("Command34"));
    COMPARE_HEIGHT(w, twips);
    QCOMPARE(viewButton->text(), caption);
    QCOMPARE(viewButton->accessibleName(), caption);
    QCOMPARE(viewButton->isVisible(), viewButtonShown);
    QCOMPARE(int(w.state().ExtendedView), extendedView);
    // The window grows and shrinks at its bottom edge only.
    QCOMPARE(w.frameGeometry().left(), before.left());
    QCOMPARE(w.frameGeometry().top(), before.top());
    QCOMPARE(w.frameGeometry().width(), before.width());
    // The views send nothing.
    QVERIFY(c.fakes[1]->written.isEmpty());
}

void ViewsTest::otherKeysDoNothing_data()
{
    QTest::addColumn<bool>("fromFull");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");

    const struct
    {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } combos[] = {
        {"Ctrl+Shift+H", Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier},
        {"Ctrl+Alt+H", Qt::Key_H, Qt::ControlModifier | Qt::AltModifier},
        {"Ctrl+Shift+Alt+H", Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier},
        {"H", Qt::Key_H, Qt::NoModifier},
        {"Shift+H", Qt::Key_H, Qt::ShiftModifier},
        {"Alt+H", Qt::Key_H, Qt::AltModifier},
        {"Ctrl+G", Qt::Key_G, Qt::ControlModifier},
        {"Ctrl+J", Qt::Key_J, Qt::ControlModifier},
        {"Ctrl+Backspace", Qt::Key_Backspace, Qt::ControlModifier},
    };
    for (const auto &combo : combos) {
        QTest::addRow("normal, %s", combo.name) << false << int(combo.key) << combo.modifiers;
        QTest::addRow("full, %s", combo.name) << true << int(combo.key) << combo.modifiers;
    }
}

void ViewsTest::otherKeysDoNothing()
{
    QFETCH(bool, fromFull);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);

    ConsoleWindow c;
    MainWindow &w = startActive(c);
    if (fromFull)
        c.openFullView();
    const int height = w.windowHeightTwips();
    const qint16 extendedView = w.state().ExtendedView;
    auto *viewButton = c.control<QPushButton>(QStringLiteral("Command34"));
    const QString caption = viewButton->text();
    const bool shown = viewButton->isVisible();

    QTest::keyClick(keyTarget(w), Qt::Key(key), modifiers);

    QCOMPARE(w.windowHeightTwips(), height);
    COMPARE_HEIGHT(w, fromFull ? 9100 : 5350);
    QCOMPARE(w.state().ExtendedView, extendedView);
    QCOMPARE(viewButton->text(), caption);
    QCOMPARE(viewButton->isVisible(), shown);
}

// Records the key presses that reach a control, the modifier keys aside.
class KeyRecorder : public QObject
{
public:
    QList<QPair<int, Qt::KeyboardModifiers>> presses;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            const int k = key->key();
            if (k != Qt::Key_Control && k != Qt::Key_Shift && k != Qt::Key_Alt
                && k != Qt::Key_Meta)
                presses.append({k, key->modifiers()});
        }
        return false;
    }
};

void ViewsTest::ctrlHReachesTheFocusedControl_data()
{
    QTest::addColumn<QString>("focus");

    QTest::newRow("manual entry box") << QStringLiteral("Text1");
    QTest::newRow("POWER ON button") << QStringLiteral("Command17");
    QTest::newRow("address option") << QStringLiteral("Option3");
    QTest::newRow("port option") << QStringLiteral("Option1");
    QTest::newRow("END button") << QStringLiteral("Command16");
}

void ViewsTest::ctrlHReachesTheFocusedControl()
{
    QFETCH(QString, focus);

    ConsoleWindow c;
    MainWindow &w = startActive(c);
    QWidget *control = c.control(focus);
    control->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(control->hasFocus());
    KeyRecorder recorder;
    control->installEventFilter(&recorder);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier);

    COMPARE_HEIGHT(w, 7200);
    QCOMPARE(w.state().ExtendedView, qint16(1));
    // The window saw the key first and let it through.
    QCOMPARE(recorder.presses.size(), 1);
    QCOMPARE(recorder.presses.first().first, int(Qt::Key_H));
    QCOMPARE(recorder.presses.first().second, Qt::KeyboardModifiers(Qt::ControlModifier));
    QVERIFY(control->hasFocus());
}

void ViewsTest::typedCtrlHStaysInTheManualEntryBox()
{
    ConsoleWindow c;
    MainWindow &w = startActive(c);
    auto *box = c.control<QLineEdit>(QStringLiteral("Text1"));
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
    KeyRecorder recorder;
    box->installEventFilter(&recorder);

    QTest::keyClicks(box, QStringLiteral("ab"));
    COMPARE_HEIGHT(w, 5350);
    QTest::keyClick(box, Qt::Key_H, Qt::ControlModifier);
    COMPARE_HEIGHT(w, 7200);
    QTest::keyClicks(box, QStringLiteral("c"));

    // a, b, Ctrl+H, c: all four reached the box, which still holds the focus;
    // Ctrl+H is not a character of the text.
    QCOMPARE(recorder.presses.size(), 4);
    QCOMPARE(recorder.presses.at(2).first, int(Qt::Key_H));
    QCOMPARE(recorder.presses.at(2).second, Qt::KeyboardModifiers(Qt::ControlModifier));
    QCOMPARE(box->text(), QStringLiteral("abc"));
    QVERIFY(box->hasFocus());
    QCOMPARE(w.state().ExtendedView, qint16(1));
}

void ViewsTest::viewButtonRestartsThePanelTimer()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    QWidget *panel = c.control(QStringLiteral("Frame8"));
    QTimer &timer3 = w.timer(3);
    act(c, QStringLiteral("Ctrl+H"));
    c.click(QStringLiteral("Command33"));
    QVERIFY(panel->isVisible());
    QVERIFY(timer3.isActive());

    // Well into the panel's five seconds, the view button starts them anew.
    QTRY_VERIFY_WITH_TIMEOUT(timer3.remainingTime() < 3500, 3000);
    QElapsedTimer sinceClick;
    c.click(QStringLiteral("Command34"));
    sinceClick.start();
    QVERIFY(timer3.isActive());
    QVERIFY2(timer3.remainingTime() > 4800, qPrintable(QString::number(timer3.remainingTime())));
    QVERIFY(panel->isVisible());

    QTRY_VERIFY_WITH_TIMEOUT(!panel->isVisible(), 8000);
    const qint64 hiddenAfter = sinceClick.elapsed();
    QVERIFY2(hiddenAfter >= 4900 && hiddenAfter < 6500, qPrintable(QString::number(hiddenAfter)));
    QVERIFY(!timer3.isActive());
}

void ViewsTest::viewButtonAloneRunsThePanelTimerOnce()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    QWidget *panel = c.control(QStringLiteral("Frame8"));
    QTimer &timer3 = w.timer(3);
    act(c, QStringLiteral("Ctrl+H"));
    QVERIFY(!timer3.isActive());

    QSignalSpy ticks(&timer3, &QTimer::timeout);
    c.click(QStringLiteral("Command34"));
    QVERIFY(timer3.isActive());
    QTRY_COMPARE_WITH_TIMEOUT(ticks.count(), 1, 7000);
    QVERIFY(!timer3.isActive());
    QVERIFY(!panel->isVisible());
}

void ViewsTest::startUpPlacement()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    const QRect screen = w.screen()->geometry();
    const QRect frame = w.frameGeometry();
    const QRect client = w.geometry();
    const int frameHeight = frame.height() - client.height();

    QCOMPARE(client.width(), px(9495, w));
    COMPARE_HEIGHT(w, 5350);
    // Centred at the design height (client area 8730 and the frame), then
    // shortened at the bottom: the top stays where the tall window had it.
    const double designHeight = px(8730, w) + frameHeight;
    const double top = screen.top() + (screen.height() - designHeight) / 2;
    const double left = screen.left() + (screen.width() - frame.width()) / 2.0;
    QVERIFY2(qAbs(frame.top() - top) <= 1 && qAbs(frame.left() - left) <= 1,
             qPrintable(QStringLiteral("top %1, expected %2; left %3, expected %4")
                            .arg(frame.top())
                            .arg(top)
                            .arg(frame.left())
                            .arg(left)));
    QVERIFY(frame.center().y() < screen.center().y());
}

void ViewsTest::endClosesThePortBeforeTheWindowGoes()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    FakeLine *line = c.fakes[1];
    QVERIFY(line->isOpen());
    const QByteArray writtenBefore = line->written;

    // What the port was when the window began to go, and when END was told.
    struct Seen
    {
        bool portOpen;
        bool lineOpen;
        bool windowVisible;
    };
    QList<Seen> atClose, atEnded;
    class CloseWatch : public QObject
    {
    public:
        std::function<void()> onClose;

    protected:
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Close || event->type() == QEvent::Hide)
                onClose();
            return false;
        }
    } watch;
    watch.onClose = [&] { atClose.append({w.comm().portOpen(), line->isOpen(), w.isVisible()}); };
    w.installEventFilter(&watch);
    QSignalSpy ended(&w, &MainWindow::ended);
    connect(&w, &MainWindow::ended, this,
            [&] { atEnded.append({w.comm().portOpen(), line->isOpen(), w.isVisible()}); });

    c.click(QStringLiteral("Command16"));

    QCOMPARE(ended.count(), 1);
    QVERIFY(!atClose.isEmpty());
    for (const Seen &seen : std::as_const(atClose)) {
        QVERIFY(!seen.portOpen);
        QVERIFY(!seen.lineOpen);
    }
    QCOMPARE(atEnded.size(), 1);
    QVERIFY(!atEnded.first().portOpen);
    QVERIFY(!atEnded.first().lineOpen);
    QVERIFY(!atEnded.first().windowVisible);
    QVERIFY(!w.isVisible());
    QCOMPARE(line->written, writtenBefore);
    QVERIFY(line->writes.isEmpty());
    w.removeEventFilter(&watch);
}

void ViewsTest::closingByTheFrameReleasesThePort()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    FakeLine *line = c.fakes[1];
    QVERIFY(line->isOpen());

    QVERIFY(w.close());

    QVERIFY(!w.isVisible());
    QVERIFY(!w.comm().portOpen());
    QVERIFY(!line->isOpen());
    QVERIFY(line->written.isEmpty());
}

QTEST_MAIN(ViewsTest)
#include "tst_views.moc"
