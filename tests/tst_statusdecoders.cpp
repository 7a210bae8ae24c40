// SPDX-License-Identifier: GPL-3.0-or-later
#include "status/decoders.h"
#include "status/numberreader.h"
#include "status/replies.h"
#include "status/tables.h"

#include <QSet>
#include <QTest>

#include <cmath>

// The trace as the RXD line shows a received text.
static QString traceOf(const QString &text)
{
    QString trace = QStringLiteral(" ");
    for (const QChar c : text) {
        if (c == QChar(6))
            trace += QStringLiteral("ACK ");
        else if (c == QLatin1Char('\r'))
            trace += QStringLiteral("CR ");
        else
            trace += c + QLatin1Char(' ');
    }
    return trace;
}

class tst_StatusDecoders : public QObject
{
    Q_OBJECT

private slots:
    void powerStatus_data();
    void powerStatus() { checkReply(); }
    void inputMode_data();
    void inputMode() { checkReply(); }
    void reversal_data();
    void reversal() { checkReply(); }
    void muteAndSignal_data();
    void muteAndSignal() { checkReply(); }
    void lampMode_data();
    void lampMode() { checkReply(); }
    void lampModeTableHasOneRowPerKey();
    void unknownKeys_data();
    void unknownKeys();
    void replyInPieces_data();
    void replyInPieces();

    void leftAndMid_data();
    void leftAndMid();
    void lampTime_data();
    void lampTime() { checkReply(); }
    void temperatures_data();
    void temperatures() { checkReply(); }
    void pcType_data();
    void pcType() { checkReply(); }

    void pressure_data();
    void pressure();
    void pressureReply_data();
    void pressureReply() { checkReply(); }
    void readNumber_data();
    void readNumber();
    void readNumberBeyondDoubleRange_data();
    void readNumberBeyondDoubleRange();

    void queryChoosesDecoder_data();
    void queryChoosesDecoder();
    void selector_data();
    void selector();

private:
    static void replyColumns();
    static void checkReply();
};

// Rows: the query code, the reply as received (a carriage return is appended) and the
// STATUS text expected for it.
void tst_StatusDecoders::replyColumns()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected");
}

void tst_StatusDecoders::checkReply()
{
    QFETCH(QString, code);
    QFETCH(QString, reply);
    QFETCH(QString, expected);

    const std::optional<QString> text =
        status::decode(traceOf(reply + QLatin1Char('\r')), code + QLatin1Char('\r'), QString());
    QVERIFY2(text, "the reply was not decoded");
    QCOMPARE(*text, expected);
}

void tst_StatusDecoders::powerStatus_data()
{
    replyColumns();
    const QString code = QStringLiteral("CR0");
    QTest::newRow("00") << code << "00" << " Power ON";
    QTest::newRow("80") << code << "80" << " Stand by";
    QTest::newRow("40") << code << "40" << " Count down";
    QTest::newRow("20") << code << "20" << " Cooling down";
    QTest::newRow("10") << code << "10" << " Power Fail";
    QTest::newRow("08") << code << "08" << " Temperature Warning(Power ON)";
    QTest::newRow("02") << code << "02" << " NO Key input ";
    QTest::newRow("04") << code << "04" << " Lamp OFF by PWR Management";
    QTest::newRow("28") << code << "28" << " Temperature Warning & cooling down";
    QTest::newRow("24") << code << "24" << " Lamp OFF & Tempereture Warning by PWR Management";
    QTest::newRow("88") << code << "88" << " Temperature Warning and recoverd";
    QTest::newRow("21") << code << "21" << " Cooling down (All Lamp FAIL)";
    QTest::newRow("81") << code << "81" << " Cooling down & sutandby (All Lamp FAIL)";
    QTest::newRow("trailing characters") << code << "8012" << " Stand by";
}

void tst_StatusDecoders::inputMode_data()
{
    replyColumns();
    const QString code = QStringLiteral("CR1");
    QTest::newRow("1") << code << "1" << " Input mode 1";
    QTest::newRow("2") << code << "2" << " Input mode 2";
    QTest::newRow("3") << code << "3" << " Input mode 3";
    QTest::newRow("4") << code << "4" << " Input mode 4";
    QTest::newRow("second character ignored") << code << "37" << " Input mode 3";
}

