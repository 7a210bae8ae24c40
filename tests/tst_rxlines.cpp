// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rxlines.h"

#include <QTest>

// The RX lines of the traffic log on a clock the test sets: one per reply,
// bounded in length and in number under a flood.
class RxLinesTest : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
};

struct Step
{
    qint64 ms;
    QString arrived; // empty: the reply window ends
    QStringList lines;
};
Q_DECLARE_METATYPE(QList<Step>)

QString trace64()
{
    return QStringLiteral(" ") + QStringLiteral("A ").repeated(64);
}

QStringList repeatedLine(const char *line, int times)
{
    return QStringList(times, QString::fromLatin1(line));
}

void RxLinesTest::lines_data()
{
    QTest::addColumn<QList<Step>>("steps");
    QTest::newRow("a reply in pieces is one line")
        << QList<Step>{{0, "8", {}}, {20, "0\r", {" 8 0 CR "}}};
    QTest::newRow("two replies in one piece")
        << QList<Step>{{0, "\x06\r00\r", {" ACK CR ", " 0 0 CR "}}};
    QTest::newRow("remainder when the window ends")
        << QList<Step>{{0, "4\r1", {" 4 CR "}}, {500, "", {" 1 "}}};
    QTest::newRow("nothing pending: the window's end writes nothing")
        << QList<Step>{{0, "?\r", {" ? CR "}}, {500, "", {}}};
    QTest::newRow("long reply cut and counted") << QList<Step>{
        {0, QString(100, u'A') + u'\r', {trace64() + QStringLiteral("(+37 characters)")}}};
    QTest::newRow("a flood: lines a second bounded, the rest counted") << QList<Step>{
        {0, QStringLiteral("0\r").repeated(25), repeatedLine(" 0 CR ", 20)},
        {999, "0\r", {}},
        {1000, "1\r", {" (6 more replies, 12 characters: more than 20 lines a second)", " 1 CR "}}};
    QTest::newRow("an endless reply is written after a second")
        << QList<Step>{{0, QString(70, u'B'), {}},
                       {1100,
                        QString(30, u'B'),
                        {QStringLiteral(" ") + QStringLiteral("B ").repeated(64)
                         + QStringLiteral("(+6 characters)")}}};
    QTest::newRow("a reply begun a second ago is due, however it grew")
        << QList<Step>{{0, QString(70, u'B'), {}},
                       {600, QString(10, u'B'), {}},
                       {1000,
                        QStringLiteral("0\r"),
                        {QStringLiteral(" ") + QStringLiteral("B ").repeated(64)
                             + QStringLiteral("(+16 characters)"),
                         " 0 CR "}}};
    QTest::newRow("the window's end writes the count at once") << QList<Step>{
        {0, QStringLiteral("0\r").repeated(20) + QString(99, u'A') + u'\r',
         repeatedLine(" 0 CR ", 20)},
        {500, "", {" (1 more replies, 100 characters: more than 20 lines a second)"}}};
}

void RxLinesTest::lines()
{
    QFETCH(QList<Step>, steps);
    RxLines rx;
    for (const Step &step : steps) {
        QStringList lines = step.arrived.isEmpty()
                                ? rx.windowEnded(step.ms)
                                : rx.due(step.ms) + rx.arrived(step.arrived, step.ms);
        QCOMPARE(lines, step.lines);
    }
}

QTEST_GUILESS_MAIN(RxLinesTest)
#include "tst_rxlines.moc"
