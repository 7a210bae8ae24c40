// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/devicechooser.h"
#include "app/portdevices.h"
#include "core/lineservice.h"
#include "support/answeringfarend.h"
#include "support/consolewindow.h"
#include "support/gatewayrig.h"

#include <QLineEdit>
#include <QSignalSpy>

#include <algorithm>

// The window started on a device that projector-gateway holds joins the
// gateway's line: the operator's clicks, manual entry and holds go through the
// gateway to the far end (a pseudo-terminal the test plays), the traffic lines
// read as on a line of the window's own, and the gateway's PJLink clients go
// on being answered.
class JoinedWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void operatorThroughGateway_data();
    void operatorThroughGateway();
    void holdKeepsItsRateBesidePjlinkClients();
    void otherSpeedNotSent();
    void holderEndsLineLost();
    void idleConnectionJoinedAgain();
    void programLeavesTheServingToTheGateway();

private:
    QString typeIntoBox(const QString &text);

    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<AnsweringFarEnd> m_farEnd;
    std::unique_ptr<GatewayProcess> m_gateway;
    std::unique_ptr<PortDevices> m_ports;
    ConsoleWindow m_window;
};

void JoinedWindowTest::init()
{
    // The endpoints of this test, out of every other program's reach; the
    // gateway started here serves its line in the same place.
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid());
    qputenv("PROJECTOR_CONSOLE_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
    m_farEnd = std::make_unique<AnsweringFarEnd>();
    QVERIFY(m_farEnd->isValid());
    m_gateway = std::make_unique<GatewayProcess>();
    QString said;
    QVERIFY2(m_gateway->start({"--line", m_farEnd->slavePath()}, 4, &said), qPrintable(said));

    m_ports = std::make_unique<PortDevices>();
    m_ports->overrideForThisRun(1, m_farEnd->slavePath());
    m_window.start(m_ports->lines());
    m_window.openFullView();
    new DeviceChooser(*m_window.window, *m_ports);
    QVERIFY(m_window.warnings.isEmpty());
    QVERIFY(probe(*m_window.window).comm().portOpen());
}

void JoinedWindowTest::cleanup()
{
    m_window.window.reset();
    m_ports.reset();
    m_gateway.reset();
    m_farEnd.reset();
    m_runtime.reset();
}

QString JoinedWindowTest::typeIntoBox(const QString &text)
{
    if (!m_window.clickVisible(QStringLiteral("Text1")))
        return QStringLiteral("no box");
    auto *box = m_window.control<QLineEdit>(QStringLiteral("Text1"));
    QTest::keyClicks(box, text);
    return box->text();
}

void JoinedWindowTest::operatorThroughGateway_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("typed"); // empty: click the button
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("status");

    QTest::newRow("STATUS, single projector")
        << "Option3"
        << ""
        << "Command44" << QByteArray("CR0\r") << QByteArray("80\r") << " Stand by";
    QTest::newRow("STATUS, projector 002")
        << "Option6"
        << ""
        << "Command44" << QByteArray("A002CR0\r") << QByteArray("80\r") << " Stand by";
    QTest::newRow("manual entry, projector 001")
        << "Option5"
        << "CR3"
        << "Command95" << QByteArray("A001CR3\r") << QByteArray("12345\r")
        << " 1 2 3 4 5 CR  Hour Use";
    QTest::newRow("POWER ON, all projectors")
        << "Option4"
        << ""
        << "Command17" << QByteArray("AFFFC00\r") << QByteArray() << "";
}

void JoinedWindowTest::operatorThroughGateway()
{
    QFETCH(QString, address);
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, reply);
    QFETCH(QString, status);

    // The port panel says who holds the line.
    const QString gateway
        = QStringLiteral("pid %1 (projector-gateway)").arg(m_gateway->process().processId());
    QVERIFY2(m_ports->holder(1).startsWith(gateway), qPrintable(m_ports->holder(1)));
    const QString tip = m_window.control(QStringLiteral("Option1"))->toolTip();
    QVERIFY2(tip.contains(QStringLiteral("held by ") + gateway), qPrintable(tip));

    QVERIFY(m_window.clickVisible(address));
    if (!typed.isEmpty())
        QCOMPARE(typeIntoBox(typed), typed);
    QSignalSpy statusShown(&m_window.window->console(), &Console::statusChanged);
    QVERIFY(m_window.clickVisible(button));
    QCOMPARE(m_window.txd(), plainTrace(sent));
    QTRY_COMPARE(m_farEnd->texts().value(m_farEnd->texts().size() - 1), sent.chopped(1));
    QTRY_COMPARE(m_window.rxd(), reply.isEmpty() ? QString() : plainTrace(reply));
    if (!status.isEmpty())
        QTRY_COMPARE(m_window.statusLine(), status);
    else
        QVERIFY(!QTest::qWaitFor([&] { return !statusShown.isEmpty(); }, 600));
    QVERIFY(m_window.warnings.isEmpty());
}

