// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/commsettings.h"
#include "link/deviceline.h"
#include "link/mscomm.h"
#include "link/trace.h"
#include "support/fakeline.h"
#include "support/ptypair.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

class LinkTest : public QObject
{
    Q_OBJECT

private slots:
    void traceOfEveryByte();
    void traceExamples_data();
    void traceExamples();

    void settingsAccepted_data();
    void settingsAccepted();
    void settingsRefused_data();
    void settingsRefused();

    void openFailureNamesPortDeviceAndReason();
    void deviceOpenFailureSaysWhatIsWrong_data();
    void deviceOpenFailureSaysWhatIsWrong();
    void refusedSettingsKeepThePrevious();
    void outputRefusedWhileClosed();
    void receivedBytesBecomeCharactersOneForOne();
    void receiveEventComesBetweenEvents();
    void floodIsGatheredAtScreenPace();
    void lostCharactersAreToldFirst();
    void lostLineIsToldOnce();
};

void LinkTest::traceOfEveryByte()
{
    // Every byte the line can deliver, as the component hands it over.
    for (int code = 0; code < 256; ++code) {
        const QString text = QString::fromLatin1(QByteArray(1, char(code)));
        QString expected;
        if (code == 6)
            expected = QStringLiteral(" ACK ");
        else if (code == 20)
            expected = QStringLiteral(" &");
        else if (code == 13)
            expected = QStringLiteral(" CR ");
        else if (code == 10)
            expected = QStringLiteral(" LF ");
        else if (code < 32 || code > 122)
            expected = QStringLiteral(" ? ");
        else
            expected = QStringLiteral(" ") + QChar(code) + QStringLiteral(" ");
        QCOMPARE(trace(text), expected);
    }
    // Characters beyond one byte (typed text) are outside the plain range too.
    QCOMPARE(trace(QStringLiteral("データ")), QStringLiteral(" ? ? ? "));
}

void LinkTest::traceExamples_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("power on") << QStringLiteral("C00\r") << QStringLiteral(" C 0 0 CR ");
    QTest::newRow("addressed") << QStringLiteral("A001C00\r")
                               << QStringLiteral(" A 0 0 1 C 0 0 CR ");
    QTest::newRow("reply") << QStringLiteral("00\r") << QStringLiteral(" 0 0 CR ");
    QTest::newRow("ack") << QStringLiteral("\x06\r") << QStringLiteral(" ACK CR ");
    QTest::newRow("empty") << QString() << QStringLiteral(" ");
    QTest::newRow("status query") << QStringLiteral("CR0\r") << QStringLiteral(" C R 0 CR ");
    QTest::newRow("control order") << QStringLiteral("\n\r\x06") << QStringLiteral(" LF CR ACK ");
    QTest::newRow("code 20 joins") << QStringLiteral("\x14"
                                                     "5")
                                   << QStringLiteral(" &5 ");
    QTest::newRow("letters") << QStringLiteral("z{Aa[") << QStringLiteral(" z ? A a [ ");
    QTest::newRow("space doubles")
        << QStringLiteral("CF IMAGE") << QStringLiteral(" C F   I M A G E ");
    QTest::newRow("nul") << QString(QChar(0)) << QStringLiteral(" ? ");
}

void LinkTest::traceExamples()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(trace(text), expected);
}

void LinkTest::settingsAccepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    using P = SerialSettings::Parity;
    using S = SerialSettings::StopBits;
    QTest::newRow("19200") << "19200,N,8,1" << 19200 << int(P::None) << 8 << int(S::One);
    QTest::newRow("9600") << "9600,N,8,1" << 9600 << int(P::None) << 8 << int(S::One);
    QTest::newRow("even 7 2") << "4800,E,7,2" << 4800 << int(P::Even) << 7 << int(S::Two);
    QTest::newRow("odd 5 1.5") << "1200,O,5,1.5" << 1200 << int(P::Odd) << 5 << int(S::OneAndHalf);
    QTest::newRow("mark") << "2400,M,6,1" << 2400 << int(P::Mark) << 6 << int(S::One);
    QTest::newRow("space") << "2400,S,8,1" << 2400 << int(P::Space) << 8 << int(S::One);
}

