// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ptypair.h"
#include "support/signals.h"

#include <QProcess>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// Runs the built projector-console as its users do: the command line, and the
// end of the program by a signal, with port 1 on a pseudo-terminal.
class ProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void usageErrors_data();
    void usageErrors();
    void signalEndsAsEnd_data();
    void signalEndsAsEnd();
    void signalEndsStartUpWarning_data();
    void signalEndsStartUpWarning();
    void qtStandardOptionsAreTaken_data();
    void qtStandardOptionsAreTaken();
    void rememberedDeviceOrCom1_data();
    void rememberedDeviceOrCom1();
    void withoutDisplayTellsHowToProceed();

private:
    void start(const QStringList &arguments, const QString &platform = QStringLiteral("offscreen"));

    PtyPair m_pty;
    QTemporaryDir m_config; // the user's remembered choices
    QProcess m_console;
};

void ProgramTest::cleanup()
{
    if (m_console.state() != QProcess::NotRunning) {
        m_console.kill();
        m_console.waitForFinished();
    }
}

void ProgramTest::start(const QStringList &arguments, const QString &platform)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (platform.isEmpty())
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    else
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    m_console.setProcessEnvironment(environment);
    m_console.start(QStringLiteral(PROJECTOR_CONSOLE_PATH), arguments);
    // Started: the test's own signal handlers are gone with the exec.
    QVERIFY(m_console.waitForStarted());
}

void ProgramTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("stray argument") << QStringList{"extra"} << "unexpected argument extra";
    QTest::newRow("stray after port")
        << QStringList{"--com1", "sim", "sim"} << "unexpected argument sim";
    QTest::newRow("empty com1") << QStringList{"--com1", ""} << "--com1 needs a device";
    QTest::newRow("empty com1 joined") << QStringList{"--com1="} << "--com1 needs a device";
    QTest::newRow("empty com2") << QStringList{"--com2", ""} << "--com2 needs a device";
    QTest::newRow("unknown option") << QStringList{"--baud", "9600"} << "Unknown option 'baud'";
    QTest::newRow("missing value") << QStringList{"--com2"} << "Missing value after '--com2'";
}

void ProgramTest::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    start(arguments);
    QVERIFY(m_console.waitForFinished(10000));
    QCOMPARE(m_console.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_console.exitCode(), 2);
    const QString errors = QString::fromLocal8Bit(m_console.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("projector-console: ") + message), qPrintable(errors));
}

void ProgramTest::signalEndsAsEnd_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void ProgramTest::signalEndsAsEnd()
{
    QFETCH(int, signal);
    QVERIFY(m_pty.isValid());
    start({QStringLiteral("--com1"), m_pty.slavePath()});
    QTRY_VERIFY_WITH_TIMEOUT(
        deviceLockHeld(m_pty.slavePath()) && catchesSignal(m_console.processId(), signal), 10000);
    QCOMPARE(::kill(m_console.processId(), signal), 0);
    QVERIFY(m_console.waitForFinished(10000));
    QCOMPARE(m_console.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_console.exitCode(), 0);
    QVERIFY(!deviceLockHeld(m_pty.slavePath()));
    const QByteArray errors = m_console.readAllStandardError();
    QVERIFY2(errors.contains(QByteArray("ended by ") + QTest::currentDataTag()),
             errors.constData());
}

// The warning of a failed start-up waits for the operator; a signal must not.
void ProgramTest::signalEndsStartUpWarning_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("silentServer");
    QTest::newRow("SIGTERM, port 1 missing") << SIGTERM << false;
    QTest::newRow("SIGHUP, port 1 missing") << SIGHUP << false;
    QTest::newRow("SIGINT, server never answers") << SIGINT << true;
}