// VOL + held for two seconds while twenty PJLink clients poll the four
// projectors and projector-ctl asks projector 2, all through the same gateway:
// the ticks reach the far end every 250 ms, and every client's query is
// answered as its own (the far end is in stand-by).
void JoinedWindowTest::holdKeepsItsRateBesidePjlinkClients()
{
    PjlinkClients clients;
    const QString problem = clients.install();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QStringList ports;
    for (int projector = 1; projector <= 4; ++projector)
        ports << QString::number(m_gateway->port(projector));
    constexpr int kClients = 20, kSeconds = 3;
    QProcess load;
    load.start(QStringLiteral("node"),
               {QStringLiteral(GATEWAY_TEST_DIR "/pjlink-load.js"), clients.path({}), "127.0.0.1",
                ports.join(u','), QString::number(kClients), QString::number(kSeconds),
                "getPowerState"});
    QVERIFY(load.waitForStarted());

    QVERIFY(m_window.clickVisible(QStringLiteral("Option5")));
    QTest::qWait(300);
    m_window.press(QStringLiteral("Command1")); // VOL +
    // A schedule asks projector 2 meanwhile, through the same gateway.
    QProcess ctl;
    ctl.start(QStringLiteral(PROJECTOR_CTL_PATH),
              {"--line", m_farEnd->slavePath(), "--address", "2", "STATUS", "STATUS", "STATUS"});
    QTest::qWait(2000);
    m_window.release(QStringLiteral("Command1"));

    // The far end answers from this event loop: it runs until the clients end.
    QTRY_COMPARE_WITH_TIMEOUT(load.state(), QProcess::NotRunning, (kSeconds + 4) * 1000);
    QTRY_COMPARE_WITH_TIMEOUT(ctl.state(), QProcess::NotRunning, 5000);
    QCOMPARE(ctl.exitCode(), 0);
    QCOMPARE(ctl.readAllStandardOutput(),
             QByteArray("TXD A 0 0 2 C R 0 CR \nRXD 8 0 CR \nSTATUS Stand by\n").repeated(3));
    const QJsonArray answers = PjlinkClients::results(load);
    QVERIFY(answers.size() >= kClients * kSeconds);
    for (const QJsonValue &answer : answers) {
        QVERIFY2(answer["error"].isNull(), qPrintable(answer["error"].toString()));
        QCOMPARE(answer["result"].toInt(-1), 0); // stand-by
    }
    QList<double> ticks;
    for (const AnsweringFarEnd::Command &command : m_farEnd->commands()) {
        if (command.text == "A001C09")
            ticks << command.ms;
    }
    // 2 s of holding: the press's command and eight ticks.
    QVERIFY2(ticks.size() >= 8 && ticks.size() <= 10, qPrintable(QString::number(ticks.size())));
    const double meanMs = (ticks.last() - ticks.first()) / (ticks.size() - 1);
    double worstMs = 0;
    for (qsizetype i = 1; i < ticks.size(); ++i)
        worstMs = std::max(worstMs, std::abs(ticks[i] - ticks[i - 1] - 250));
    qInfo("VOL + through the gateway: %lld ticks, every %.1f ms on average, the farthest "
          "%.1f ms from 250",
          qlonglong(ticks.size()), meanMs, worstMs);
    QVERIFY2(std::abs(meanMs - 250) <= 250 * 0.05, qPrintable(QString::number(meanMs)));

    QVERIFY(m_window.warnings.isEmpty());
}