void tst_StatusDecoders::reversal_data()
{
    replyColumns();
    const QString code = QStringLiteral("CR4");
    QTest::newRow("11") << code << "11" << " Normally";
    QTest::newRow("10") << code << "10" << " Top/Bottom reversal";
    QTest::newRow("01") << code << "01" << " Left/Right reversal";
    QTest::newRow("00") << code << "00" << " Top/Bottom , Left/Right reversal";
}

void tst_StatusDecoders::muteAndSignal_data()
{
    replyColumns();
    const QString code = QStringLiteral("CRA");
    QTest::newRow("00") << code << "00" << " Video & Audio mute OFF";
    QTest::newRow("01") << code << "01" << " Video mute ON";
    QTest::newRow("02") << code << "02" << " Audio mute ON";
    QTest::newRow("03") << code << "03" << " Video & Audio mute ON";
    QTest::newRow("80") << code << "80" << " No signal";
    QTest::newRow("FF") << code << "FF" << " Stand by";
}

void tst_StatusDecoders::lampMode_data()
{
    replyColumns();
    const QString code = QStringLiteral("CR7");
    QTest::newRow("00") << code << "00" << " All OFF : 4 Lamp mode";
    QTest::newRow("01") << code << "01" << " No1 ON  : 4 Lamp mode";
    QTest::newRow("02") << code << "02" << " No2 ON  : 4 Lamp mode";
    QTest::newRow("03") << code << "03" << " No1,2 ON  : 4 Lamp mode";
    QTest::newRow("04") << code << "04" << " No3 ON  : 4 Lamp mode";
    QTest::newRow("05") << code << "05" << " No1,3 ON  : 4 Lamp mode";
    QTest::newRow("06") << code << "06" << " No2,3 ON  : 4 Lamp mode";
    QTest::newRow("07") << code << "07" << " No1,2,3 ON  : 4 Lamp mode";
    QTest::newRow("08") << code << "08" << " No4 ON  : 4 Lamp mode";
    QTest::newRow("09") << code << "09" << " No1,4 ON  : 4 Lamp mode";
    QTest::newRow("0A") << code << "0A" << " No2,4 ON  : 4 Lamp mode";
    QTest::newRow("0B") << code << "0B" << " No1,2,4 ON  : 4 Lamp mode";
    QTest::newRow("0C") << code << "0C" << " No3,4 ON  : 4 Lamp mode";
    QTest::newRow("0D") << code << "0D" << " No1,3,4 ON  : 4 Lamp mode";
    QTest::newRow("0E") << code << "0E" << " No2,3,4 ON  : 4 Lamp mode";
    QTest::newRow("0F") << code << "0F" << " All ON  : 4 Lamp mode";

    QTest::newRow("10") << code << "10" << " All OFF : 2 Lamp mode(1,4)";
    QTest::newRow("11") << code << "11" << " No1 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("12") << code << "12" << " No2 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("13") << code << "13" << " No1,2 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("14") << code << "14" << " No3 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("15") << code << "15" << " No1,3 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("16") << code << "16" << " No2,3 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("17") << code << "17" << " No1,2,3 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("18") << code << "18" << " No4 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("19") << code << "19" << " No1,4 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("1A") << code << "1A" << " No2,4 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("1B") << code << "1B" << " No1,2,4 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("1C") << code << "1C" << " No3,4 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("1D") << code << "1D" << " No1,3,4 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("1E") << code << "1E" << " No2,3,4 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("1F") << code << "1F" << " All ON  : 2 Lamp mode(1,4)";

    QTest::newRow("20") << code << "20" << " All OFF : 2 Lamp mode(2,3)";
    QTest::newRow("21") << code << "21" << " No1 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("22") << code << "22" << " No2 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("23") << code << "23" << " No1,2 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("24") << code << "24" << " No3 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("25") << code << "25" << " No1,3 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("26") << code << "26" << " No2,3 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("27") << code << "27" << " No1,2,3 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("28") << code << "28" << " No4 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("29") << code << "29" << " No1,4 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("2A") << code << "2A" << " No2,4 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("2B") << code << "2B" << " No1,2,4 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("2C") << code << "2C" << " No3,4 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("2D") << code << "2D" << " No1,3,4 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("2E") << code << "2E" << " No2,3,4 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("2F") << code << "2F" << " All ON  : 2 Lamp mode(2,3)";
}

