#include "support/ptypair.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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

private:
    struct Line
    {
        QString direction;
        QString trace;
    };
    // The log's lines, each checked for its form; consecutive pieces of one
    // direction joined as the RXD line joins them.
    QList<Line> readLog(int *lines = nullptr);

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

QList<TrafficLogTest::Line> TrafficLogTest::readLog(int *count)
{
    static const QRegularExpression form(QStringLiteral(
        R"(^(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(?:Z|[+-]\d\d:\d\d)) COM1 (TX|RX)( .*)$)"));
    QFile file(m_dir.filePath(QStringLiteral("traffic.log")));
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
        if (!joined.isEmpty() && joined.last().direction == match.captured(2))
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

QTEST_GUILESS_MAIN(TrafficLogTest)
#include "tst_trafficlog.moc"