void ProgramTest::signalEndsStartUpWarning()
{
    QFETCH(int, signal);
    QFETCH(bool, silentServer);
    QTcpServer server; // accepts, and never speaks Telnet
    QVERIFY(server.listen(QHostAddress::LocalHost));
    start({QStringLiteral("--com1"),
           silentServer ? QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.serverPort())
                        : QStringLiteral("/dev/no-such-port")});
    QTRY_VERIFY_WITH_TIMEOUT(catchesSignal(m_console.processId(), signal), 10000);
    if (silentServer)
        QTRY_VERIFY(server.hasPendingConnections() || server.waitForNewConnection(0));
    QCOMPARE(::kill(m_console.processId(), signal), 0);
    QVERIFY(m_console.waitForFinished(5000));
    QCOMPARE(m_console.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_console.exitCode(), 0);
}

// Each row is a complete start: the program runs, opens port 1, and ends.
void ProgramTest::qtStandardOptionsAreTaken_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("platform");
    // Qt's -platform wins over the environment: only a console that passes it
    // on starts at all.
    QTest::newRow("-platform") << QStringList{"-platform", "offscreen"} << "no-such-platform";
    QTest::newRow("--platform") << QStringList{"--platform", "offscreen"} << "no-such-platform";
    QTest::newRow("-style") << QStringList{"-style", "fusion"} << "offscreen";
    QTest::newRow("-style=") << QStringList{"-style=fusion"} << "offscreen";
    QTest::newRow("-display") << QStringList{"-display", ":0"} << "offscreen";
    QTest::newRow("-reverse") << QStringList{"-reverse"} << "offscreen";
}

void ProgramTest::qtStandardOptionsAreTaken()
{
    QFETCH(QStringList, options);
    QFETCH(QString, platform);
    QVERIFY(m_pty.isValid());
    start(options + QStringList{QStringLiteral("--com1"), m_pty.slavePath()}, platform);
    QTRY_VERIFY_WITH_TIMEOUT(
        deviceLockHeld(m_pty.slavePath()) || m_console.state() == QProcess::NotRunning, 10000);
    QVERIFY2(deviceLockHeld(m_pty.slavePath()), m_console.readAllStandardError().constData());
    QTRY_VERIFY(catchesSignal(m_console.processId(), SIGTERM));
    QCOMPARE(::kill(m_console.processId(), SIGTERM), 0);
    QVERIFY(m_console.waitForFinished(10000));
    QCOMPARE(m_console.exitCode(), 0);
}

// Port 1 opens the device chosen in the port panel at the last run, unless
// --com1 names another one.
void ProgramTest::rememberedDeviceOrCom1_data()
{
    QTest::addColumn<bool>("override");
    QTest::newRow("remembered") << false;
    QTest::newRow("--com1") << true;
}

void ProgramTest::rememberedDeviceOrCom1()
{
    QFETCH(bool, override);
    PtyPair other;
    QVERIFY(m_pty.isValid() && other.isValid());
    QSettings remembered(
        m_config.filePath(QStringLiteral("projector-console/projector-console.ini")),
        QSettings::IniFormat);
    remembered.setValue(QStringLiteral("ports/com1"),
                        override ? other.slavePath() : m_pty.slavePath());
    remembered.sync();
    start(override ? QStringList{QStringLiteral("--com1"), m_pty.slavePath()} : QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(
        deviceLockHeld(m_pty.slavePath()) || m_console.state() == QProcess::NotRunning, 10000);
    QVERIFY2(deviceLockHeld(m_pty.slavePath()), m_console.readAllStandardError().constData());
    QVERIFY(!deviceLockHeld(other.slavePath()));
    QCOMPARE(::kill(m_console.processId(), SIGTERM), 0);
    QVERIFY(m_console.waitForFinished(10000));
}

void ProgramTest::withoutDisplayTellsHowToProceed()
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"})
        qunsetenv(name); // the child takes this program's environment
    start({}, QString());
    QVERIFY(m_console.waitForFinished(10000));
    QCOMPARE(m_console.exitCode(), 2);
    const QString errors = QString::fromLocal8Bit(m_console.readAllStandardError());
    QVERIFY2(errors.contains(QLatin1String("no display")), qPrintable(errors));
    QVERIFY2(errors.contains(QLatin1String("projector-ctl")), qPrintable(errors));
    QVERIFY2(!errors.contains(QLatin1String("Reinstalling")), qPrintable(errors));
}

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
