// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/consolewindow.h"

#include <QSignalSpy>

// The port and speed choice: start-up, the port switch, the speed options,
// the "COM" button and the panel timer.
class PortPanelTest : public QObject
{
    Q_OBJECT

private slots:
    void startUpOpensPort1();
    void startUpWithPort1Missing();
    void switchToWorkingPort();
    void switchToFailingPort();
    void switchAfterFailureOpensThePort();
    void choosingTheSamePortAgainReopensIt();
    void speedWhileOpen_data();
    void speedWhileOpen();
    void refusedSpeedIsReported();
    void comButtonShowsPanelForFiveSeconds();
    void panelIsDrawnOverComButton();
};

static QString frame8Shown(const ConsoleWindow &c)
{
    return c.control(QStringLiteral("Frame8"))->isVisible() ? QStringLiteral("shown")
                                                            : QStringLiteral("hidden");
}

void PortPanelTest::startUpOpensPort1()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    QVERIFY(probe(w).comm().portOpen());
    QCOMPARE(probe(w).comm().commPort(), qint16(1));
    QCOMPARE(probe(w).comm().settings(), QStringLiteral("19200,N,8,1"));
    QCOMPARE(probe(w).state().CommSettings, QStringLiteral("19200,N,8,1"));
    QCOMPARE(c.fakes[1]->applied.baudRate, 19200);
    // The start-up opening and the switch that selecting "COM1" runs.
    QCOMPARE(c.fakes[1]->opens, 2);
    QVERIFY(c.control<QRadioButton>(QStringLiteral("Option1"))->isChecked());
    QVERIFY(!c.control<QRadioButton>(QStringLiteral("Option2"))->isChecked());
    QVERIFY(c.control<QRadioButton>(QStringLiteral("Option9"))->isChecked());
    QVERIFY(c.control<QRadioButton>(QStringLiteral("Option3"))->isChecked());
    QCOMPARE(frame8Shown(c), QStringLiteral("hidden"));
    QVERIFY(c.warnings.isEmpty());
    for (int n : {1, 2, 4})
        QVERIFY(!probe(w).timer(n).isActive());
    QVERIFY(!w.timer3().isActive());
    QCOMPARE(probe(w).state().AddressPrefix, QString());
}

void PortPanelTest::startUpWithPort1Missing()
{
    ConsoleWindow c;
    c.openFailures[1] = QStringLiteral("the device does not exist");
    MainWindow &w = c.start();
    QCOMPARE(c.warnings.size(), 1);
    QVERIFY(c.warnings.first().contains(QLatin1String("/dev/fake1")));
    QVERIFY(c.warnings.first().contains(QLatin1String("does not exist")));
    QVERIFY(c.warnings.first().contains(QLatin1String("right-click \"COM1\"")));
    QVERIFY(w.isVisible());
    QVERIFY(!probe(w).comm().portOpen());
    QVERIFY(c.control<QRadioButton>(QStringLiteral("Option1"))->isChecked());

    // A command now is refused and told without blocking the window.
    QSignalSpy told(&w.notice(), &RefusalNotice::told);
    c.openFullView();
    c.click(QStringLiteral("Command44"));
    QCOMPARE(told.count(), 1);
    QVERIFY(w.notice().isShown());
    QCOMPARE(c.txd(), QString());
    QCOMPARE(probe(w).state().ReplyPending, quint8(0));
    QVERIFY(!probe(w).timer(2).isActive());

    // The port panel opens the other port.
    c.click(QStringLiteral("Command33"));
    c.choose(QStringLiteral("Option2"));
    QVERIFY(probe(w).comm().portOpen());
    QCOMPARE(probe(w).comm().commPort(), qint16(2));
    QCOMPARE(frame8Shown(c), QStringLiteral("hidden"));
    QCOMPARE(c.warnings.size(), 1);
}

void PortPanelTest::switchToWorkingPort()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    c.click(QStringLiteral("Command33"));
    QCOMPARE(frame8Shown(c), QStringLiteral("shown"));
    c.choose(QStringLiteral("Option2"));
    QCOMPARE(probe(w).comm().commPort(), qint16(2));
    QVERIFY(probe(w).comm().portOpen());
    QVERIFY(!c.fakes[1]->isOpen());
    QCOMPARE(c.fakes[2]->applied.baudRate, 19200);
    QCOMPARE(frame8Shown(c), QStringLiteral("hidden"));
    QVERIFY(c.warnings.isEmpty());

    c.click(QStringLiteral("Command33"));
    c.choose(QStringLiteral("Option1"));
    QCOMPARE(probe(w).comm().commPort(), qint16(1));
    QVERIFY(c.fakes[1]->isOpen());
    QVERIFY(!c.fakes[2]->isOpen());
}

void PortPanelTest::switchToFailingPort()
{
    ConsoleWindow c;
    c.openFailures[2] = QStringLiteral("the device is in use by another program");
    MainWindow &w = c.start();
    c.click(QStringLiteral("Command33"));
    c.choose(QStringLiteral("Option2"));
    QCOMPARE(c.warnings.size(), 1);
    QVERIFY(c.warnings.first().contains(QLatin1String("Port 2")));
    QVERIFY(c.warnings.first().contains(QLatin1String("in use")));
    QCOMPARE(probe(w).comm().commPort(), qint16(1));
    QVERIFY(!probe(w).comm().portOpen());
    QVERIFY(c.control<QRadioButton>(QStringLiteral("Option2"))->isChecked());
    QCOMPARE(frame8Shown(c), QStringLiteral("shown"));
    // The panel timer still hides it.
    QTRY_COMPARE_WITH_TIMEOUT(frame8Shown(c), QStringLiteral("hidden"), 6000);
}

