// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ptyserver.h"
#include "sim/simulatedline.h"
#include "sim/statechanges.h"
#include "support/consolewindow.h"

#include <QProcess>

// States staged in the simulated projectors, as an operator without hardware
// stages them, seen through the console's real window.
class SimStatesTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void everyPowerStatusShown_data();
    void everyPowerStatusShown();
    void changeTypedIntoRunningProgram();
    void wrongSpeedGetsNoSensibleReply_data();
    void wrongSpeedGetsNoSensibleReply();

private:
    // Port 1 on the pseudo-terminal server or on the in-process line, its
    // projectors at `baud` with `changes` applied, the full view open.
    void startOn(bool pty, int baud, const QString &changes);
    sim::ProjectorModel &model() { return m_server ? m_server->model() : m_line->model(); }
    void logReceived(const QString &entry);

    std::unique_ptr<PtyServer> m_server;
    SimulatedLine *m_line = nullptr;
    std::unique_ptr<ConsoleWindow> m_console;
    QStringList m_received; // command texts the projectors took in
};

void SimStatesTest::cleanup()
{
    m_console.reset();
    m_server.reset();
    m_line = nullptr;
    m_received.clear();
}

void SimStatesTest::logReceived(const QString &entry)
{
    if (entry.startsWith(u"received "))
        m_received << entry.mid(9);
}

void SimStatesTest::startOn(bool pty, int baud, const QString &changes)
{
    m_console = std::make_unique<ConsoleWindow>();
    const auto log = [this](const QString &entry) { logReceived(entry); };
    if (pty) {
        m_server = std::make_unique<PtyServer>();
        m_server->model().setBaudRate(baud);
        m_server->setLogHook(log);
        QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
        QCOMPARE(sim::applyChanges(m_server->model(), changes, m_server->host().nowMs()),
                 QString());
        m_console->startFullView(m_server->slavePath());
    } else {
        m_console->startFullView([this, baud, changes, log](int port) -> std::unique_ptr<CommLine> {
                if (port != 1)
                    return nullptr;
                auto line = std::make_unique<SimulatedLine>();
                line->model().setBaudRate(baud);
                line->setLogHook(log);
                if (!line->applyChanges(changes).isEmpty())
                    return nullptr;
                m_line = line.get();
                return line;
            });
        QVERIFY(m_line);
    }
    QVERIFY(probe(*m_console->window).comm().portOpen());
}

void SimStatesTest::everyPowerStatusShown_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("projector");
    QTest::addColumn<QString>("shown");

    const QList<std::pair<const char *, const char *>> rows = {
        {"on", " Power ON"},
        {"standby", " Stand by"},
        {"count-down", " Count down"},
        {"cooling", " Cooling down"},
        {"power-fail", " Power Fail"},
        {"temp-warning", " Temperature Warning(Power ON)"},
        {"no-key-input", " NO Key input "},
        {"pwr-management", " Lamp OFF by PWR Management"},
        {"temp-warning-cooling", " Temperature Warning & cooling down"},
        {"pwr-management-temp-warning", " Lamp OFF & Tempereture Warning by PWR Management"},
        {"temp-warning-recovered", " Temperature Warning and recoverd"},
        {"lamp-fail-cooling", " Cooling down (All Lamp FAIL)"},
        {"lamp-fail-standby", " Cooling down & sutandby (All Lamp FAIL)"},
    };
    int projector = 0;
    for (const auto &[state, shown] : rows) {
        projector = projector % 4 + 1; // every address in turn
        QTest::newRow(state) << QString::fromLatin1(state) << projector
                             << QString::fromLatin1(shown);
    }
}

// The state set in the simulator, "STATUS" sent to its projector, the table
// text on the STATUS line; the other projectors stay in standby.
void SimStatesTest::everyPowerStatusShown()
{
    QFETCH(QString, state);
    QFETCH(int, projector);
    QFETCH(QString, shown);

    startOn(true, 19200, QStringLiteral("power %1 %2").arg(projector).arg(state));
    m_console->choose(QStringLiteral("Option%1").arg(4 + projector)); // "001".."004"
    m_console->click(QStringLiteral("Command44"));
    QTRY_COMPARE(m_console->statusLine(), shown);
    QCOMPARE(m_received, QStringList{QStringLiteral("A00%1CR0<CR>").arg(projector)});
    for (int other = 1; other <= sim::ProjectorModel::ProjectorCount; ++other) {
        if (other != projector)
            QCOMPARE(model().projector(other).state().power, sim::Power::Standby);
    }
}

