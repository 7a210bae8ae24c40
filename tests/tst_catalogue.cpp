// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/consolewindow.h"
#include "support/ptypair.h"

#include <QSignalSpy>

// The one-shot buttons, clicked in the real window with port 1 on a real
// pseudo-terminal: what reaches the far end, the interval pair each click
// leaves behind, the menu context, and refused transmissions.
class CatalogueTest : public QObject
{
    Q_OBJECT

private slots:
    void everyOneShot_data();
    void everyOneShot();
    void menuContext_data();
    void menuContext();
    void refusedClickEndsTheHandler_data();
    void refusedClickEndsTheHandler();
    void keyboardClicksFocusedButton_data();
    void keyboardClicksFocusedButton();
};

void CatalogueTest::everyOneShot_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QByteArray>("beforeBytes");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("replyWindow");
    QTest::addColumn<int>("displayHold");

    const auto row = [](const char *tag, const char *button, const char *bytes, int reply,
                        int hold) {
        QTest::newRow(tag) << QString() << QByteArray() << QString::fromLatin1(button)
                           << QByteArray(bytes) << reply << hold;
    };
    row("POWER ON", "Command17", "C00\r", 500, 1000);
    row("POWER OFF", "Command18", "C01\r", 500, 1000);
    row("INPUT MODE 1", "Command27", "C05\r", 500, 1000);
    row("INPUT MODE 2", "Command28", "C06\r", 500, 1000);
    row("INPUT MODE 3", "Command29", "C07\r", 500, 1000);
    row("INPUT MODE 4", "Command53", "C08\r", 500, 1000);
    row("SOUND MUTE ON", "Command19", "C0B\r", 500, 1000);
    row("SOUND MUTE OFF", "Command20", "C0C\r", 500, 1000);
    row("NO SHOW ON", "Command21", "C0D\r", 500, 1000);
    row("NO SHOW OFF", "Command22", "C0E\r", 500, 1000);
    row("AV Size Regular", "Command31", "C0F\r", 500, 1000);
    row("AV Size Wide", "Command32", "C10\r", 500, 1000);
    row("MENU ON", "Command23", "C1C\r", 500, 1000);
    row("MENU OFF", "Command24", "C1D\r", 500, 1000);
    row("FREEZE ON", "Command25", "C43\r", 500, 1000);
    row("FREEZE OFF", "Command26", "C44\r", 500, 1000);
    row("A-IMAGE", "Command13", "C89\r", 500, 1000);
    row("IMAGE", "Command30", "C27\r", 500, 1000);
    row("P-TIMER", "Command14", "C8A\r", 500, 1000);
    row("DISPLAY CLEAR", "Command3", "C1E\r", 500, 1000);
    row("STAND", "Command4", "CF IMAGE STAND\r", 2000, 2500);
    row("REAL", "Command10", "CF IMAGE REAL\r", 2000, 2500);
    row("CINEMA", "Command11", "CF IMAGE CINEMA\r", 2000, 2500);
    row("IMAGE1", "Command39", "CF IMAGE IMAGE1\r", 2000, 2500);
    row("IMAGE2", "Command40", "CF IMAGE IMAGE2\r", 2000, 2500);
    row("IMAGE3", "Command41", "CF IMAGE IMAGE3\r", 2000, 2500);
    row("IMAGE4", "Command42", "CF IMAGE IMAGE4\r", 2000, 2500);
    row("LAMP 4 LAMP", "Command56", "C70\r", 500, 1000);
    row("LAMP 1-4", "Command57", "C71\r", 500, 1000);
    row("LAMP 2-3", "Command58", "C72\r", 500, 1000);
    row("FAN MAX", "Command97", "CF FANSPEED MAX\r", 500, 1000);
    row("FAN NOR", "Command98", "CF FANSPEED NOR\r", 500, 1000);
    row("STATUS", "Command44", "CR0\r", 500, 1000);
    row("MODE", "Command45", "CR1\r", 500, 1000);
    row("L-TIME", "Command46", "CR3\r", 500, 1000);
    row("SETTING", "Command47", "CR4\r", 500, 1000);
    row("TEMP", "Command54", "CR6\r", 500, 1000);
    row("L-MODE", "Command55", "CR7\r", 500, 1000);
    row("PC type", "Command38", "CR9\r", 500, 1000);
    row("SETTING 2", "Command12", "CRA\r", 500, 1000);
    row("P-FAIL", "Command52", "CR INFPFAIL\r", 2000, 2500);
    row("PRESSURE", "Command99", "CR PRESSURE\r", 500, 1000);
    row("1 DVI", "Command63", "CF INPUT1 DIGITAL\r", 5000, 5500);
    row("1 RGB", "Command64", "CF INPUT1 ANALOG\r", 5000, 5500);
    row("1 VIDEO", "Command65", "CF INPUT1 VIDEO\r", 5000, 5500);
    row("1 YPbPr", "Command66", "CF INPUT1 YPBPR\r", 5000, 5500);
    row("1 YCbCr", "Command67", "CF INPUT1 YCBCR\r", 5000, 5500);
    row("1 S-VIDEO", "Command68", "CF INPUT1 S-VIDEO\r", 5000, 5500);
    row("1 YC", "Command69", "CF INPUT1 YC\r", 5000, 5500);
    row("1 SDI", "Command70", "CF INPUT1 HD-SDI\r", 5000, 5500);
    row("2 DVI", "Command71", "CF INPUT2 DIGITAL\r", 5000, 5500);
    row("2 RGB", "Command72", "CF INPUT2 ANALOG\r", 5000, 5500);
    row("2 VIDEO", "Command73", "CF INPUT2 VIDEO\r", 5000, 5500);
    row("2 YPbPr", "Command74", "CF INPUT2 YPBPR\r", 5000, 5500);
    row("2 YCbCr", "Command75", "CF INPUT2 YCBCR\r", 5000, 5500);
    row("2 S-VIDEO", "Command76", "CF INPUT2 S-VIDEO\r", 5000, 5500);
    row("2 YC", "Command77", "CF INPUT2 YC\r", 5000, 5500);
    row("2 SDI", "Command78", "CF INPUT2 HD-SDI\r", 5000, 5500);
    row("3 DVI", "Command79", "CF INPUT3 DIGITAL\r", 5000, 5500);
    row("3 RGB", "Command80", "CF INPUT3 ANALOG\r", 5000, 5500);
    row("3 VIDEO", "Command81", "CF INPUT3 VIDEO\r", 5000, 5500);
    row("3 YPbPr", "Command82", "CF INPUT3 YPBPR\r", 5000, 5500);
    row("3 YCbCr", "Command83", "CF INPUT3 YCBCR\r", 5000, 5500);
    row("3 S-VIDEO", "Command84", "CF INPUT3 S-VIDEO\r", 5000, 5500);
    row("3 YC", "Command85", "CF INPUT3 YC\r", 5000, 5500);
    row("3 SDI", "Command86", "CF INPUT3 HD-SDI\r", 5000, 5500);
    row("4 DVI", "Command87", "CF INPUT4 DIGITAL\r", 5000, 5500);
    row("4 RGB", "Command88", "CF INPUT4 ANALOG\r", 5000, 5500);
    row("4 VIDEO", "Command89", "CF INPUT4 VIDEO\r", 5000, 5500);
    row("4 YPbPr", "Command90", "CF INPUT4 YPBPR\r", 5000, 5500);
    row("4 YCbCr", "Command91", "CF INPUT4 YCBCR\r", 5000, 5500);
    row("4 S-VIDEO", "Command92", "CF INPUT4 S-VIDEO\r", 5000, 5500);
    row("4 YC", "Command93", "CF INPUT4 YC\r", 5000, 5500);
    row("4 SDI", "Command94", "CF INPUT4 HD-SDI\r", 5000, 5500);

    // A pair lasts until someone sets another: plain and menu-context buttons
    // inherit it, long-window buttons replace it.
    QTest::newRow("PRESSURE after P-FAIL") << "Command52" << QByteArray("CR INFPFAIL\r")
                                           << "Command99" << QByteArray("CR PRESSURE\r") << 2000 << 2500;
    QTest::newRow("STATUS after 4 SDI") << "Command94" << QByteArray("CF INPUT4 HD-SDI\r")
                                        << "Command44" << QByteArray("CR0\r") << 5000 << 5500;
    QTest::newRow("MENU ON after REAL") << "Command10" << QByteArray("CF IMAGE REAL\r")
                                        << "Command23" << QByteArray("C1C\r") << 2000 << 2500;
    QTest::newRow("REAL after 1 DVI") << "Command63" << QByteArray("CF INPUT1 DIGITAL\r")
                                      << "Command10" << QByteArray("CF IMAGE REAL\r") << 2000 << 2500;
}

