// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ptyserver.h"
#include "support/consolewindow.h"

#include <QLineEdit>

// The console on one side of a real pseudo-terminal, the simulated line of
// four projectors on the other: buttons, bytes, replies and STATUS texts.
class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void statusAfterStartIsStandBy();
    void powerOnCountsDownThenIsOn();
    void lampModeAfterOneFour();
    void pressureIsPlausible();
    void addressedProjectorAloneAnswers();
    void allProjectorsAnswerNothing();
    void inputTerminalReplyComesWithinItsWindow();

private:
    QString ask(const QString &button);

    std::unique_ptr<PtyServer> m_server;
    std::unique_ptr<ConsoleWindow> m_console;
};

void EndToEndTest::init()
{
    m_server = std::make_unique<PtyServer>();
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
    m_console = std::make_unique<ConsoleWindow>();
    m_console->devices[1] = m_server->slavePath();
    m_console->start();
    m_console->openFullView();
    QVERIFY(probe(*m_console->window).comm().portOpen());
}

void EndToEndTest::cleanup()
{
    m_console.reset();
    m_server.reset();
}

// Clicks a status button and waits for the whole reply, which arrives in pieces.
QString EndToEndTest::ask(const QString &button)
{
    m_console->click(button);
    if (!QTest::qWaitFor([this] { return m_console->rxd().endsWith(u"CR "); }, 2000))
        return QStringLiteral("(no status)");
    return m_console->statusLine();
}

void EndToEndTest::statusAfterStartIsStandBy()
{
    QCOMPARE(ask(QStringLiteral("Command44")), QStringLiteral(" Stand by"));
    QCOMPARE(m_console->rxd(), QStringLiteral(" 8 0 CR "));
}

void EndToEndTest::powerOnCountsDownThenIsOn()
{
    m_console->click(QStringLiteral("Command17"));
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" ACK CR "));
    QTRY_COMPARE(m_console->rxd(), QString());
    QCOMPARE(ask(QStringLiteral("Command44")), QStringLiteral(" Count down"));
    QTRY_COMPARE_WITH_TIMEOUT(m_console->statusLine(), QString(), 2000);
    QTest::qWait(sim::Projector::CountDownMs);
    QCOMPARE(ask(QStringLiteral("Command44")), QStringLiteral(" Power ON"));
}

void EndToEndTest::lampModeAfterOneFour()
{
    m_server->model().projector(1).state().power = sim::Power::On;
    m_console->click(QStringLiteral("Command57"));
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" ACK CR "));
    QTRY_COMPARE(m_console->rxd(), QString());
    QCOMPARE(ask(QStringLiteral("Command55")), QStringLiteral(" No1,4 ON  : 2 Lamp mode(1,4)"));
}

void EndToEndTest::pressureIsPlausible()
{
    const QString text = ask(QStringLiteral("Command99"));
    QVERIFY2(text.endsWith(QLatin1String(" hPa")), qPrintable(text));
    const int hPa = text.chopped(4).toInt();
    QVERIFY2(hPa > 950 && hPa < 1050, qPrintable(text));
}

void EndToEndTest::addressedProjectorAloneAnswers()
{
    for (int n = 1; n <= 4; ++n)
        m_server->model().projector(n).state().power = sim::Power::On;
    m_console->choose(QStringLiteral("Option6")); // "002"
    m_console->click(QStringLiteral("Command19")); // SOUND MUTE ON
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" ACK CR "));
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(m_server->model().projector(n).state().soundMute, n == 2);
    QTRY_COMPARE(m_console->rxd(), QString());
    QCOMPARE(ask(QStringLiteral("Command12")), QStringLiteral(" Audio mute ON"));
    // The same query to projector 1 finds it unmuted.
    QTRY_COMPARE_WITH_TIMEOUT(m_console->statusLine(), QString(), 2000);
    m_console->choose(QStringLiteral("Option5"));
    QCOMPARE(ask(QStringLiteral("Command12")), QStringLiteral(" Video & Audio mute OFF"));
}

void EndToEndTest::allProjectorsAnswerNothing()
{
    m_console->choose(QStringLiteral("Option4")); // "ALL"
    m_console->click(QStringLiteral("Command17"));
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" X X X X"));
    QCOMPARE(m_console->txd(), QStringLiteral(" A F F F C 0 0 CR "));
    for (int n = 1; n <= 4; ++n)
        QVERIFY(m_server->model().projector(n).state().power != sim::Power::Standby);
}

void EndToEndTest::inputTerminalReplyComesWithinItsWindow()
{
    m_server->model().projector(1).state().power = sim::Power::On;
    QElapsedTimer clock;
    m_console->click(QStringLiteral("Command80")); // "RGB" of input 3
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(m_console->rxd(), QStringLiteral(" ACK CR "), 5000);
    QVERIFY2(clock.elapsed() < 5000, "the reply came after its 5000 ms window");
    QCOMPARE(m_server->model().projector(1).state().terminals[2], sim::Terminal::Analog);
}

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