void tst_StatusDecoders::lampModeTableHasOneRowPerKey()
{
    const QList<status::TableRow> &table = status::lampModeTable();
    QSet<QString> keys;
    for (const status::TableRow &row : table)
        keys.insert(row.key);
    QCOMPARE(table.size(), 48);
    QCOMPARE(keys.size(), 48);
}

// Replies whose key is in no table leave the STATUS line as it is.
void tst_StatusDecoders::unknownKeys_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("trace");

    QTest::newRow("power: empty reply") << "CR0" << " ";
    QTest::newRow("power: first character only") << "CR0" << traceOf("8");
    QTest::newRow("power: 01") << "CR0" << traceOf("01\r");
    QTest::newRow("power: 18") << "CR0" << traceOf("18\r");
    QTest::newRow("power: after ACK") << "CR0" << " ACK 0 0 CR ";
    QTest::newRow("input: 0") << "CR1" << traceOf("0\r");
    QTest::newRow("input: 5") << "CR1" << traceOf("5\r");
    QTest::newRow("input: after ACK") << "CR1" << " ACK 3 CR ";
    QTest::newRow("reversal: 12") << "CR4" << traceOf("12\r");
    QTest::newRow("reversal: after ACK") << "CR4" << " ACK 1 1 CR ";
    QTest::newRow("mute: ff") << "CRA" << traceOf("ff\r");
    QTest::newRow("mute: Ff") << "CRA" << traceOf("Ff\r");
    QTest::newRow("mute: 81") << "CRA" << traceOf("81\r");
    QTest::newRow("mute: after ACK") << "CRA" << " ACK 0 0 CR ";
    QTest::newRow("lamp mode: 0a") << "CR7" << traceOf("0a\r");
    QTest::newRow("lamp mode: 30") << "CR7" << traceOf("30\r");
    QTest::newRow("lamp mode: 0G") << "CR7" << traceOf("0G\r");
    QTest::newRow("lamp mode: after ACK") << "CR7" << " ACK 0 0 CR ";
}

void tst_StatusDecoders::unknownKeys()
{
    QFETCH(QString, code);
    QFETCH(QString, trace);

    const std::optional<QString> text = status::decode(trace, code + QLatin1Char('\r'), QString());
    QVERIFY2(!text, qPrintable(text.value_or(QString())));
}

// The decoders run at every reception on the whole reply so far; the STATUS line keeps
// its text whenever they have no result.
void tst_StatusDecoders::replyInPieces_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QStringList>("statusLine");

    QTest::newRow("power status")
        << "CR0" << QStringList{"8", "0", "\r"}
        << QStringList{"", " Stand by", " Stand by"};
    QTest::newRow("input mode") << "CR1" << QStringList{"3", "7", "\r"}
                                << QStringList{" Input mode 3", " Input mode 3", " Input mode 3"};
    QTest::newRow("lamp mode") << "CR7" << QStringList{"0", "A\r"}
                               << QStringList{"", " No2,4 ON  : 4 Lamp mode"};
    QTest::newRow("lamp time") << "CR3" << QStringList{"12", "345\r"}
                               << QStringList{" 1 2  Hour Use", " 1 2 3 4 5 CR  Hour Use"};
    QTest::newRow("pressure") << "CR PRESSURE" << QStringList{"5", "12", "\r"}
                              << QStringList{"111 hPa", "650 hPa", "650 hPa"};
}

