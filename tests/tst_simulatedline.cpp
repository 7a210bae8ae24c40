// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulatedline.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

SerialSettings at(int baud)
{
    SerialSettings settings;
    settings.baudRate = baud;
    return settings;
}

// Collects every piece the line delivers, one readAll() per readyRead.
struct Collector
{
    explicit Collector(SimulatedLine &line)
    {
        clock.start();
        QObject::connect(&line, &CommLine::readyRead, &line, [this, &line] {
            if (pieces.isEmpty())
                firstPieceUs = clock.nsecsElapsed() / 1000;
            pieces << line.readAll();
        });
    }
    QByteArray all() const { return pieces.join(); }

    QElapsedTimer clock;
    QByteArrayList pieces;
    qint64 firstPieceUs = -1;
};

} // namespace

class SimulatedLineTest : public QObject
{
    Q_OBJECT

private slots:
    void commandTakesItsTimeOnTheWire_data();
    void commandTakesItsTimeOnTheWire();
    void longWriteDrainsGradually();
    void replyArrivesInTwoPieces();
    void replyInOnePieceWhenAsked();
    void linesOwnState();
    void broadcastGetsNoReply();
    void refusedWhileClosed();
    void closeDropsReplyInFlight();
    void madeFromDeviceForm_data();
    void madeFromDeviceForm();
};

void SimulatedLineTest::commandTakesItsTimeOnTheWire_data()
{
    QTest::addColumn<int>("openBaud");
    QTest::addColumn<int>("baud"); // applied after opening when different
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("9600, addressed read") << 9600 << 9600 << QByteArray("A001CR0\r")
                                          << QByteArray("80\r");
    QTest::newRow("19200, addressed read") << 19200 << 19200 << QByteArray("A001CR0\r")
                                           << QByteArray("80\r");
    QTest::newRow("speed changed to 9600") << 19200 << 9600 << QByteArray("A004CR4\r")
                                           << QByteArray("11\r");
}

void SimulatedLineTest::commandTakesItsTimeOnTheWire()
{
    QFETCH(int, openBaud);
    QFETCH(int, baud);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, reply);

    SimulatedLine line;
    line.model().setBaudRate(baud);
    QVERIFY(line.open(at(openBaud)));
    if (baud != openBaud)
        QVERIFY(line.applySettings(at(baud)));
    Collector collector(line);
    QSignalSpy readyRead(&line, &CommLine::readyRead);

    QVERIFY(line.write(text));
    const qint64 waiting = line.bytesWaiting();
    QVERIFY2(waiting > 0 && waiting <= text.size(), QByteArray::number(waiting).constData());
    QCOMPARE(readyRead.count(), 0); // never inside write()

    QTRY_COMPARE(line.bytesWaiting(), qint64(0));
    QTRY_COMPARE(collector.all(), reply);

    // The projector can answer only once the whole text has crossed the line
    // (10 bits a character) and it has taken its time to answer.
    const double wireUs = text.size() * at(baud).characterMicroseconds();
    const qint64 earliestUs = qint64(wireUs) + sim::Projector::ReadDelayMs * 1000;
    QVERIFY2(collector.firstPieceUs >= earliestUs,
             qPrintable(QStringLiteral("reply after %1 us, expected at least %2 us")
                            .arg(collector.firstPieceUs)
                            .arg(earliestUs)));
}

void SimulatedLineTest::longWriteDrainsGradually()
{
    SimulatedLine line;
    QVERIFY(line.open(at(9600)));
    const QByteArray text = QByteArray(99, 'x') + '\r'; // about 104 ms on the wire
    QVERIFY(line.write(text));
    QVERIFY(line.bytesWaiting() > 90);
    QTRY_VERIFY(line.bytesWaiting() > 0 && line.bytesWaiting() < 90);
    // A second write queues behind the first.
    // (One byte of the first may leave between the two readings.)
    const qint64 before = line.bytesWaiting();
    QVERIFY(line.write("CR0\r"));
    const qint64 after = line.bytesWaiting();
    QVERIFY2(after >= before + 3 && after <= before + 4,
             qPrintable(QStringLiteral("%1 waiting before, %2 after").arg(before).arg(after)));
    QTRY_COMPARE(line.bytesWaiting(), qint64(0));
}

void SimulatedLineTest::replyArrivesInTwoPieces()
{
    SimulatedLine line;
    QVERIFY(line.open(at(19200)));
    Collector collector(line);
    QVERIFY(line.write("CR0\r"));
    QTRY_COMPARE(collector.all(), QByteArray("80\r"));
    QCOMPARE(collector.pieces, (QByteArrayList{"8", "0\r"}));
    QCOMPARE(line.readAll(), QByteArray());
}

void SimulatedLineTest::replyInOnePieceWhenAsked()
{
    SimulatedLine line;
    line.setSplitReplies(false);
    QVERIFY(line.open(at(19200)));
    Collector collector(line);
    QVERIFY(line.write("CR0\rCR1\r"));
    QTRY_COMPARE(collector.all(), QByteArray("80\r1\r"));
    QCOMPARE(collector.pieces, (QByteArrayList{"80\r", "1\r"}));
}

