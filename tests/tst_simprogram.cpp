// SPDX-License-Identifier: GPL-3.0-or-later
#include <QProcess>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

// Runs the projector-sim program as the console's users would.
class SimProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void informationOptions_data();
    void informationOptions();
    void badArgumentsRefused_data();
    void badArgumentsRefused();
    void servesOnPrintedPath();
    void missingDeviceFails();
    void changeLinesAnsweredOnStandardStreams();

private:
    static QString program() { return QStringLiteral(PROJECTOR_SIM_PATH); }
};

void SimProgramTest::informationOptions_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected");

    QTest::newRow("help") << "--help" << "--device <path>";
    QTest::newRow("version") << "--version" << "projector-sim 1.41a";
}

void SimProgramTest::informationOptions()
{
    QFETCH(QString, option);
    QFETCH(QString, expected);

    QProcess process;
    process.start(program(), {option});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY2(output.contains(expected), qPrintable(output));
}

void SimProgramTest::badArgumentsRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("speed") << QStringList{"--baud", "4800"} << "19200 or 9600";
    QTest::newRow("stray argument") << QStringList{"extra"} << "unexpected argument extra";
}

void SimProgramTest::badArgumentsRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    QProcess process;
    process.start(program(), arguments);
    QVERIFY(process.waitForFinished(10000));
    QVERIFY(process.exitCode() != 0);
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(errors.contains(message), qPrintable(errors));
}

void SimProgramTest::servesOnPrintedPath()
{
    QProcess process;
    process.start(program(), {QStringLiteral("--log")});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY(process.canReadLine());
    const QString path = QString::fromLocal8Bit(process.readLine()).trimmed();
    QVERIFY2(path.startsWith(u"/dev/"), qPrintable(path));

    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "A002CR0\r", 8), ssize_t(8));
    QByteArray received;
    const auto readAll = [&] {
        char buffer[64];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            received.append(buffer, n);
        return received;
    };
    QTRY_COMPARE(readAll(), QByteArray("80\r"));
    ::close(fd);

    QByteArray log;
    QTRY_VERIFY((log += process.readAllStandardError()).contains("(projector 2"));
    QVERIFY2(log.contains("received A002CR0<CR>"), log.constData());
    QVERIFY2(log.contains("reply    80<CR>"), log.constData());

    process.terminate();
    QVERIFY(process.waitForFinished(10000));
}

void SimProgramTest::missingDeviceFails()
{
    QProcess process;
    process.start(program(), {QStringLiteral("--device"), QStringLiteral("/dev/no-such-port")});
    QVERIFY(process.waitForFinished(10000));
    QVERIFY(process.exitCode() != 0);
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(errors.contains(u"/dev/no-such-port"), qPrintable(errors));
}

// Help and refusals answered at once; the end of the input stops nothing.
void SimProgramTest::changeLinesAnsweredOnStandardStreams()
{
    QProcess process;
    process.start(program(), {});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY(process.canReadLine());
    const QString path = QString::fromLocal8Bit(process.readLine()).trimmed();
    process.write("power 9 on\nhelp\npower 1 cooling\n");
    process.closeWriteChannel();

    QByteArray errors;
    QTRY_VERIFY((errors += process.readAllStandardError()).contains('\n'));
    QCOMPARE(errors, QByteArray("projector-sim: power 9 on: power: projector must be 1 to 4 or "
                                "all, not \"9\"\n"));
    QByteArray help;
    QTRY_VERIFY((help += process.readAllStandardOutput()).contains("help "));
    QVERIFY2(help.contains("power N STATE") && help.contains("pressure N 0..1023"),
             help.constData());

    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "CR0\r", 4), ssize_t(4));
    QByteArray received;
    char buffer[64];
    QTRY_COMPARE((received += QByteArray(buffer, std::max<ssize_t>(0, ::read(fd, buffer, 64)))),
                 QByteArray("20\r"));
    ::close(fd);
    QCOMPARE(process.state(), QProcess::Running);
    process.terminate();
    QVERIFY(process.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(SimProgramTest)
#include "tst_simprogram.moc"