void tst_StatusDecoders::replyInPieces()
{
    QFETCH(QString, code);
    QFETCH(QStringList, pieces);
    QFETCH(QStringList, statusLine);

    QString received;
    QString line;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        received += pieces.at(i);
        if (const auto text = status::decode(traceOf(received), code + QLatin1Char('\r'),
                                             QString())) {
            line = *text;
        }
        QCOMPARE(line, statusLine.at(i));
    }
}

void tst_StatusDecoders::leftAndMid_data()
{
    QTest::addColumn<QString>("trace");
    QTest::addColumn<int>("leftCount");
    QTest::addColumn<QString>("left");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("midCount");
    QTest::addColumn<QString>("mid");

    QTest::newRow("inside") << " 1 2 3 4 " << 4 << " 1 2" << 2 << 3 << "1 2";
    QTest::newRow("first position") << " 1 2 " << 1 << " " << 1 << 2 << " 1";
    QTest::newRow("runs past the end") << " 1 2 " << 9 << " 1 2 " << 4 << 8 << "2 ";
    QTest::newRow("last character") << " 1 2 " << 5 << " 1 2 " << 5 << 8 << " ";
    QTest::newRow("beyond the end") << " 1 " << 4 << " 1 " << 5 << 8 << "";
    QTest::newRow("empty trace") << "" << 4 << "" << 1 << 8 << "";
}

void tst_StatusDecoders::leftAndMid()
{
    QFETCH(QString, trace);
    QFETCH(int, leftCount);
    QFETCH(QString, left);
    QFETCH(int, position);
    QFETCH(int, midCount);
    QFETCH(QString, mid);

    QCOMPARE(status::left(trace, leftCount), left);
    QCOMPARE(status::mid(trace, position, midCount), mid);
}

void tst_StatusDecoders::lampTime_data()
{
    replyColumns();
    const QString code = QStringLiteral("CR3");
    QTest::newRow("hours") << code << "12345" << " 1 2 3 4 5 CR  Hour Use";
    QTest::newRow("no digits") << code << "" << " CR  Hour Use";
    QTest::newRow("cut after 38 trace characters")
        << code << "1234567890123456789012"
        << " 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 Hour Use";
    QTest::newRow("ACK shown") << code << "\x06" "100" << " ACK 1 0 0 CR  Hour Use";
}

void tst_StatusDecoders::temperatures_data()
{
    replyColumns();
    const QString code = QStringLiteral("CR6");
    QTest::newRow("both sensors") << code << "12345678901"
                                  << "  S1= 1 2 3 4 5 C  ,   S2=  8 9 0 1 C";
    QTest::newRow("longer reply") << code << "123456789012345"
                                  << "  S1= 1 2 3 4 5 C  ,   S2=  8 9 0 1 C";
    QTest::newRow("S2 cut short") << code << "1234567" << "  S1= 1 2 3 4 5 C  ,   S2=  CR  C";
    QTest::newRow("S2 starts inside CR") << code << "123456" << "  S1= 1 2 3 4 5 C  ,   S2= R  C";
    QTest::newRow("trace of 14 characters") << code << "12345" << "  S1= 1 2 3 4 5 C  ,   S2=  C";
    QTest::newRow("short reply") << code << "123" << "  S1= 1 2 3 CR  C  ,   S2=  C";
}

void tst_StatusDecoders::pcType_data()
{
    replyColumns();
    const QString code = QStringLiteral("CR9");
    QTest::newRow("name") << code << "PJ-1 x" << " P J - 1   x CR ";
    QTest::newRow("empty") << code << "" << " CR ";
    QTest::newRow("ACK") << code << "\x06" << " ACK CR ";
}