void LinkTest::settingsAccepted()
{
    QFETCH(QString, text);
    const ParsedSettings parsed = parseSettings(text);
    QVERIFY2(parsed.settings, qPrintable(parsed.error));
    QTEST(parsed.settings->baudRate, "baud");
    QTEST(int(parsed.settings->parity), "parity");
    QTEST(parsed.settings->dataBits, "dataBits");
    QTEST(int(parsed.settings->stopBits), "stopBits");
}

void LinkTest::settingsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("empty") << ""
                           << "separated by commas";
    QTest::newRow("three fields") << "9600,N,8"
                                  << "separated by commas";
    QTest::newRow("five fields") << "9600,N,8,1,1"
                                 << "separated by commas";
    QTest::newRow("baud word") << "fast,N,8,1"
                               << "baud rate";
    QTest::newRow("baud zero") << "0,N,8,1"
                               << "baud rate";
    QTest::newRow("baud negative") << "-9600,N,8,1"
                                   << "baud rate";
    QTest::newRow("baud plus") << "+9600,N,8,1"
                               << "baud rate";
    QTest::newRow("baud leading space") << " 9600,N,8,1"
                                        << "baud rate";
    QTest::newRow("baud trailing space") << "9600 ,N,8,1"
                                         << "baud rate";
    QTest::newRow("baud leading zero") << "09600,N,8,1"
                                       << "baud rate";
    QTest::newRow("baud too large") << "99999999999,N,8,1"
                                    << "baud rate";
    QTest::newRow("baud nul") << QString::fromLatin1("960\0"
                                                     "0,N,8,1",
                                                     11)
                              << "baud rate";
    QTest::newRow("parity nul") << QString::fromLatin1("9600,N\0,8,1", 11) << "parity";
    QTest::newRow("data nul") << QString::fromLatin1("9600,N,8\0,1", 11) << "data bits";
    QTest::newRow("stop nul") << QString::fromLatin1("9600,N,8,1\0", 11) << "stop bits";
    QTest::newRow("parity lower") << "9600,n,8,1"
                                  << "parity";
    QTest::newRow("parity X") << "9600,X,8,1"
                              << "parity";
    QTest::newRow("parity long") << "9600,NN,8,1"
                                 << "parity";
    QTest::newRow("data 4") << "9600,N,4,1"
                            << "data bits";
    QTest::newRow("data 9") << "9600,N,9,1"
                            << "data bits";
    QTest::newRow("stop 3") << "9600,N,8,3"
                            << "stop bits";
    QTest::newRow("stop 1.0") << "9600,N,8,1.0"
                              << "stop bits";
    QTest::newRow("spaces") << "9600, N,8,1"
                            << "parity";
}

void LinkTest::settingsRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, complaint);
    const ParsedSettings parsed = parseSettings(text);
    QVERIFY(!parsed.settings);
    QVERIFY2(parsed.error.contains(complaint), qPrintable(parsed.error));
    QVERIFY(parsed.error.contains(text));
}

namespace {
struct Component
{
    FakeLine *line = nullptr;
    QString failure;
    MSComm comm{[this](int port) -> std::unique_ptr<CommLine> {
        auto made = std::make_unique<FakeLine>(QStringLiteral("/dev/ttyUSB%1").arg(port));
        made->openFailure = failure;
        line = made.get();
        return made;
    }};
};
} // namespace

void LinkTest::openFailureNamesPortDeviceAndReason()
{
    Component c;
    c.failure = QStringLiteral("the device does not exist");
    c.comm.setCommPort(2);
    QVERIFY(!c.comm.setPortOpen(true));
    QVERIFY(!c.comm.portOpen());
    const QString description = c.comm.errorDescription();
    QVERIFY2(description.contains(QLatin1String("Port 2")), qPrintable(description));
    QVERIFY2(description.contains(QLatin1String("/dev/ttyUSB2")), qPrintable(description));
    QVERIFY2(description.contains(c.failure), qPrintable(description));
}

