// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/consolewindow.h"

#include <QSignalSpy>

// Transmission through Hyouji, the reply window (Timer2) and the display hold
// (Timer4), seen on the traffic lines of the real window.
class ReplyWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_console.reset(); }

    void transmissionShowsTraceAndStartsTimers();
    void replyInOnePiece();
    void replyInTwoPieces();
    void noReplyShowsXs();
    void lateReplyReplacesXs();
    void twoRepliesInOneWindow();
    void otherCommEventsChangeNothing_data();
    void otherCommEventsChangeNothing();
    void displayHoldBlanksAllLines();
    void receiveBufferIsBounded();

private:
    MainWindow &window() { return *m_console->window; }
    FakeLine &line() { return *m_console->fakes[1]; }
    void sendStatus() { m_console->click(QStringLiteral("Command44")); }

    std::unique_ptr<ConsoleWindow> m_console;
};

void ReplyWindowTest::init()
{
    m_console = std::make_unique<ConsoleWindow>();
    m_console->start();
    m_console->openFullView();
}

void ReplyWindowTest::transmissionShowsTraceAndStartsTimers()
{
    sendStatus();
    QCOMPARE(line().written, QByteArray("CR0\r"));
    QCOMPARE(m_console->txd(), QStringLiteral(" C R 0 CR "));
    QCOMPARE(m_console->rxd(), QString());
    QCOMPARE(m_console->statusLine(), QString());
    QCOMPARE(probe(window()).state().ReplyPending, quint8(1));
    QVERIFY(probe(window()).timer(2).isActive());
    QVERIFY(probe(window()).timer(4).isActive());
    QCOMPARE(probe(window()).timer(2).interval(), 500);
    QCOMPARE(probe(window()).timer(4).interval(), 1000);
}

void ReplyWindowTest::replyInOnePiece()
{
    sendStatus();
    line().feed("00\r");
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" 0 0 CR "));
    QCOMPARE(probe(window()).state().ReplyPending, quint8(0));
    QCOMPARE(m_console->statusLine(), QStringLiteral(" Power ON"));
    QCOMPARE(probe(window()).state().RecvBuffer, QStringLiteral("00\r"));
    // At the end of the window the buffer empties; the lines stay.
    QTRY_VERIFY(!probe(window()).timer(2).isActive());
    QCOMPARE(probe(window()).state().RecvBuffer, QString());
    QCOMPARE(m_console->rxd(), QStringLiteral(" 0 0 CR "));
    QCOMPARE(m_console->statusLine(), QStringLiteral(" Power ON"));
}

void ReplyWindowTest::replyInTwoPieces()
{
    sendStatus();
    line().feed("8");
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" 8 "));
    QCOMPARE(m_console->statusLine(), QString());
    line().feed("0\r");
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" 8 0 CR "));
    QCOMPARE(m_console->statusLine(), QStringLiteral(" Stand by"));
}

void ReplyWindowTest::noReplyShowsXs()
{
    QElapsedTimer clock;
    sendStatus();
    clock.start();
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" X X X X"));
    QVERIFY2(clock.elapsed() >= 490, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(probe(window()).state().ReplyPending, quint8(0));
    QCOMPARE(probe(window()).state().RecvBuffer, QString());
    QVERIFY(!probe(window()).timer(2).isActive());
    // The mark stays visible until the display hold blanks the lines.
    QCOMPARE(m_console->txd(), QStringLiteral(" C R 0 CR "));
    QTRY_COMPARE(m_console->rxd(), QString());
    QVERIFY2(clock.elapsed() >= 990, qPrintable(QString::number(clock.elapsed())));
}

void ReplyWindowTest::lateReplyReplacesXs()
{
    sendStatus();
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" X X X X"));
    line().feed("20\r");
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" 2 0 CR "));
    // Still decoded: the query is still the latest transmission.
    QCOMPARE(m_console->statusLine(), QStringLiteral(" Cooling down"));
}

void ReplyWindowTest::twoRepliesInOneWindow()
{
    sendStatus();
    line().feed("40\r");
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" 4 0 CR "));
    // A second transmission in the same window keeps the buffer.
    sendStatus();
    QCOMPARE(probe(window()).state().ReplyPending, quint8(1));
    line().feed("00\r");
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" 4 0 CR 0 0 CR "));
    // The STATUS line describes the reply to the latest query.
    QCOMPARE(m_console->statusLine(), QStringLiteral(" Power ON"));
}

void ReplyWindowTest::otherCommEventsChangeNothing_data()
{
    QTest::addColumn<bool>("replyFirst");
    QTest::newRow("while waiting") << false;
    QTest::newRow("after a reply") << true;
}

void ReplyWindowTest::otherCommEventsChangeNothing()
{
    QFETCH(bool, replyFirst);
    sendStatus();
    if (replyFirst) {
        line().feed("0");
        QTRY_COMPARE(m_console->rxd(), QStringLiteral(" 0 "));
    }
    const WindowState before = probe(window()).state();
    const QString rxd = m_console->rxd();
    // The device goes away: an error event, not a reception.
    line().pullThePlug();
    QCOMPARE(probe(window()).state().RecvBuffer, before.RecvBuffer);
    QCOMPARE(probe(window()).state().ReplyPending, before.ReplyPending);
    QCOMPARE(m_console->rxd(), rxd);
    QCOMPARE(m_console->txd(), QStringLiteral(" C R 0 CR "));
}

void ReplyWindowTest::displayHoldBlanksAllLines()
{
    sendStatus();
    line().feed("80\r");
    QTRY_COMPARE(m_console->statusLine(), QStringLiteral(" Stand by"));
    QTRY_COMPARE(m_console->statusLine(), QString());
    QCOMPARE(m_console->txd(), QString());
    QCOMPARE(m_console->rxd(), QString());
    QVERIFY(!probe(window()).timer(4).isActive());
}

void ReplyWindowTest::receiveBufferIsBounded()
{
    // Characters that keep coming with no reply window running are kept up
    // to the bound; the start stays, so the decoders still see the reply.
    sendStatus();
    line().feed("80\r");
    QTRY_COMPARE(m_console->statusLine(), QStringLiteral(" Stand by"));
    QTRY_VERIFY(!probe(window()).timer(2).isActive());
    for (int i = 0; i < 5; ++i)
        line().feed(QByteArray(10000, 'x'));
    QTRY_COMPARE(probe(window()).state().RecvBuffer.size(), Traffic::kRecvBufferLimit);
    QVERIFY(probe(window()).state().RecvBuffer.startsWith(QLatin1String("xxx")));
    QCOMPARE(m_console->rxd().size(), 1 + 2 * Traffic::kRecvBufferLimit);
}

QTEST_MAIN(ReplyWindowTest)
#include "tst_replywindow.moc"