// The gateway holds the line at 19200: a command at 9600 does not go out, and
// the window says why.
void JoinedWindowTest::otherSpeedNotSent()
{
    QSignalSpy told(&m_window.window->console(), &Console::lineWarning);
    m_window.click(QStringLiteral("Command33")); // the port panel
    m_window.choose(QStringLiteral("Option10")); // 9600
    QCOMPARE(probe(*m_window.window).comm().settings(), QStringLiteral("9600,N,8,1"));
    m_window.click(QStringLiteral("Command33"));
    QVERIFY(m_window.clickVisible(QStringLiteral("Command44"))); // STATUS
    QTRY_COMPARE(told.size(), 1);
    const QString warning = told.value(0).value(0).toString();
    QVERIFY2(warning.contains(QStringLiteral("projector-gateway"))
                 && warning.contains(QStringLiteral("at 19200,N,8,1, not at 9600,N,8,1")),
             qPrintable(warning));
    QVERIFY(!m_farEnd->texts().contains("CR0"));
}

// The gateway ends: the window tells that the line is lost, and who let it go.
void JoinedWindowTest::holderEndsLineLost()
{
    QSignalSpy lost(&m_window.window->console(), &Console::lineLost);
    QTest::qWait(1100); // long enough joined to be joined again, were the gateway there
    m_gateway->stop();
    QTRY_COMPARE(lost.size(), 1);
    const QString description = lost.value(0).value(0).toString();
    QVERIFY2(description.contains(QStringLiteral("projector-gateway")), qPrintable(description));
    QVERIFY(!probe(*m_window.window).comm().portOpen());
}

// Another window holds a line and lets a connection go that asks nothing for
// a while: the window that joined it joins it again and goes on as before.
void JoinedWindowTest::idleConnectionJoinedAgain()
{
    AnsweringFarEnd farEnd;
    QVERIFY(farEnd.isValid());
    const QString device = farEnd.slavePath();
    ConsoleWindow holder;
    holder.devices[1] = device;
    holder.start(false);
    LineService service(holder.window->console(), [device](int) { return device; });
    LineService::Limits limits;
    limits.idleMs = 1200;
    service.setLimits(limits);
    service.refresh();

    PortDevices ports;
    ports.overrideForThisRun(1, device);
    ConsoleWindow joined;
    joined.start(ports.lines());
    joined.openFullView();
    QVERIFY2(ports.holder(1).startsWith(
                 QStringLiteral("pid %1 ").arg(QCoreApplication::applicationPid())),
             qPrintable(ports.holder(1)));
    QSignalSpy lost(&joined.window->console(), &Console::lineLost);
    QTest::qWait(1500);
    QVERIFY(joined.clickVisible(QStringLiteral("Command44"))); // STATUS
    QTRY_COMPARE(joined.statusLine(), QStringLiteral(" Stand by"));
    QCOMPARE(farEnd.texts(), QByteArrayList{"CR0"});
    QCOMPARE(lost.size(), 0);
}

// projector-console itself, started on the gateway's line, joins it and
// serves nothing of its own: projector-ctl goes through the gateway while the
// window runs and after it has ended.
void JoinedWindowTest::programLeavesTheServingToTheGateway()
{
    const QString device = m_farEnd->slavePath();
    QProcess console;
    console.start(QStringLiteral(PROJECTOR_CONSOLE_PATH),
                  {"--com1", device, "-platform", "offscreen"});
    QVERIFY(console.waitForStarted());
    QTest::qWait(1000);
    for (const bool windowRuns : {true, false}) {
        QProcess ctl;
        ctl.start(QStringLiteral(PROJECTOR_CTL_PATH), {"--line", device, "STATUS"});
        QTRY_COMPARE_WITH_TIMEOUT(ctl.state(), QProcess::NotRunning, 5000);
        QCOMPARE(ctl.exitCode(), 0);
        QCOMPARE(ctl.readAllStandardOutput(),
                 QByteArray("TXD C R 0 CR \nRXD 8 0 CR \nSTATUS Stand by\n"));
        if (windowRuns) {
            console.terminate();
            QTRY_COMPARE_WITH_TIMEOUT(console.state(), QProcess::NotRunning, 5000);
        }
    }
    const QByteArray said = console.readAllStandardError();
    QVERIFY2(!said.contains("serve"), said.constData());
}

QTEST_MAIN(JoinedWindowTest)
#include "tst_joinedwindow.moc"