void LinkTest::deviceOpenFailureSaysWhatIsWrong_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("/dev/null") << "null"
                               << "it is not a serial device";
    QTest::newRow("regular file") << "file"
                                  << "it is not a serial device but a regular file";
    QTest::newRow("FIFO") << "fifo"
                          << "it is not a serial device but a FIFO";
    QTest::newRow("directory") << "directory"
                               << "it is not a serial device but a directory";
    QTest::newRow("missing") << "missing"
                             << "the device does not exist";
    QTest::newRow("missing, 251 characters") << "long"
                                             << "the device does not exist";
    QTest::newRow("held by another") << "busy"
                                     << QStringLiteral("the device is in use by %1 (process %2)")
                                            .arg(QCoreApplication::applicationName())
                                            .arg(QCoreApplication::applicationPid());
}

void LinkTest::deviceOpenFailureSaysWhatIsWrong()
{
    QFETCH(QString, kind);
    QFETCH(QString, complaint);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(kind);
    if (kind == u"null") {
        path = QStringLiteral("/dev/null");
    } else if (kind == u"file") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == u"fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == u"directory") {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == u"long") {
        path = QStringLiteral("/dev/") + QString(251, u'x');
    }
    PtyPair pty;
    DeviceLine holder(pty.slavePath());
    if (kind == u"busy") {
        QVERIFY(holder.open(SerialSettings{}));
        path = pty.slavePath();
    }
    DeviceLine line(path);
    QVERIFY(!line.open(SerialSettings{}));
    QVERIFY(!line.isOpen());
    QCOMPARE(line.errorString(), complaint);
}

void LinkTest::refusedSettingsKeepThePrevious()
{
    Component c;
    QVERIFY(c.comm.setSettings(QStringLiteral("19200,N,8,1")));
    QVERIFY(c.comm.setPortOpen(true));
    QCOMPARE(c.line->applied.baudRate, 19200);

    QVERIFY(!c.comm.setSettings(QStringLiteral("19200;N;8;1")));
    QCOMPARE(c.comm.settings(), QStringLiteral("19200,N,8,1"));

    c.line->refuseSettings = true;
    QVERIFY(!c.comm.setSettings(QStringLiteral("9600,N,8,1")));
    QVERIFY(c.comm.errorDescription().contains(QLatin1String("refused the settings")));
    QCOMPARE(c.comm.settings(), QStringLiteral("19200,N,8,1"));

    c.line->refuseSettings = false;
    QVERIFY(c.comm.setSettings(QStringLiteral("9600,N,8,1")));
    QVERIFY(c.comm.portOpen());
    QCOMPARE(c.line->applied.baudRate, 9600);
}

void LinkTest::outputRefusedWhileClosed()
{
    Component c;
    QVERIFY(!c.comm.setOutput(QStringLiteral("C00\r")));
    QVERIFY(c.comm.errorDescription().contains(QLatin1String("not open")));
    QVERIFY(c.comm.setPortOpen(true));
    QVERIFY(!c.comm.setPortOpen(true));
    QVERIFY(!c.comm.setCommPort(2));
    QCOMPARE(c.comm.commPort(), qint16(1));
    QVERIFY(c.comm.setOutput(QStringLiteral("C00\r")));
    QCOMPARE(c.line->written, QByteArray("C00\r"));
}

void LinkTest::receivedBytesBecomeCharactersOneForOne()
{
    Component c;
    QVERIFY(c.comm.setPortOpen(true));
    QByteArray all;
    for (int code = 0; code < 256; ++code)
        all += char(code);
    QSignalSpy events(&c.comm, &MSComm::onComm);
    c.line->feed(all);
    QVERIFY(events.wait());
    QCOMPARE(c.comm.commEvent(), qint16(MSComm::comEvReceive));
    const QString text = c.comm.input();
    QCOMPARE(text.size(), 256);
    for (int code = 0; code < 256; ++code)
        QCOMPARE(int(text.at(code).unicode()), code);
    QVERIFY(c.comm.input().isEmpty());
}

