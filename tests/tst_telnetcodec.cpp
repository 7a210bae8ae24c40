// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/telnetcodec.h"

#include <QTest>

// The Telnet / COM port control codec on its own: bytes in, bytes out.
class TelnetCodecTest : public QObject
{
    Q_OBJECT

private slots:
    void negotiation_data();
    void negotiation();
    void receivedData_data();
    void receivedData();
    void encodedData_data();
    void encodedData();
    void settingsRequest_data();
    void settingsRequest();
    void serverAnswers_data();
    void serverAnswers();
};

namespace {

using C = TelnetCodec;

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int v : values)
        out += char(v);
    return out;
}

QByteArray sub(std::initializer_list<int> inner)
{
    return bytes({C::IAC, C::SB, C::ComPortOption}) + bytes(inner) + bytes({C::IAC, C::SE});
}

QByteArray feed(TelnetCodec &codec, const QByteArray &input, bool byteByByte)
{
    if (!byteByByte)
        return codec.receive(input);
    QByteArray data;
    for (const char b : input)
        data += codec.receive(QByteArray(1, b));
    return data;
}

QString describe(const TelnetCodec::ServerPort &p)
{
    QStringList parts;
    const auto add = [&parts](const char *name, const auto &value) {
        if (value)
            parts << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(qlonglong(*value));
    };
    add("baud", p.baudRate);
    add("data", p.dataSize);
    add("parity", p.parity);
    add("stop", p.stopSize);
    add("flow", p.flow);
    add("dtr", p.dtr);
    add("rts", p.rts);
    return parts.join(QLatin1Char(' '));
}

} // namespace

void TelnetCodecTest::negotiation_data()
{
    QTest::addColumn<QByteArray>("fromServer");
    QTest::addColumn<bool>("byteByByte");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<int>("comPort");
    QTest::addColumn<bool>("sendsBinary");
    QTest::addColumn<bool>("receivesBinary");

    const int agreed = int(C::ComPort::Agreed), asked = int(C::ComPort::Asked),
              refused = int(C::ComPort::Refused);
    // What ser2net 4.3 sends after the opening requests.
    const QByteArray greeting
        = bytes({C::IAC, C::WILL, 3, C::IAC, C::DO,   3, C::IAC, C::WILL, 1, C::IAC, C::DONT, 1,
                 C::IAC, C::DO,   0, C::IAC, C::WILL, 0, C::IAC, C::DO,   44})
          + sub({107, 0});
    // Suppress-go-ahead is accepted both ways, echo refused; the answers to
    // our own requests are not answered.
    const QByteArray greetingReplies
        = bytes({C::IAC, C::DO, 3, C::IAC, C::WILL, 3, C::IAC, C::DONT, 1});
    QTest::newRow("ser2net greeting")
        << greeting << false << greetingReplies << agreed << true << true;
    QTest::newRow("greeting one byte at a time")
        << greeting << true << greetingReplies << agreed << true << true;
    QTest::newRow("requests repeated after agreement")
        << bytes({C::IAC, C::DO, 44, C::IAC, C::DO, 44, C::IAC, C::WILL, 0, C::IAC, C::WILL, 0})
        << false << QByteArray() << agreed << false << true;
    QTest::newRow("com port refused")
        << bytes({C::IAC, C::DONT, 44}) << false << QByteArray() << refused << false << false;
    QTest::newRow("unknown options refused each time asked")
        << bytes({C::IAC, C::DO, 24, C::IAC, C::WILL, 1, C::IAC, C::DO, 24}) << false
        << bytes({C::IAC, C::WONT, 24, C::IAC, C::DONT, 1, C::IAC, C::WONT, 24}) << asked << false
        << false;
    QTest::newRow("refusals of what was never on are not answered")
        << bytes({C::IAC, C::DONT, 24, C::IAC, C::WONT, 24}) << false << QByteArray() << asked
        << false << false;
    QTest::newRow("agreed binary withdrawn")
        << bytes({C::IAC, C::DO, 0, C::IAC, C::WILL, 0, C::IAC, C::DONT, 0, C::IAC, C::WONT, 0})
        << false << bytes({C::IAC, C::WONT, 0, C::IAC, C::DONT, 0}) << asked << false << false;
    QTest::newRow("binary refused") << bytes({C::IAC, C::DONT, 0, C::IAC, C::WONT, 0}) << false
                                    << QByteArray() << asked << false << false;
}

