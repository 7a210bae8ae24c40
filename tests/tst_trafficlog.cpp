// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ptypair.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

// The traffic log of the built programs: what crossed a pseudo-terminal, line
// by line, and all of it still there after the program was killed.
class TrafficLogTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void sessionInOrder();
    void killedProgramLeavesEveryLine();
    void unopenableLog_data();
    void unopenableLog();
    void failedWritesTold_data();
    void failedWritesTold();
    void fullDiskKeepsWholeLines();
    void movedLogReopened_data();
    void movedLogReopened();

private:
    struct Line
    {
        QString direction;
        QString trace;
    };
    // The log's lines, each checked for its form; consecutive commands joined.
    QList<Line> readLog(int *lines = nullptr, const QString &name = QStringLiteral("traffic.log"));

    QTemporaryDir m_dir;
    QProcess m_program;
};

void TrafficLogTest::cleanup()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
    QFile::remove(m_dir.filePath(QStringLiteral("traffic.log")));
}

QList<TrafficLogTest::Line> TrafficLogTest::readLog(int *count, const QString &name)
{
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(?:Z|[+-]\d\d:\d\d)) COM1 (TX|RX)( .*)$)"));
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    if (!text.endsWith(u'\n'))
        return {{QStringLiteral("unfinished line"), text}};
    QList<Line> joined;
    QString previousTime;
    int lines = 0;
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        ++lines;
        const QRegularExpressionMatch match = form.match(line);
        if (!match.hasMatch() || match.captured(1) < previousTime)
            return {{QStringLiteral("malformed or out of order"), line}};
        previousTime = match.captured(1);
        if (!joined.isEmpty() && joined.last().direction == match.captured(2)
            && match.captured(2) == u"TX")
            joined.last().trace += match.captured(3).mid(1);
        else
            joined += Line{match.captured(2), match.captured(3)};
    }
    if (count)
        *count = lines;
    return joined;
}

void TrafficLogTest::sessionInOrder()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    m_program.start(QStringLiteral(PROJECTOR_CTL_PATH),
                    {"--line", pty.slavePath(), "--log", m_dir.filePath("traffic.log"), "--address",
                     "3", "POWER ON", "STATUS", "--code", "X\x01"});
    QCOMPARE(pty.take(7, 10000), QByteArray("A003X\x01\r"));
    pty.write("?\r");
    QCOMPARE(pty.take(8, 10000), QByteArray("A003C00\r"));
    pty.write("\x06");
    QTest::qWait(20);
    pty.write("\r");
    QCOMPARE(pty.take(8, 10000), QByteArray("A003CR0\r"));
    pty.write("40\r");
    QVERIFY(m_program.waitForFinished(10000));
    QCOMPARE(m_program.exitCode(), 1); // the manual text was refused

    const QList<Line> expected = {
        {"TX", " A 0 0 3 X ? CR "},   {"RX", " ? CR "},
        {"TX", " A 0 0 3 C 0 0 CR "}, {"RX", " ACK CR "},
        {"TX", " A 0 0 3 C R 0 CR "}, {"RX", " 4 0 CR "},
    };
    const QList<Line> logged = readLog();
    QCOMPARE(logged.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(logged[i].direction, expected[i].direction);
        QCOMPARE(logged[i].trace, expected[i].trace);
    }
}

// Each command of a held button is one TX line; when the program is killed
// the log holds every command that reached the line, and at most the one
// written after it.
void TrafficLogTest::killedProgramLeavesEveryLine()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    m_program.start(QStringLiteral(PROJECTOR_CTL_PATH),
                    {"--line", pty.slavePath(), "--log", m_dir.filePath("traffic.log"), "--hold",
                     "20000", "FOCUS +"});
    QByteArray line = pty.take(4 * 10, 10000);
    QCOMPARE(line.size(), 40);
    pty.write("\x06\r");
    line += pty.take(4 * 10, 10000);
    m_program.kill();
    QVERIFY(m_program.waitForFinished(10000));
    QCOMPARE(m_program.exitStatus(), QProcess::CrashExit);
    line += pty.takeAll();
    const qsizetype commands = line.count("C4B\r");
    QCOMPARE(commands * 4, line.size());

    int lines = 0;
    const QList<Line> logged = readLog(&lines);
    QVERIFY(!logged.isEmpty());
    QVERIFY2(logged.first().direction == u"TX", qPrintable(logged.first().trace));
    qsizetype sent = 0;
    for (const Line &l : logged) {
        if (l.direction == u"TX")
            sent += l.trace.count(QStringLiteral("C 4 B CR "));
        else
            QCOMPARE(l.trace, QStringLiteral(" ACK CR "));
    }
    QVERIFY2(sent == commands || sent == commands + 1,
             qPrintable(QStringLiteral("%1 logged, %2 on the line").arg(sent).arg(commands)));
    QCOMPARE(logged.size(), 3); // the ACK stands between the commands
}

void TrafficLogTest::unopenableLog_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("projector-ctl")
        << PROJECTOR_CTL_PATH << QStringList{"--line", "sim", "STATUS"} << 2;
    QTest::newRow("projector-console")
        << PROJECTOR_CONSOLE_PATH << QStringList{"--com1", "sim", "-platform", "offscreen"} << 2;
}