void LinkTest::receiveEventComesBetweenEvents()
{
    Component c;
    QVERIFY(c.comm.setPortOpen(true));
    QSignalSpy events(&c.comm, &MSComm::onComm);
    c.line->incoming = "00\r";
    emit c.line->readyRead();
    QCOMPARE(events.count(), 0); // not inside the code that raised it
    QTRY_COMPARE(events.count(), 1);
    QCOMPARE(c.comm.input(), QStringLiteral("00\r"));
    // Bytes of a port that has been closed meanwhile raise nothing.
    c.line->incoming = "late";
    emit c.line->readyRead();
    c.comm.setPortOpen(false);
    QTest::qWait(20);
    QCOMPARE(events.count(), 1);
}

// A line streaming without pause: receive events no faster than the screen
// redraws, each with the latest characters only.
void LinkTest::floodIsGatheredAtScreenPace()
{
    Component c;
    QVERIFY(c.comm.setPortOpen(true));
    qsizetype events = 0;
    QString last;
    connect(&c.comm, &MSComm::onComm, this, [&] {
        if (c.comm.commEvent() != MSComm::comEvReceive)
            return; // characters were lost, as they are in a flood
        ++events;
        last = c.comm.input();
        QVERIFY(last.size() <= MSComm::kInputKept);
    });
    QElapsedTimer clock;
    clock.start();
    int fed = 0;
    QTimer stream;
    connect(&stream, &QTimer::timeout, this,
            [&] { c.line->feed(QByteArray(4000, char('A' + fed++ % 26))); });
    stream.setTimerType(Qt::PreciseTimer);
    stream.start(1);
    QEventLoop flood;
    QTimer::singleShot(300, &flood, &QEventLoop::quit);
    flood.exec();
    stream.stop();
    QTRY_COMPARE(last.right(4000), QString(4000, QChar(u'A' + (fed - 1) % 26)));
    const qint64 paced = clock.elapsed() / MSComm::kReceivePaceMs + 2;
    QVERIFY2(events <= paced && events * 4 < fed,
             qPrintable(QStringLiteral("%1 events for %2 arrivals").arg(events).arg(fed)));
}

// More than Input keeps came at once: the oldest are dropped, and the window
// hears so before it reads the rest, which does not follow on from earlier input.
void LinkTest::lostCharactersAreToldFirst()
{
    Component c;
    QVERIFY(c.comm.setPortOpen(true));
    QStringList told;
    connect(&c.comm, &MSComm::onComm, this, [&] {
        told << (c.comm.commEvent() == MSComm::comEvReceive ? c.comm.input().right(3)
                                                            : QString::number(c.comm.commEvent()));
    });
    c.line->feed("51");
    QTRY_COMPARE(told, QStringList{"51"});
    c.line->feed(QByteArray(MSComm::kInputKept, 'x') + "\r00");
    QTRY_COMPARE(told, (QStringList{"51", "1006", "\r00"}));
    c.line->feed("\r");
    QTRY_COMPARE(told, (QStringList{"51", "1006", "\r00", "\r"}));
}

void LinkTest::lostLineIsToldOnce()
{
    Component c;
    QVERIFY(c.comm.setPortOpen(true));
    QSignalSpy lost(&c.comm, &MSComm::lineLost);
    QSignalSpy events(&c.comm, &MSComm::onComm);
    c.line->pullThePlug();
    QCOMPARE(lost.count(), 1);
    QCOMPARE(events.count(), 1);
    QVERIFY(c.comm.commEvent() != MSComm::comEvReceive);
    QVERIFY(!c.comm.portOpen());
    QVERIFY(lost.first().first().toString().contains(QLatin1String("/dev/ttyUSB1")));
    // Choosing the port again opens it.
    QVERIFY(c.comm.setPortOpen(true));
}

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"