void TelnetCodecTest::negotiation()
{
    QFETCH(QByteArray, fromServer);
    QFETCH(bool, byteByByte);
    QFETCH(QByteArray, replies);
    QFETCH(int, comPort);
    QFETCH(bool, sendsBinary);
    QFETCH(bool, receivesBinary);
    TelnetCodec codec;
    QCOMPARE(codec.comPort(), C::ComPort::NotAsked);
    QCOMPARE(codec.start(), bytes({C::IAC, C::WILL, 44, C::IAC, C::WILL, 0, C::IAC, C::DO, 0}));
    QCOMPARE(feed(codec, fromServer, byteByByte), QByteArray());
    QCOMPARE(codec.takeReplies(), replies);
    QCOMPARE(int(codec.comPort()), comPort);
    QCOMPARE(codec.sendsBinary(), sendsBinary);
    QCOMPARE(codec.receivesBinary(), receivesBinary);
}

void TelnetCodecTest::receivedData_data()
{
    QTest::addColumn<bool>("binary");
    QTest::addColumn<QByteArray>("fromServer");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("plain reply") << true << QByteArray("00\r") << QByteArray("00\r");
    QTest::newRow("doubled 255") << true << bytes({255, 255, 'A', 255, 255})
                                 << bytes({255, 'A', 255});
    QTest::newRow("NOP inside data")
        << true << bytes({'0', C::IAC, C::NOP, '0', '\r'}) << QByteArray("00\r");
    QTest::newRow("negotiation inside data")
        << true << bytes({'0', C::IAC, C::DO, 24, '0'}) << QByteArray("00");
    QTest::newRow("sub-negotiation with a doubled 255")
        << true << QByteArray("A") + sub({107, 255, 255}) + "B" << QByteArray("AB");
    QTest::newRow("unterminated sub-negotiation")
        << true << bytes({C::IAC, C::SB, 44, 1, 2, C::IAC, C::NOP, 'X'}) << QByteArray("X");
    QTest::newRow("overlong sub-negotiation")
        << true
        << bytes({C::IAC, C::SB, 44}) + QByteArray(100000, 'x') + bytes({C::IAC, C::SE, 'Z'})
        << QByteArray("Z");
    QTest::newRow("CR NUL without binary")
        << false << QByteArray("0\r\0A", 4) << QByteArray("0\rA");
    QTest::newRow("CR NUL in binary") << true << QByteArray("0\r\0A", 4) << QByteArray("0\r\0A", 4);
}

void TelnetCodecTest::receivedData()
{
    QFETCH(bool, binary);
    QFETCH(QByteArray, fromServer);
    QFETCH(QByteArray, data);
    for (const bool byteByByte : {false, true}) {
        TelnetCodec codec;
        codec.start();
        codec.receive(bytes({C::IAC, binary ? C::WILL : C::WONT, C::TransmitBinary}));
        QCOMPARE(feed(codec, fromServer, byteByByte), data);
    }
}

void TelnetCodecTest::encodedData_data()
{
    QTest::addColumn<bool>("binary");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("encoded");

    QTest::newRow("255 doubled") << true << bytes({255, 'A', 255})
                                 << bytes({255, 255, 'A', 255, 255});
    QTest::newRow("command in binary") << true << QByteArray("CR0\r") << QByteArray("CR0\r");
    QTest::newRow("CR NUL without binary")
        << false << QByteArray("CR0\r") << QByteArray("CR0\r\0", 5);
    QTest::newRow("CR LF without binary") << false << QByteArray("A\r\nB") << QByteArray("A\r\nB");
}