// Readings far beyond the 10-bit sensor range still give their true hPa value; absurd
// ones are held at the bound of 1e15.
void tst_StatusDecoders::pressure_data()
{
    QTest::addColumn<QString>("trace");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0") << " 0 CR " << "106 hPa";
    QTest::newRow("205") << " 2 0 5 CR " << "324 hPa";
    QTest::newRow("512") << " 5 1 2 CR " << "650 hPa";
    QTest::newRow("1023") << " 1 0 2 3 CR " << "1194 hPa";
    QTest::newRow("no digits") << " CR " << "106 hPa";
    QTest::newRow("empty") << " " << "106 hPa";
    QTest::newRow("after ACK") << " ACK 5 1 2 CR " << "106 hPa";
    QTest::newRow("-100") << " - 1 0 0 CR " << "-1 hPa";
    QTest::newRow("-1000") << " - 1 0 0 0 CR " << "-958 hPa";
    QTest::newRow("2.5 rounds down to even") << " 2 . 5 CR " << "108 hPa";
    QTest::newRow("3.5 rounds up to even") << " 3 . 5 CR " << "110 hPa";
    QTest::newRow("2.51") << " 2 . 5 1 CR " << "109 hPa";
    QTest::newRow("exponent") << " 5 . 1 2 E 2 CR " << "650 hPa";
    QTest::newRow("6554") << " 6 5 5 4 CR " << "7078 hPa";
    QTest::newRow("-6554") << " - 6 5 5 4 CR " << "-6867 hPa";
    QTest::newRow("7000") << " 7 0 0 0 CR " << "7552 hPa";
    QTest::newRow("40000") << " 4 0 0 0 0 CR " << "42657 hPa";
    QTest::newRow("-40000") << " - 4 0 0 0 0 CR " << "-42446 hPa";
    QTest::newRow("1E300") << " 1 E 3 0 0 CR " << "1063793572984855 hPa";
    QTest::newRow("-1E300") << " - 1 E 3 0 0 CR " << "-1063793572984644 hPa";
    QTest::newRow("1E4000") << " 1 E 4 0 0 0 CR " << "1063793572984855 hPa";
    QTest::newRow("-1D4000") << " - 1 D 4 0 0 0 CR " << "-1063793572984644 hPa";
}

void tst_StatusDecoders::pressure()
{
    QFETCH(QString, trace);
    QFETCH(QString, expected);

    QCOMPARE(status::pressureText(trace), expected);
}

void tst_StatusDecoders::pressureReply_data()
{
    replyColumns();
    const QString code = QStringLiteral("CR PRESSURE");
    QTest::newRow("512") << code << "512" << "650 hPa";
    QTest::newRow("carriage return alone") << code << "" << "106 hPa";
    QTest::newRow("7000") << code << "7000" << "7552 hPa";
}

void tst_StatusDecoders::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("trace") << " 5 1 2 CR " << 512.0;
    QTest::newRow("tabs and line feeds") << "1 2\t3\n4" << 1234.0;
    QTest::newRow("minus") << "-2.5" << -2.5;
    QTest::newRow("plus") << "+7" << 7.0;
    QTest::newRow("blank after sign") << "- 7" << -7.0;
    QTest::newRow("E") << "1.5E2" << 150.0;
    QTest::newRow("e") << "1.5e2" << 150.0;
    QTest::newRow("D") << "2D3" << 2000.0;
    QTest::newRow("negative exponent") << "2D-1" << 0.2;
    QTest::newRow("signed exponent") << "1E+2" << 100.0;
    QTest::newRow("exponent without digits") << "3E" << 3.0;
    QTest::newRow("exponent sign without digits") << "3E-" << 3.0;
    QTest::newRow("fraction only") << ".25" << 0.25;
    QTest::newRow("point without fraction") << "5." << 5.0;
    QTest::newRow("second point") << "1.2.3" << 1.2;
    QTest::newRow("stops at letter") << "12abc" << 12.0;
    QTest::newRow("carriage return stops") << "12\r3" << 12.0;
    QTest::newRow("exponent without mantissa") << "E5" << 0.0;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("double sign") << "--5" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << " C R " << 0.0;
    QTest::newRow("leading zeros") << "0.001E3" << 1.0;
    QTest::newRow("huge") << " 1 E 3 0 0" << 1e300;
    QTest::newRow("underflow") << "1E-400" << 0.0;
    QTest::newRow("endless negative exponent") << "1E-99999999999999999999" << 0.0;
}

void tst_StatusDecoders::readNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);

    QCOMPARE(status::readNumber(text), expected);
}