void PortPanelTest::switchAfterFailureOpensThePort()
{
    ConsoleWindow c;
    c.openFailures[2] = QStringLiteral("the device does not exist");
    MainWindow &w = c.start();
    c.click(QStringLiteral("Command33"));
    c.choose(QStringLiteral("Option2"));
    QVERIFY(!probe(w).comm().portOpen());
    c.choose(QStringLiteral("Option1"));
    QCOMPARE(probe(w).comm().commPort(), qint16(1));
    QVERIFY(probe(w).comm().portOpen());
    QCOMPARE(frame8Shown(c), QStringLiteral("hidden"));
    QCOMPARE(c.warnings.size(), 1);
    c.click(QStringLiteral("Command17"));
    QCOMPARE(c.fakes[1]->written, QByteArray("C00\r"));
}

void PortPanelTest::choosingTheSamePortAgainReopensIt()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    QSignalSpy told(&w.notice(), &RefusalNotice::told);
    c.fakes[1]->pullThePlug();
    QCOMPARE(told.count(), 1);
    QVERIFY(!probe(w).comm().portOpen());
    c.click(QStringLiteral("Command33"));
    c.choose(QStringLiteral("Option1"));
    QVERIFY(probe(w).comm().portOpen());
    QCOMPARE(probe(w).comm().commPort(), qint16(1));
    // With the port open, choosing it again changes nothing.
    const int opens = c.fakes[1]->opens;
    c.click(QStringLiteral("Command33"));
    c.choose(QStringLiteral("Option1"));
    QCOMPARE(c.fakes[1]->opens, opens);
}

void PortPanelTest::speedWhileOpen_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("baud");
    QTest::newRow("9600") << "Option10"
                          << "9600,N,8,1" << 9600;
    QTest::newRow("back to 19200") << "Option9"
                                   << "19200,N,8,1" << 19200;
}

void PortPanelTest::speedWhileOpen()
{
    QFETCH(QString, option);
    QFETCH(QString, settings);
    QFETCH(int, baud);
    ConsoleWindow c;
    MainWindow &w = c.start();
    if (option == QLatin1String("Option9")) {
        c.click(QStringLiteral("Command33"));
        c.choose(QStringLiteral("Option10"));
    }
    const int opens = c.fakes[1]->opens;
    c.click(QStringLiteral("Command33"));
    c.choose(option);
    QCOMPARE(probe(w).state().CommSettings, settings);
    QCOMPARE(probe(w).comm().settings(), settings);
    QCOMPARE(c.fakes[1]->applied.baudRate, baud);
    QVERIFY(probe(w).comm().portOpen());
    QCOMPARE(c.fakes[1]->opens, opens); // not closed for a change of speed
    QCOMPARE(frame8Shown(c), QStringLiteral("hidden"));
    // The port choice is a group of its own.
    QVERIFY(c.control<QRadioButton>(QStringLiteral("Option1"))->isChecked());
}

void PortPanelTest::refusedSpeedIsReported()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    c.fakes[1]->refuseSettings = true;
    c.click(QStringLiteral("Command33"));
    c.choose(QStringLiteral("Option10"));
    QCOMPARE(c.warnings.size(), 1);
    QVERIFY(c.warnings.first().contains(QLatin1String("refused")));
    QCOMPARE(probe(w).state().CommSettings, QStringLiteral("19200,N,8,1"));
    QCOMPARE(probe(w).comm().settings(), QStringLiteral("19200,N,8,1"));
    // The option of the speed still in force is the one marked.
    QVERIFY(c.control<QRadioButton>(QStringLiteral("Option9"))->isChecked());
    QVERIFY(!c.control<QRadioButton>(QStringLiteral("Option10"))->isChecked());
    QCOMPARE(c.fakes[1]->applied.baudRate, 19200);
}

void PortPanelTest::comButtonShowsPanelForFiveSeconds()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    QElapsedTimer clock;
    c.click(QStringLiteral("Command33"));
    clock.start();
    QCOMPARE(frame8Shown(c), QStringLiteral("shown"));
    QVERIFY(w.timer3().isActive());
    QCOMPARE(w.timer3().interval(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(frame8Shown(c), QStringLiteral("hidden"), 6000);
    QVERIFY(clock.elapsed() >= 4900);
    QVERIFY(!w.timer3().isActive());
}

// Every pixel of the shown panel is the panel's own: the window drawn with
// the COM button behind it looks, inside the panel, exactly as without it.
void PortPanelTest::panelIsDrawnOverComButton()
{
    ConsoleWindow c;
    MainWindow &w = c.start();
    c.click(QStringLiteral("Command33"));
    QWidget *panel = c.control(QStringLiteral("Frame8"));
    QWidget *com = c.control(QStringLiteral("Command33"));
    const QRect area(panel->mapTo(&w, QPoint()), panel->size());
    QVERIFY(area.contains(QRect(com->mapTo(&w, QPoint()), com->size())));
    const QImage withButton = w.grab(area).toImage();
    com->hide();
    const QImage withoutButton = w.grab(area).toImage();
    com->show();
    QCOMPARE(withButton.size(), area.size() * w.devicePixelRatioF());
    int differing = 0;
    for (int y = 0; y < withButton.height(); ++y)
        for (int x = 0; x < withButton.width(); ++x)
            differing += withButton.pixel(x, y) != withoutButton.pixel(x, y);
    QCOMPARE(differing, 0);
}

QTEST_MAIN(PortPanelTest)
#include "tst_portpanel.moc"
