// SPDX-License-Identifier: GPL-3.0-or-later
#include "watch/campus.h"
#include "watch/roundclock.h"

#include <QFile>
#include <QTest>

using namespace watch;

// The configuration file of a campus and the grid the rounds keep.
class WatchConfigTest : public QObject
{
    Q_OBJECT

private slots:
    void campusFile();
    void shippedExample();
    void campusMistakes_data();
    void campusMistakes();
    void addresses_data();
    void addresses();
    void roundGrid_data();
    void roundGrid();
};

void WatchConfigTest::campusFile()
{
    const Campus campus = parseCampus(
        QStringLiteral("# halls\n"
                       "hall-a  /dev/ttyUSB0\n"
                       "\n"
                       "  hall-b\trfc2217://pbox.example:7000   addresses=1,3 speed=9600\n"
                       "foyer   tcp://[::1]:4001 addresses=single\n"));
    QVERIFY2(campus.error.isEmpty(), qPrintable(campus.error));
    QCOMPARE(campus.lines.size(), 3);
    QCOMPARE(campus.lines[0].device, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(campus.lines[0].settings, QStringLiteral("19200,N,8,1"));
    QCOMPARE(campus.lines[0].addresses, QList<int>({1, 2, 3, 4}));
    QCOMPARE(campus.lines[1].name, QStringLiteral("hall-b"));
    QCOMPARE(campus.lines[1].settings, QStringLiteral("9600,N,8,1"));
    QCOMPARE(campus.lines[1].addresses, QList<int>({1, 3}));
    QCOMPARE(campus.lines[2].addresses, QList<int>({0}));
}

void WatchConfigTest::shippedExample()
{
    QFile file(QStringLiteral(WATCH_EXAMPLE_CONFIG));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const Campus campus = parseCampus(QString::fromUtf8(file.readAll()));
    QVERIFY2(campus.error.isEmpty(), qPrintable(campus.error));
    QCOMPARE(campus.lines.size(), 6);
}

void WatchConfigTest::campusMistakes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << "# nothing\n"
                           << "no line to watch";
    QTest::newRow("no device") << "a /dev/ttyS0\nhall-b\n"
                               << "line 2: a name and a device are needed";
    QTest::newRow("name twice") << "a /dev/ttyS0\na /dev/ttyS1\n"
                                << "line 2: the name a is taken";
    QTest::newRow("speed") << "a /dev/ttyS0 speed=4800\n"
                           << "line 1: speed is 19200 or 9600, not 4800";
    QTest::newRow("address 5") << "a sim addresses=1,5\n"
                               << "line 1: addresses are all, single or numbers 1 to 4, not 1,5";
    QTest::newRow("unknown") << "a sim period=5\n"
                             << "line 1: period=5 is not speed= or addresses=";
}

void WatchConfigTest::campusMistakes()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    const Campus campus = parseCampus(text);
    QCOMPARE(campus.error, error);
    QVERIFY(campus.lines.isEmpty());
}

void WatchConfigTest::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("addresses");
    QTest::newRow("all") << "all" << QList<int>{1, 2, 3, 4};
    QTest::newRow("single") << "single" << QList<int>{0};
    QTest::newRow("some, in order given") << "4,2" << QList<int>{4, 2};
    QTest::newRow("twice") << "2,2" << QList<int>{};
    QTest::newRow("zero") << "0" << QList<int>{};
    QTest::newRow("empty") << "" << QList<int>{};
}

void WatchConfigTest::addresses()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, addresses);
    QCOMPARE(parseAddresses(text), addresses);
}

void WatchConfigTest::roundGrid_data()
{
    QTest::addColumn<qint64>("started");
    QTest::addColumn<qint64>("ended");
    QTest::addColumn<qint64>("next");
    QTest::addColumn<bool>("late");
    // Anchor 1000, period 10000.
    QTest::newRow("on time") << qint64(1000) << qint64(2060) << qint64(11000) << false;
    QTest::newRow("just on time") << qint64(11000) << qint64(21000) << qint64(21000) << false;
    QTest::newRow("overran one") << qint64(11000) << qint64(21001) << qint64(31000) << true;
    QTest::newRow("overran three") << qint64(1000) << qint64(35000) << qint64(41000) << true;
    QTest::newRow("late start keeps the grid")
        << qint64(31000) << qint64(40999) << qint64(41000) << false;
}

void WatchConfigTest::roundGrid()
{
    QFETCH(qint64, started);
    QFETCH(qint64, ended);
    QFETCH(qint64, next);
    QFETCH(bool, late);
    const RoundClock clock{1000, 10000};
    QCOMPARE(clock.nextStart(started, ended), next);
    QCOMPARE(clock.late(started, ended), late);
}

QTEST_GUILESS_MAIN(WatchConfigTest)
#include "tst_watchconfig.moc"