void TrafficLogTest::unopenableLog()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const QString path = m_dir.filePath(QStringLiteral("no-such-dir/traffic.log"));
    m_program.start(program, arguments + QStringList{"--log", path});
    QVERIFY(m_program.waitForFinished(10000));
    QCOMPARE(m_program.exitCode(), exitCode);
    const QString errors = QString::fromLocal8Bit(m_program.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("cannot open the log ") + path), qPrintable(errors));
}

void TrafficLogTest::failedWritesTold_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("projector-ctl") << PROJECTOR_CTL_PATH << QStringList{"--line"} << 2;
    QTest::newRow("projector-console")
        << PROJECTOR_CONSOLE_PATH << QStringList{"-platform", "offscreen", "--com1"} << 0;
}

// Told at once, on standard error (the window also in a notice), and
// projector-ctl fails; the line keeps working.
void TrafficLogTest::failedWritesTold()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    PtyPair pty; // the window logs what arrives unasked
    QVERIFY(pty.isValid());
    m_program.start(program, arguments
                                 + QStringList{pty.slavePath(), "--log", "/dev/full", "STATUS"}.mid(
                                     0, exitCode == 2 ? 4 : 3));
    if (exitCode == 2)
        QCOMPARE(pty.take(4, 10000), QByteArray("CR0\r"));
    // The window may clear what waits on the line when it takes it: the
    // reply goes again until the failed write is told.
    QString errors;
    QElapsedTimer sinceReply;
    const auto told = [&] {
        errors += QString::fromLocal8Bit(m_program.readAllStandardError());
        if (errors.contains(QStringLiteral("The traffic log /dev/full could not be written")))
            return true;
        if (!sinceReply.isValid() || sinceReply.hasExpired(exitCode == 2 ? 10000 : 200)) {
            pty.write("00\r");
            sinceReply.start();
        }
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(told(), 10000);
    if (m_program.state() == QProcess::Running && exitCode == 0)
        ::kill(m_program.processId(), SIGTERM); // the window stays up
    QVERIFY(m_program.state() == QProcess::NotRunning || m_program.waitForFinished(10000));
    QCOMPARE(m_program.exitCode(), exitCode);
    if (exitCode == 2)
        QVERIFY(m_program.readAllStandardOutput().contains("STATUS Power ON"));
}

// A nearly full disk, as a file size limit on the program makes it: the
// lines that fit are whole, the first that does not is told, and
// projector-ctl fails.
void TrafficLogTest::fullDiskKeepsWholeLines()
{
    const QByteArray earlier = QByteArrayLiteral("2026-12-08T00:00:00.000Z COM1 TX C 4 B CR \n");
    QFile log(m_dir.filePath(QStringLiteral("traffic.log")));
    QVERIFY(log.open(QIODevice::WriteOnly));
    QCOMPARE(log.write(earlier.repeated(68)), earlier.size() * 68);
    log.close();
    // Room for some twenty lines more, the last of them torn.
    const rlim_t limit = earlier.size() * 68 + 1000;
    m_program.setChildProcessModifier([limit] {
        const rlimit size{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size);
        ::signal(SIGXFSZ, SIG_IGN);
    });
    const auto unlimited = qScopeGuard([this] { m_program.setChildProcessModifier({}); });
    PtyPair pty;
    QVERIFY(pty.isValid());
    m_program.start(
        QStringLiteral(PROJECTOR_CTL_PATH),
        {"--line", pty.slavePath(), "--log", log.fileName(), "--hold", "3000", "FOCUS +"});
    QVERIFY(m_program.waitForFinished(10000));
    QCOMPARE(m_program.exitCode(), 2);
    const QByteArray errors = m_program.readAllStandardError();
    QVERIFY2(errors.contains("could not be written"), errors.constData());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY(text.endsWith('\n'));
    const qsizetype lines = text.count('\n');
    QVERIFY2(lines > 68 + 5 && lines == text.count(" COM1 TX C 4 B CR \n"), text.constData());
}

void TrafficLogTest::movedLogReopened_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::newRow("moved") << false;
    QTest::newRow("deleted") << true;
}

// As log rotation does it: the lines after the move go to a new file by the name.
void TrafficLogTest::movedLogReopened()
{
    QFETCH(bool, deleted);
    PtyPair pty;
    QVERIFY(pty.isValid());
    const QString path = m_dir.filePath(QStringLiteral("traffic.log"));
    m_program.start(QStringLiteral(PROJECTOR_CTL_PATH),
                    {"--line", pty.slavePath(), "--log", path, "--hold", "1500", "FOCUS +"});
    QTRY_VERIFY(QFileInfo(path).size() > 0);
    QVERIFY(deleted ? QFile::remove(path) : QFile::rename(path, path + QStringLiteral(".1")));
    QVERIFY(m_program.waitForFinished(10000));
    QCOMPARE(m_program.exitCode(), 1); // nobody answered, and the log was written
    const QList<Line> after = readLog();
    QCOMPARE(after.size(), 1);
    QVERIFY(after.first().trace.count(QStringLiteral("C 4 B CR")) > 2);
    if (!deleted)
        QVERIFY(!readLog(nullptr, QStringLiteral("traffic.log.1")).isEmpty());
}

QTEST_GUILESS_MAIN(TrafficLogTest)
#include "tst_trafficlog.moc"