void SimulatedLineTest::linesOwnState()
{
    SimulatedLine line;
    QCOMPARE(line.deviceName(), QStringLiteral("simulated projector line"));
    QVERIFY(line.open(at(19200)));
    Collector collector(line);
    QVERIFY(line.write("A003C00\r"));
    QTRY_COMPARE(collector.all(), QByteArray("\x06\r"));
    QCOMPARE(line.model().projector(3).state().power, sim::Power::CountDown);
    QCOMPARE(line.model().projector(1).state().power, sim::Power::Standby);
}

void SimulatedLineTest::broadcastGetsNoReply()
{
    SimulatedLine line;
    QVERIFY(line.open(at(19200)));
    QSignalSpy readyRead(&line, &CommLine::readyRead);
    QVERIFY(line.write("AFFFC00\r"));
    QTRY_COMPARE(line.model().projector(4).state().power, sim::Power::CountDown);
    for (int number = 1; number <= 3; ++number)
        QCOMPARE(line.model().projector(number).state().power, sim::Power::CountDown);
    QVERIFY(!readyRead.wait(3 * sim::Projector::OperationDelayMs));
}

void SimulatedLineTest::refusedWhileClosed()
{
    SimulatedLine line;
    QVERIFY(!line.isOpen());
    QVERIFY(!line.write("CR0\r"));
    QCOMPARE(line.errorString(), QStringLiteral("port is not open"));
    QCOMPARE(line.bytesWaiting(), qint64(0));
    QVERIFY(!line.applySettings(at(9600)));

    QVERIFY(line.open(at(19200)));
    QVERIFY(line.isOpen());
    QVERIFY(!line.open(at(19200)));
    line.close();
    QVERIFY(!line.isOpen());
    QVERIFY(!line.write("CR0\r"));
}

void SimulatedLineTest::closeDropsReplyInFlight()
{
    SimulatedLine line;
    QVERIFY(line.open(at(19200)));
    line.model().projector(1).state().power = sim::Power::On;
    QSignalSpy readyRead(&line, &CommLine::readyRead);
    QVERIFY(line.write("CF IMAGE REAL\r"));
    // Wait for the projector to take the command, then close before it answers.
    QTRY_COMPARE(line.model().projector(1).state().imageMode, sim::ImageMode::Real);
    QCOMPARE(readyRead.count(), 0);
    line.close();
    QVERIFY(line.open(at(19200)));
    QVERIFY(!readyRead.wait(sim::Projector::ImageModeDelayMs + 300));
    QCOMPARE(line.readAll(), QByteArray());

    // The reopened line works as before.
    QVERIFY(line.write("CR1\r"));
    QVERIFY(readyRead.wait());
    QTRY_COMPARE(readyRead.count(), 2);
    QCOMPARE(line.readAll(), QByteArray("1\r"));
}

void SimulatedLineTest::madeFromDeviceForm_data()
{
    QTest::addColumn<QString>("form"); // FILE stands for a file holding `contents`
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("refusal"); // "-": no line at all
    QTest::addColumn<QByteArray>("reply");   // to "A002CR0" once open

    QTest::newRow("sim") << "sim" << QByteArray() << QString() << QByteArray("80\r");
    QTest::newRow("sim:FILE")
        << "sim:FILE" << QByteArray("# staged\npower 2 cooling\n\nmute 2 video\n") << QString()
        << QByteArray("20\r");
    QTest::newRow("line not understood")
        << "sim:FILE" << QByteArray("power 2 on\npower 2 melting\n")
        << "FILE: line 2: power: \"melting\" is no STATE" << QByteArray();
    QTest::newRow("missing file") << "sim:FILE/missing" << QByteArray() << "FILE/missing: "
                                  << QByteArray();
    QTest::newRow("device") << "/dev/ttyS0" << QByteArray() << "-" << QByteArray();
    QTest::newRow("other name") << "simulator" << QByteArray() << "-" << QByteArray();
}

void SimulatedLineTest::madeFromDeviceForm()
{
    QFETCH(QString, form);
    QFETCH(QByteArray, contents);
    QFETCH(QString, refusal);
    QFETCH(QByteArray, reply);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("states"));
    if (!contents.isEmpty()) {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(contents);
    }
    const std::unique_ptr<CommLine> line
        = makeSimulatedLine(QString(form).replace(QStringLiteral("FILE"), file));
    if (refusal == u"-") {
        QVERIFY(!line);
        return;
    }
    QVERIFY(line);
    QCOMPARE(line->open(at(19200)), refusal.isEmpty());
    if (!refusal.isEmpty()) {
        QVERIFY2(line->errorString().startsWith(QString(refusal).replace(QStringLiteral("FILE"), file)),
                 qPrintable(line->errorString()));
        return;
    }
    QSignalSpy readyRead(line.get(), &CommLine::readyRead);
    QByteArray got;
    connect(line.get(), &CommLine::readyRead, this, [&] { got += line->readAll(); });
    QVERIFY(line->write("A002CR0\r"));
    QTRY_COMPARE(got, reply);
}

QTEST_GUILESS_MAIN(SimulatedLineTest)
#include "tst_simulatedline.moc"