void tst_StatusDecoders::readNumberBeyondDoubleRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("negative");

    QTest::newRow("exponent") << "1E400" << false;
    QTest::newRow("negative") << "-1E400" << true;
    QTest::newRow("endless exponent") << "7E99999999999999999999" << false;
    QTest::newRow("400 digits") << QStringLiteral("1") + QString(400, QLatin1Char('0')) << false;
    QTest::newRow("fraction with exponent") << "-0.0001E400" << true;
}

void tst_StatusDecoders::readNumberBeyondDoubleRange()
{
    QFETCH(QString, text);
    QFETCH(bool, negative);

    const double value = status::readNumber(text);
    QVERIFY(std::isinf(value));
    QCOMPARE(value < 0, negative);
}

// One reply, " 0 0 CR ", read by whichever decoder the latest command selects.
void tst_StatusDecoders::queryChoosesDecoder_data()
{
    QTest::addColumn<QString>("sendText");
    QTest::addColumn<QString>("expected");

    QTest::newRow("STATUS") << "CR0\r" << " Power ON";
    QTest::newRow("SETTING") << "CR4\r" << " Top/Bottom , Left/Right reversal";
    QTest::newRow("L-TIME") << "CR3\r" << " 0 0 CR  Hour Use";
    QTest::newRow("TEMP") << "CR6\r" << "  S1= 0 0 CR  C  ,   S2=  C";
    QTest::newRow("SETTING 2") << "CRA\r" << " Video & Audio mute OFF";
    QTest::newRow("PC type") << "CR9\r" << " 0 0 CR ";
    QTest::newRow("PRESSURE") << "CR PRESSURE\r" << "106 hPa";
    QTest::newRow("L-MODE") << "CR7\r" << " All OFF : 4 Lamp mode";
}

void tst_StatusDecoders::queryChoosesDecoder()
{
    QFETCH(QString, sendText);
    QFETCH(QString, expected);

    const std::optional<QString> text = status::decode(" 0 0 CR ", sendText, QString());
    QVERIFY2(text, "the reply was not decoded");
    QCOMPARE(*text, expected);
}

// The latest command text must be exactly the current prefix, a query code and a
// carriage return.
void tst_StatusDecoders::selector_data()
{
    QTest::addColumn<QString>("sendText");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("decoded");

    QTest::newRow("single projector") << "CR0\r" << "" << true;
    QTest::newRow("projector 1") << "A001CR0\r" << "A001" << true;
    QTest::newRow("all projectors") << "AFFFCR0\r" << "AFFF" << true;
    QTest::newRow("prefix changed") << "A001CR0\r" << "A002" << false;
    QTest::newRow("prefix cleared") << "A001CR0\r" << "" << false;
    QTest::newRow("prefix chosen after sending") << "CR0\r" << "A001" << false;
    QTest::newRow("no carriage return") << "CR0" << "" << false;
    QTest::newRow("two carriage returns") << "CR0\r\r" << "" << false;
    QTest::newRow("line feed instead") << "CR0\n" << "" << false;
    QTest::newRow("lower case") << "cr0\r" << "" << false;
    QTest::newRow("leading space") << " CR0\r" << "" << false;
    QTest::newRow("P-FAIL") << "CR INFPFAIL\r" << "" << false;
    QTest::newRow("lower-case pressure") << "CR pressure\r" << "" << false;
    QTest::newRow("power on command") << "C00\r" << "" << false;
    QTest::newRow("other status read") << "CR2\r" << "" << false;
    QTest::newRow("nothing sent") << "" << "" << false;
}

void tst_StatusDecoders::selector()
{
    QFETCH(QString, sendText);
    QFETCH(QString, prefix);
    QFETCH(bool, decoded);

    const std::optional<QString> text = status::decode(" 0 0 CR ", sendText, prefix);
    QCOMPARE(text.has_value(), decoded);
    if (decoded)
        QCOMPARE(*text, QStringLiteral(" Power ON"));
}

QTEST_APPLESS_MAIN(tst_StatusDecoders)

#include "tst_statusdecoders.moc"