void CatalogueTest::everyOneShot()
{
    QFETCH(QString, before);
    QFETCH(QByteArray, beforeBytes);
    QFETCH(QString, button);
    QFETCH(QByteArray, bytes);
    QFETCH(int, replyWindow);
    QFETCH(int, displayHold);

    PtyPair pty;
    QVERIFY(pty.isValid());
    ConsoleWindow c;
    MainWindow &w = c.startFullView(pty.slavePath());
    QVERIFY(probe(w).comm().portOpen());

    if (!before.isEmpty()) {
        QVERIFY2(c.clickVisible(before), qPrintable(before));
        QCOMPARE(pty.takeSettled(beforeBytes.size()), beforeBytes);
    }
    QVERIFY2(c.clickVisible(button), qPrintable(button + QLatin1String(" is not visible")));
    QCOMPARE(probe(w).timer(2).interval(), replyWindow);
    QCOMPARE(probe(w).timer(4).interval(), displayHold);
    QVERIFY(probe(w).timer(2).isActive());
    QVERIFY(probe(w).timer(4).isActive());
    QCOMPARE(probe(w).state().ReplyPending, quint8(1));
    QCOMPARE(probe(w).state().SendText, QString::fromLatin1(bytes));
    QCOMPARE(c.txd(), plainTrace(bytes));
    QCOMPARE(pty.takeSettled(bytes.size()), bytes);
}

