// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/consolewindow.h"
#include "support/ptypair.h"

#include <QLineEdit>

// Projector addressing ("PJ Select") and manual entry ("CMD" box, "SEND",
// "CLS"), in the real window with port 1 on a real pseudo-terminal.
class AddressingTest : public QObject
{
    Q_OBJECT

private slots:
    void addressPrefixesEveryCommand_data();
    void addressPrefixesEveryCommand();
    void replyAfterAddressChange_data();
    void replyAfterAddressChange();
    void manualEntry_data();
    void manualEntry();
    void clsEmptiesOnlyTheBox();
};

static QLineEdit *box(const ConsoleWindow &c)
{
    return c.control<QLineEdit>(QStringLiteral("Text1"));
}

// Types into the box as the operator does: click into it, then the keys.
static bool typeIntoBox(const ConsoleWindow &c, const QString &text)
{
    if (!c.clickVisible(QStringLiteral("Text1")))
        return false;
    QTest::keyClicks(box(c), text);
    return box(c)->text() == text;
}

void AddressingTest::addressPrefixesEveryCommand_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("powerOn");
    QTest::addColumn<QByteArray>("manual");
    QTest::newRow("SINGLE at start-up") << QStringList() << QByteArray("C00\r") << QByteArray("CR0\r");
    QTest::newRow("SINGLE") << QStringList{"Option3"} << QByteArray("C00\r") << QByteArray("CR0\r");
    QTest::newRow("ALL") << QStringList{"Option4"} << QByteArray("AFFFC00\r") << QByteArray("AFFFCR0\r");
    QTest::newRow("001") << QStringList{"Option5"} << QByteArray("A001C00\r") << QByteArray("A001CR0\r");
    QTest::newRow("002") << QStringList{"Option6"} << QByteArray("A002C00\r") << QByteArray("A002CR0\r");
    QTest::newRow("003") << QStringList{"Option7"} << QByteArray("A003C00\r") << QByteArray("A003CR0\r");
    QTest::newRow("004") << QStringList{"Option8"} << QByteArray("A004C00\r") << QByteArray("A004CR0\r");
    QTest::newRow("ALL then SINGLE") << QStringList{"Option4", "Option3"} << QByteArray("C00\r")
                                     << QByteArray("CR0\r");
    QTest::newRow("004 then 002") << QStringList{"Option8", "Option6"} << QByteArray("A002C00\r")
                                  << QByteArray("A002CR0\r");
}

void AddressingTest::addressPrefixesEveryCommand()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, powerOn);
    QFETCH(QByteArray, manual);
    PtyPair pty;
    QVERIFY(pty.isValid());
    ConsoleWindow c;
    MainWindow &w = c.startFullView(pty.slavePath());
    QVERIFY(probe(w).comm().portOpen());

    for (const QString &option : options)
        QVERIFY2(c.clickVisible(option), qPrintable(option));
    const QString chosen = options.isEmpty() ? QStringLiteral("Option3") : options.last();
    for (int n = 3; n <= 8; ++n) {
        const QString option = QStringLiteral("Option%1").arg(n);
        QCOMPARE(c.control<QRadioButton>(option)->isChecked(), option == chosen);
    }
    // Choosing an address sends and shows nothing.
    QCOMPARE(pty.takeSettled(0), QByteArray());
    QCOMPARE(c.txd(), QString());
    QCOMPARE(probe(w).state().ReplyPending, quint8(0));
    QVERIFY(!probe(w).timer(2).isActive());

    QVERIFY(c.clickVisible(QStringLiteral("Command17")));
    QCOMPARE(pty.takeSettled(powerOn.size()), powerOn);
    QCOMPARE(c.txd(), plainTrace(powerOn));

    QVERIFY(typeIntoBox(c, QStringLiteral("CR0")));
    QVERIFY(c.clickVisible(QStringLiteral("Command95")));
    QCOMPARE(pty.takeSettled(manual.size()), manual);
    QCOMPARE(c.txd(), plainTrace(manual));
}

void AddressingTest::replyAfterAddressChange_data()
{
    QTest::addColumn<QString>("changeTo");
    QTest::addColumn<QString>("status");
    QTest::newRow("same address") << QString() << QStringLiteral(" Power ON");
    QTest::newRow("changed to 002") << QStringLiteral("Option6") << QString();
    QTest::newRow("changed to SINGLE") << QStringLiteral("Option3") << QString();
}

// The decoders compare with the prefix in force when the reply arrives.
void AddressingTest::replyAfterAddressChange()
{
    QFETCH(QString, changeTo);
    QFETCH(QString, status);
    PtyPair pty;
    QVERIFY(pty.isValid());
    ConsoleWindow c;
    c.startFullView(pty.slavePath());
    QVERIFY(c.clickVisible(QStringLiteral("Option5")));
    QVERIFY(c.clickVisible(QStringLiteral("Command44")));
    QCOMPARE(pty.takeSettled(8), QByteArray("A001CR0\r"));
    if (!changeTo.isEmpty())
        QVERIFY(c.clickVisible(changeTo));
    pty.write("00\r");
    QTRY_COMPARE(c.rxd(), QStringLiteral(" 0 0 CR "));
    QCOMPARE(c.statusLine(), status);
}