// A change typed on projector-sim's standard input, which then ends: the
// program keeps serving and the console sees the new state.
void SimStatesTest::changeTypedIntoRunningProgram()
{
    QProcess program;
    program.start(QStringLiteral(PROJECTOR_SIM_PATH), {QStringLiteral("--log")});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY(program.canReadLine());
    const QString path = QString::fromLocal8Bit(program.readLine()).trimmed();
    m_console = std::make_unique<ConsoleWindow>();
    m_console->startFullView(path);
    m_console->choose(QStringLiteral("Option6")); // "002"
    m_console->click(QStringLiteral("Command44"));
    QTRY_COMPARE(m_console->statusLine(), QStringLiteral(" Stand by"));
    QTRY_COMPARE_WITH_TIMEOUT(m_console->statusLine(), QString(), 2000); // display hold over

    program.write("power 2 temp-warning-cooling\n");
    program.closeWriteChannel();
    QByteArray log;
    QTRY_VERIFY((log += program.readAllStandardError()).contains("changed  power 2"));
    m_console->click(QStringLiteral("Command44"));
    QTRY_COMPARE(m_console->statusLine(), QStringLiteral(" Temperature Warning & cooling down"));
    QCOMPARE(program.state(), QProcess::Running);

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
}

void SimStatesTest::wrongSpeedGetsNoSensibleReply_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<int>("projectorBaud");
    QTest::addColumn<int>("sendBaud"); // the console's speed when "REAL" goes out
    QTest::addColumn<int>("readBaud"); // and when the projector answers

    for (const bool pty : {true, false}) {
        const QByteArray line = pty ? "pty" : "in-process";
        QTest::newRow(line + ", 19200 both ways") << pty << 19200 << 19200 << 19200;
        QTest::newRow(line + ", 9600 both ways") << pty << 9600 << 9600 << 9600;
        QTest::newRow(line + ", console 9600 sends") << pty << 19200 << 9600 << 9600;
        QTest::newRow(line + ", console 19200 sends") << pty << 9600 << 19200 << 19200;
        QTest::newRow(line + ", console 9600 reads") << pty << 19200 << 19200 << 9600;
        QTest::newRow(line + ", console 19200 reads") << pty << 9600 << 9600 << 19200;
    }
}

// A console at another speed than the projectors: they hear junk and do
// nothing, and what they send arrives as junk.
void SimStatesTest::wrongSpeedGetsNoSensibleReply()
{
    QFETCH(bool, pty);
    QFETCH(int, projectorBaud);
    QFETCH(int, sendBaud);
    QFETCH(int, readBaud);

    const auto setSpeed = [this](int baud) {
        m_console->click(QStringLiteral("Command33"));
        m_console->choose(baud == 9600 ? QStringLiteral("Option10") : QStringLiteral("Option9"));
        QCOMPARE(probe(*m_console->window).comm().settings(), QStringLiteral("%1,N,8,1").arg(baud));
    };
    startOn(pty, projectorBaud, QStringLiteral("power 1 on"));
    setSpeed(sendBaud);
    m_console->click(QStringLiteral("Command10")); // "REAL": answered after the mode change

    if (sendBaud != projectorBaud) {
        QTRY_COMPARE(m_console->rxd(), QStringLiteral(" X X X X"));
        QCOMPARE(model().projector(1).state().imageMode, sim::ImageMode::Stand);
        QVERIFY2(!m_received.contains(u"CF IMAGE REAL<CR>"), qPrintable(m_received.join(u'|')));
        return;
    }
    QTRY_COMPARE(model().projector(1).state().imageMode, sim::ImageMode::Real);
    QCOMPARE(m_received, QStringList{QStringLiteral("CF IMAGE REAL<CR>")});
    if (readBaud != sendBaud)
        setSpeed(readBaud);
    if (readBaud == projectorBaud) {
        QTRY_COMPARE(m_console->rxd(), QStringLiteral(" ACK CR "));
        return;
    }
    // Whatever came through is on the RXD line once the reply window is over.
    QTRY_VERIFY_WITH_TIMEOUT(!probe(*m_console->window).timer(2).isActive(), 4000);
    QVERIFY(!m_console->rxd().isEmpty());
    QVERIFY2(m_console->rxd() != u" ACK CR ", qPrintable(m_console->rxd()));
}

QTEST_MAIN(SimStatesTest)
#include "tst_simstates.moc"
