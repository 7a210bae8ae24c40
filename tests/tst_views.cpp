// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/consolewindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>

// The views of the window (Ctrl+H, the logo, the view button), END and the
// placement at start-up, driven through the real window.
class ViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void transitions_data();
    void transitions();
    void ctrlHReachesTheFocusedControl_data();
    void ctrlHReachesTheFocusedControl();
    void viewButtonRunsThePanelTimerOnce_data();
    void viewButtonRunsThePanelTimerOnce();
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

// One step of the operator, by name, or a key combination typed once.
void act(ConsoleWindow &c, const QString &step)
{
    MainWindow &w = *c.window;
    if (step == QLatin1String("hold Ctrl+H")) {
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
        const QKeySequence keys = QKeySequence::fromString(step, QKeySequence::PortableText);
        if (keys.count() != 1 || keys[0].key() == Qt::Key_unknown)
            qFatal("unknown step %s", qPrintable(step));
        QTest::keyClick(keyTarget(w), keys[0].key(), keys[0].keyboardModifiers());
    }
}

} // namespace

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

    // Ctrl+H alone opens the views: other keys and combinations change nothing.
    for (const char *keys : {"Ctrl+Shift+H", "Ctrl+Alt+H", "Ctrl+Shift+Alt+H", "H", "Shift+H",
                             "Alt+H", "Ctrl+G", "Ctrl+J", "Ctrl+Backspace"}) {
        QTest::addRow("normal, %s: nothing", keys) << L{keys} << 5350 << kShowData << false << 0;
        QTest::addRow("full, %s: nothing", keys)
            << L{"Ctrl+H", "logo", keys} << 9100 << kClose << true << 1;
    }
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
    // The client area is the whole-window height less the title bar and
    // border that the views allow for, whatever frame the platform draws.
    QCOMPARE(w.height(), px(twips - MainWindow::kDesignFrameTwips, w));
    QCOMPARE(viewButton->text(), caption);
    QCOMPARE(viewButton->accessibleName(), caption);
    QCOMPARE(viewButton->isVisible(), viewButtonShown);
    QCOMPARE(int(w.extendedView()), extendedView);
    // The window grows and shrinks at its bottom edge only.
    QCOMPARE(w.frameGeometry().left(), before.left());
    QCOMPARE(w.frameGeometry().top(), before.top());
    QCOMPARE(w.frameGeometry().width(), before.width());
    // The views send nothing.
    QVERIFY(c.fakes[1]->written.isEmpty());
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
    QTest::addColumn<QString>("typedBefore");
    QTest::addColumn<QString>("typedAfter");

    QTest::newRow("manual entry box") << "Text1" << "" << "";
    QTest::newRow("manual entry box, typing") << "Text1" << "ab" << "c";
    QTest::newRow("POWER ON button") << "Command17" << "" << "";
    QTest::newRow("address option") << "Option3" << "" << "";
    QTest::newRow("port option") << "Option1" << "" << "";
    QTest::newRow("END button") << "Command16" << "" << "";
}

void ViewsTest::ctrlHReachesTheFocusedControl()
{
    QFETCH(QString, focus);
    QFETCH(QString, typedBefore);
    QFETCH(QString, typedAfter);

    ConsoleWindow c;
    MainWindow &w = startActive(c);
    QWidget *control = c.control(focus);
    control->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(control->hasFocus());
    KeyRecorder recorder;
    control->installEventFilter(&recorder);

    QTest::keyClicks(control, typedBefore);
    COMPARE_HEIGHT(w, 5350);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier);
    COMPARE_HEIGHT(w, 7200);
    QTest::keyClicks(control, typedAfter);

    QCOMPARE(w.extendedView(), qint16(1));
    // The window saw Ctrl+H first and let it through to the control, which
    // keeps the focus; Ctrl+H is not a character of the text.
    const qsizetype at = typedBefore.size();
    QCOMPARE(recorder.presses.size(), at + 1 + typedAfter.size());
    QCOMPARE(recorder.presses.at(at).first, int(Qt::Key_H));
    QCOMPARE(recorder.presses.at(at).second, Qt::KeyboardModifiers(Qt::ControlModifier));
    QVERIFY(control->hasFocus());
    if (auto *box = qobject_cast<QLineEdit *>(control))
        QCOMPARE(box->text(), typedBefore + typedAfter);
}

void ViewsTest::viewButtonRunsThePanelTimerOnce_data()
{
    QTest::addColumn<bool>("panelShown");
    QTest::newRow("panel shown: its five seconds start anew") << true;
    QTest::newRow("panel hidden") << false;
}

void ViewsTest::viewButtonRunsThePanelTimerOnce()
{
    QFETCH(bool, panelShown);
    ConsoleWindow c;
    MainWindow &w = c.start();
    QWidget *panel = c.control(QStringLiteral("Frame8"));
    QTimer &timer3 = w.timer3();
    act(c, QStringLiteral("Ctrl+H"));
    if (panelShown) {
        c.click(QStringLiteral("Command33"));
        QVERIFY(panel->isVisible());
        QVERIFY(timer3.isActive());
        // Well into the panel's five seconds, the view button starts them anew.
        QTRY_VERIFY_WITH_TIMEOUT(timer3.remainingTime() < 3500, 3000);
    } else {
        QVERIFY(!timer3.isActive());
    }

    QSignalSpy ticks(&timer3, &QTimer::timeout);
    QElapsedTimer sinceClick;
    c.click(QStringLiteral("Command34"));
    sinceClick.start();
    QVERIFY(timer3.isActive());
    QVERIFY2(timer3.remainingTime() > 4800, qPrintable(QString::number(timer3.remainingTime())));
    QCOMPARE(panel->isVisible(), panelShown);

    QTRY_COMPARE_WITH_TIMEOUT(ticks.count(), 1, 8000);
    const qint64 firedAfter = sinceClick.elapsed();
    QVERIFY2(firedAfter >= 4900 && firedAfter < 6500, qPrintable(QString::number(firedAfter)));
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
    watch.onClose = [&] { atClose.append({probe(w).comm().portOpen(), line->isOpen(), w.isVisible()}); };
    w.installEventFilter(&watch);
    QSignalSpy ended(&w, &MainWindow::ended);
    connect(&w, &MainWindow::ended, this,
            [&] { atEnded.append({probe(w).comm().portOpen(), line->isOpen(), w.isVisible()}); });

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
    QVERIFY(!probe(w).comm().portOpen());
    QVERIFY(!line->isOpen());
    QVERIFY(line->written.isEmpty());
}

QTEST_MAIN(ViewsTest)
#include "tst_views.moc"