// Space, Return and Enter click the focused button once, however long held.
void CatalogueTest::keyboardClicksFocusedButton_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("Space") << Qt::Key_Space;
    QTest::newRow("Return") << Qt::Key_Return;
    QTest::newRow("Enter") << Qt::Key_Enter;
}

void CatalogueTest::keyboardClicksFocusedButton()
{
    QFETCH(Qt::Key, key);
    PtyPair pty;
    QVERIFY(pty.isValid());
    ConsoleWindow c;
    c.startFullView(pty.slavePath());
    auto *button = c.control<QPushButton>(QStringLiteral("Command17"));
    button->setFocus(Qt::TabFocusReason);
    QTest::keyPress(button, key);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(button, &repeat);
    }
    QTest::keyRelease(button, key);
    QCOMPARE(pty.takeSettled(4), QByteArray("C00\r"));
}

void CatalogueTest::menuContext_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("MENU ON") << "Command23" << QByteArray("C1C\r");
    QTest::newRow("A-IMAGE") << "Command13" << QByteArray("C89\r");
}

void CatalogueTest::menuContext()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, bytes);
    PtyPair pty;
    QVERIFY(pty.isValid());
    ConsoleWindow c;
    MainWindow &w = c.startFullView(pty.slavePath());

    // MENU OFF is a plain button: no context from it.
    c.click(QStringLiteral("Command24"));
    QCOMPARE(pty.takeSettled(4), QByteArray("C1D\r"));
    QCOMPARE(probe(w).state().CursorMode, quint8(0));

    // A D.Zoom release leaves digital-zoom timing, so the click has to change both.
    c.press(QStringLiteral("Command48"));
    c.release(QStringLiteral("Command48"));
    QCOMPARE(pty.takeSettled(4), QByteArray("C30\r"));
    QCOMPARE(probe(w).state().CursorMode, quint8(3));
    QCOMPARE(probe(w).timer(1).interval(), 5);

    c.click(button);
    QCOMPARE(pty.takeSettled(bytes.size()), bytes);
    QCOMPARE(probe(w).state().CursorMode, quint8(1));
    QCOMPARE(probe(w).timer(1).interval(), 200);
    QVERIFY(!probe(w).timer(1).isActive());
    QCOMPARE(c.txd(), plainTrace(bytes));

    c.click(QStringLiteral("Command24"));
    QCOMPARE(pty.takeSettled(4), QByteArray("C1D\r"));
    QCOMPARE(c.txd(), QStringLiteral(" C 1 D CR "));
    QCOMPARE(probe(w).state().CursorMode, quint8(1));
    QCOMPARE(probe(w).timer(1).interval(), 200);
    QVERIFY(!probe(w).timer(1).isActive());
}