void AddressingTest::manualEntry_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty box") << QString() << QString() << QByteArray("\r");
    QTest::newRow("empty box, ALL") << "Option4" << QString() << QByteArray("AFFF\r");
    QTest::newRow("leading and trailing spaces") << QString() << "  CR0  " << QByteArray("  CR0  \r");
    QTest::newRow("keyword command") << QString() << "CF IMAGE REAL" << QByteArray("CF IMAGE REAL\r");
    QTest::newRow("lower case") << QString() << "cf fanspeed max" << QByteArray("cf fanspeed max\r");
    QTest::newRow("001") << "Option5" << "CR0" << QByteArray("A001CR0\r");
    QTest::newRow("typed address, 001") << "Option5" << "A003C00" << QByteArray("A001A003C00\r");
    QTest::newRow("typed address, SINGLE") << QString() << "A003C00" << QByteArray("A003C00\r");
}

void AddressingTest::manualEntry()
{
    QFETCH(QString, option);
    QFETCH(QString, typed);
    QFETCH(QByteArray, bytes);
    PtyPair pty;
    QVERIFY(pty.isValid());
    ConsoleWindow c;
    MainWindow &w = c.startFullView(pty.slavePath());
    if (!option.isEmpty())
        QVERIFY(c.clickVisible(option));
    QVERIFY(typeIntoBox(c, typed));
    // Typing alone sends nothing.
    QCOMPARE(pty.takeSettled(0), QByteArray());
    QCOMPARE(probe(w).timer(2).interval(), 500);
    QCOMPARE(probe(w).timer(4).interval(), 1000);

    // The box keeps its text, so a second SEND repeats the command.
    for (int send = 1; send <= 2; ++send) {
        QVERIFY(c.clickVisible(QStringLiteral("Command95")));
        QCOMPARE(probe(w).timer(2).interval(), 2000);
        QCOMPARE(probe(w).timer(4).interval(), 2500);
        QVERIFY(probe(w).timer(2).isActive());
        QVERIFY(probe(w).timer(4).isActive());
        QCOMPARE(pty.takeSettled(bytes.size()), bytes);
        QCOMPARE(c.txd(), plainTrace(bytes));
        QCOMPARE(probe(w).state().ManualText, typed);
        QCOMPARE(box(c)->text(), typed);
    }

    // The pair stays for the buttons that set none.
    QVERIFY(c.clickVisible(QStringLiteral("Command18")));
    QCOMPARE(probe(w).timer(2).interval(), 2000);
    QCOMPARE(probe(w).timer(4).interval(), 2500);
}

void AddressingTest::clsEmptiesOnlyTheBox()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    ConsoleWindow c;
    MainWindow &w = c.startFullView(pty.slavePath());

    QVERIFY(typeIntoBox(c, QStringLiteral("CR0")));
    QVERIFY(c.clickVisible(QStringLiteral("Command95")));
    QCOMPARE(pty.takeSettled(4), QByteArray("CR0\r"));
    pty.write("00\r");
    QTRY_COMPARE(c.rxd(), QStringLiteral(" 0 0 CR "));
    QCOMPARE(c.statusLine(), QStringLiteral(" Power ON"));

    QVERIFY(c.clickVisible(QStringLiteral("Command96")));
    QCOMPARE(box(c)->text(), QString());
    QCOMPARE(pty.takeSettled(0), QByteArray());
    QCOMPARE(c.txd(), QStringLiteral(" C R 0 CR "));
    QCOMPARE(c.rxd(), QStringLiteral(" 0 0 CR "));
    QCOMPARE(c.statusLine(), QStringLiteral(" Power ON"));
    QCOMPARE(probe(w).state().ManualText, QStringLiteral("CR0"));
    QCOMPARE(probe(w).state().SendText, QStringLiteral("CR0\r"));
    QCOMPARE(probe(w).timer(2).interval(), 2000);
    QCOMPARE(probe(w).timer(4).interval(), 2500);

    // On an empty box it changes nothing either.
    QVERIFY(c.clickVisible(QStringLiteral("Command96")));
    QCOMPARE(box(c)->text(), QString());
    QCOMPARE(pty.takeSettled(0), QByteArray());

    QVERIFY(c.clickVisible(QStringLiteral("Command95")));
    QCOMPARE(pty.takeSettled(1), QByteArray("\r"));
    QCOMPARE(c.txd(), QStringLiteral(" CR "));
}

QTEST_MAIN(AddressingTest)
#include "tst_addressing.moc"