void TelnetCodecTest::encodedData()
{
    QFETCH(bool, binary);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, encoded);
    TelnetCodec codec;
    codec.start();
    codec.receive(bytes({C::IAC, binary ? C::DO : C::DONT, C::TransmitBinary}));
    QCOMPARE(codec.encodeData(data), encoded);
}

void TelnetCodecTest::settingsRequest_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QByteArray>("request");

    const QByteArray control = sub({5, 1}) + sub({5, 8}) + sub({5, 12});
    QTest::newRow("19200,N,8,1") << "19200,N,8,1"
                                 << sub({1, 0, 0, 0x4b, 0x00}) + sub({2, 8}) + sub({3, 1})
                                        + sub({4, 1}) + control;
    QTest::newRow("9600,E,7,2") << "9600,E,7,2"
                                << sub({1, 0, 0, 0x25, 0x80}) + sub({2, 7}) + sub({3, 3})
                                       + sub({4, 2}) + control;
    QTest::newRow("speed with 255 bytes, odd, 1.5")
        << "65535,O,8,1.5"
        << sub({1, 0, 0, 255, 255, 255, 255}) + sub({2, 8}) + sub({3, 2}) + sub({4, 3}) + control;
    QTest::newRow("mark") << "300,M,5,1"
                          << sub({1, 0, 0, 0x01, 0x2c}) + sub({2, 5}) + sub({3, 4}) + sub({4, 1})
                                 + control;
    QTest::newRow("space") << "110,S,6,2"
                           << sub({1, 0, 0, 0, 110}) + sub({2, 6}) + sub({3, 5}) + sub({4, 2})
                                  + control;
}

void TelnetCodecTest::settingsRequest()
{
    QFETCH(QString, settings);
    QFETCH(QByteArray, request);
    const ParsedSettings parsed = parseSettings(settings);
    QVERIFY(parsed.settings);
    QCOMPARE(TelnetCodec::settingsRequest(*parsed.settings), request);
}

void TelnetCodecTest::serverAnswers_data()
{
    QTest::addColumn<QByteArray>("fromServer");
    QTest::addColumn<QString>("applied");

    QTest::newRow("ser2net's answer to 9600") << sub({101, 0, 0, 37, 128}) << "baud=9600";
    QTest::newRow("answers to a whole request")
        << sub({101, 0, 0, 0x4b, 0}) + sub({102, 8}) + sub({103, 1}) + sub({104, 1}) + sub({105, 1})
               + sub({105, 8}) + sub({105, 12})
        << "baud=19200 data=8 parity=1 stop=1 flow=1 dtr=1 rts=0";
    QTest::newRow("speed with doubled 255") << sub({101, 0, 0, 255, 255, 255, 255}) << "baud=65535";
    QTest::newRow("modem state is no answer") << sub({107, 0x30}) << "";
    QTest::newRow("our own request echoed is no answer") << sub({1, 0, 0, 37, 128}) << "";
    QTest::newRow("short speed ignored") << sub({101, 0, 37, 128}) << "";
    QTest::newRow("other option ignored")
        << bytes({C::IAC, C::SB, 24, 101, 0, 0, 37, 128, C::IAC, C::SE}) << "";
    QTest::newRow("every byte of the speed") << sub({101, 1, 2, 3, 4}) << "baud=16909060";
    QTest::newRow("hardware flow, DTR off, RTS on")
        << sub({105, 3}) + sub({105, 9}) + sub({105, 11}) << "flow=3 dtr=0 rts=1";
    QTest::newRow("flow asked is no answer") << sub({105, 0}) << "";
}

void TelnetCodecTest::serverAnswers()
{
    QFETCH(QByteArray, fromServer);
    QFETCH(QString, applied);
    TelnetCodec codec;
    codec.start();
    QCOMPARE(codec.receive(fromServer), QByteArray());
    QCOMPARE(describe(codec.serverPort()), applied);
}

QTEST_APPLESS_MAIN(TelnetCodecTest)
#include "tst_telnetcodec.moc"