void CatalogueTest::refusedClickEndsTheHandler_data()
{
    QTest::addColumn<bool>("digitalZoomFirst");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("cursorMode");
    QTest::addColumn<int>("timer1");
    QTest::addColumn<int>("replyWindow");
    QTest::addColumn<int>("displayHold");
    QTest::newRow("MENU ON") << false << "Command23" << 0 << 200 << 500 << 1000;
    QTest::newRow("MENU ON after D.Zoom") << true << "Command23" << 3 << 5 << 500 << 1000;
    QTest::newRow("A-IMAGE after D.Zoom") << true << "Command13" << 3 << 5 << 500 << 1000;
    QTest::newRow("STATUS") << false << "Command44" << 0 << 200 << 500 << 1000;
    // The long window is set before the transmission is tried.
    QTest::newRow("STAND") << false << "Command4" << 0 << 200 << 2000 << 2500;
    QTest::newRow("4 SDI") << false << "Command94" << 0 << 200 << 5000 << 5500;
    QTest::newRow("SEND") << false << "Command95" << 0 << 200 << 2000 << 2500;
}

void CatalogueTest::refusedClickEndsTheHandler()
{
    QFETCH(bool, digitalZoomFirst);
    QFETCH(QString, button);
    QFETCH(int, cursorMode);
    QFETCH(int, timer1);
    QFETCH(int, replyWindow);
    QFETCH(int, displayHold);
    ConsoleWindow c;
    c.openFailures[1] = QStringLiteral("the device does not exist");
    MainWindow &w = c.start();
    QVERIFY(!probe(w).comm().portOpen());
    c.openFullView();
    if (digitalZoomFirst) {
        c.press(QStringLiteral("Command48"));
        c.release(QStringLiteral("Command48"));
        // The release runs one display hold of its own; let it end first.
        QTRY_VERIFY(!probe(w).timer(4).isActive());
    }

    QSignalSpy told(&w.notice(), &RefusalNotice::told);
    for (int clicks = 1; clicks <= 2; ++clicks) {
        c.click(button);
        QCOMPARE(told.count(), clicks);
    }
    QVERIFY(w.notice().isShown());
    QCOMPARE(probe(w).state().CursorMode, quint8(cursorMode));
    QCOMPARE(probe(w).timer(1).interval(), timer1);
    QVERIFY(!probe(w).timer(1).isActive());
    QCOMPARE(probe(w).timer(2).interval(), replyWindow);
    QCOMPARE(probe(w).timer(4).interval(), displayHold);
    QVERIFY(!probe(w).timer(2).isActive());
    QVERIFY(!probe(w).timer(4).isActive());
    QCOMPARE(probe(w).state().ReplyPending, quint8(0));
    QCOMPARE(c.txd(), QString());
    QCOMPARE(c.fakes[1]->written, QByteArray());
}

QTEST_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
