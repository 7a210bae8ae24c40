// SPDX-License-Identifier: GPL-3.0-or-later
#include "status/values.h"

#include <QJsonDocument>
#include <QTest>

using namespace status;

Q_DECLARE_METATYPE(status::Query)
Q_DECLARE_METATYPE(status::Fit)

class tst_StatusValues : public QObject
{
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void exactForms_data();
    void exactForms() { values(); }
    void noiseBeginsNoReply_data();
    void noiseBeginsNoReply();
    void notValues_data();
    void notValues();
    void fits_data();
    void fits();
    void everyQueryCodeNamesItsQuery();
};

// Each reply's value in few words; an empty description: no value.
void tst_StatusValues::values_data()
{
    QTest::addColumn<Query>("query");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("described");
    QTest::addColumn<QString>("json");

    QTest::newRow("power on") << Query::Power << "00"
                              << "on"
                              << R"({"power":"on"})";
    QTest::newRow("all lamps failed, cooling") << Query::Power << "21"
                                               << "cooling-down-all-lamps-failed"
                                               << R"({"power":"cooling-down-all-lamps-failed"})";
    QTest::newRow("power outside the table") << Query::Power << "99"
                                             << "99: standby, power-fail, temperature-warning, "
                                                "all-lamps-failed"
                                             << "";
    QTest::newRow("power half a key") << Query::Power << "8"
                                      << ""
                                      << "";
    QTest::newRow("input of two digits") << Query::Input << "37"
                                         << ""
                                         << "";
    QTest::newRow("input 5 is none") << Query::Input << "5"
                                     << ""
                                     << "";
    QTest::newRow("reversal normal") << Query::Reversal << "11"
                                     << "normal"
                                     << R"({"left_right":false,"top_bottom":false})";
    QTest::newRow("reversal left/right") << Query::Reversal << "01"
                                         << "left-right"
                                         << R"({"left_right":true,"top_bottom":false})";
    QTest::newRow("hours") << Query::LampTime << "01234"
                           << "1234 h"
                           << R"({"hours":1234})";
    QTest::newRow("hours not digits") << Query::LampTime << "12a"
                                      << ""
                                      << "";
    QTest::newRow("temperatures") << Query::Temperatures << "+35.0, 41.5"
                                  << "35 °C, 41.5 °C"
                                  << R"({"sensor1_celsius":35,"sensor2_celsius":41.5})";
    QTest::newRow("temperature below zero") << Query::Temperatures << "-05.5, 00.0"
                                            << "-5.5 °C, 0 °C"
                                            << "";
    QTest::newRow("one temperature") << Query::Temperatures << "+35.0"
                                     << ""
                                     << "";
    QTest::newRow("mute standby") << Query::MuteSignal << "FF"
                                  << "standby"
                                  << R"({"mute_signal":"standby"})";
    QTest::newRow("mute lower case") << Query::MuteSignal << "ff"
                                     << ""
                                     << "";
    QTest::newRow("pc type") << Query::PcType << "XGA 60Hz"
                             << "XGA 60Hz"
                             << R"({"source":"XGA 60Hz"})";
    QTest::newRow("pressure") << Query::Pressure << "852"
                              << "1012 hPa"
                              << R"({"hectopascal":1012,"reading":852})";
    QTest::newRow("pressure 0") << Query::Pressure << "0"
                                << "106 hPa"
                                << "";
    QTest::newRow("pressure no digits") << Query::Pressure << ""
                                        << ""
                                        << "";
    QTest::newRow("lamp mode") << Query::LampMode << "1B"
                               << "mode 1, lamps on 1,2,4"
                               << R"({"lamp_mode":1,"lamps_on":[1,2,4]})";
    QTest::newRow("lamp mode 3") << Query::LampMode << "30"
                                 << ""
                                 << "";
    QTest::newRow("no lamp failed") << Query::LampFailures << "NO FAIL"
                                    << "failed none"
                                    << R"({"failed_lamps":[]})";
    QTest::newRow("lamps failed") << Query::LampFailures << "LAMP FAIL No1,3"
                                  << "failed 1,3"
                                  << R"({"failed_lamps":[1,3]})";
    QTest::newRow("lamp 5 failed") << Query::LampFailures << "LAMP FAIL No5"
                                   << ""
                                   << "";
    QTest::newRow("ACK has no value") << Query::Power << "\x06"
                                      << ""
                                      << "";
    // The ends of every range.
    QTest::newRow("power, last key") << Query::Power << "81"
                                     << "standby-all-lamps-failed"
                                     << R"({"power":"standby-all-lamps-failed"})";
    QTest::newRow("input 1") << Query::Input << "1"
                             << "input 1"
                             << R"({"input":1})";
    QTest::newRow("input 4") << Query::Input << "4"
                             << "input 4"
                             << R"({"input":4})";
    QTest::newRow("input 0 is none") << Query::Input << "0"
                                     << ""
                                     << "";
    QTest::newRow("reversal top/bottom") << Query::Reversal << "10"
                                         << "top-bottom"
                                         << R"({"left_right":false,"top_bottom":true})";
    QTest::newRow("reversal both") << Query::Reversal << "00"
                                   << "top-bottom-left-right"
                                   << R"({"left_right":true,"top_bottom":true})";
    QTest::newRow("temperatures, widest fields") << Query::Temperatures << "-99.9, 99.9"
                                                 << "-99.9 °C, 99.9 °C"
                                                 << "";
    QTest::newRow("mute off") << Query::MuteSignal << "00"
                              << "off"
                              << R"({"mute_signal":"off"})";
    QTest::newRow("no signal") << Query::MuteSignal << "80"
                               << "no-signal"
                               << R"({"mute_signal":"no-signal"})";
    QTest::newRow("four lamps, all on") << Query::LampMode << "0F"
                                        << "mode 0, lamps on 1,2,3,4"
                                        << R"({"lamp_mode":0,"lamps_on":[1,2,3,4]})";
    QTest::newRow("lamps 2 and 3, none on") << Query::LampMode << "20"
                                            << "mode 2, lamps on none"
                                            << R"({"lamp_mode":2,"lamps_on":[]})";
    QTest::newRow("lamp mode, 9") << Query::LampMode << "19"
                                  << "mode 1, lamps on 1,4"
                                  << "";
    QTest::newRow("lamp mode, A") << Query::LampMode << "2A"
                                  << "mode 2, lamps on 2,4"
                                  << "";
    QTest::newRow("lamp mode, G") << Query::LampMode << "0G"
                                  << ""
                                  << "";
    QTest::newRow("lamp 4 failed") << Query::LampFailures << "LAMP FAIL No4"
                                   << "failed 4"
                                   << R"({"failed_lamps":[4]})";
    QTest::newRow("every lamp failed") << Query::LampFailures << "LAMP FAIL No1,2,3,4"
                                       << "failed 1,2,3,4"
                                       << R"({"failed_lamps":[1,2,3,4]})";
    QTest::newRow("lamp 0 failed") << Query::LampFailures << "LAMP FAIL No0"
                                   << ""
                                   << "";
}

void tst_StatusValues::values()
{
    QFETCH(Query, query);
    QFETCH(QString, reply);
    QFETCH(QString, described);
    QFETCH(QString, json);

    const auto value = readValue(query, reply);
    QCOMPARE(value ? describe(*value) : QString(), described);
    if (value && !json.isEmpty())
        QCOMPARE(QJsonDocument(toJson(*value)).toJson(QJsonDocument::Compact), json.toUtf8());
    // The JSON form read back is the same value, of the same kind.
    if (value) {
        const auto back = fromJson(toJson(*value));
        QVERIFY(back);
        QCOMPARE(back->index(), value->index());
        QCOMPARE(toJson(*back), toJson(*value));
        QCOMPARE(describe(*back), described);
    }
}

// The forms at the ends of their ranges, and just beyond them.
void tst_StatusValues::exactForms_data()
{
    QTest::addColumn<Query>("query");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("described");
    QTest::addColumn<QString>("json");

    QTest::newRow("power 23 by its bits")
        << Query::Power << "23"
        << "23: on, cooling-down, no-key-input, all-lamps-failed"
        << R"({"power_code":"23","power_states":["on","cooling-down","no-key-input","all-lamps-failed"]})";
    QTest::newRow("power 01 by its bits") << Query::Power << "01"
                                          << "01: on, all-lamps-failed"
                                          << "";
    QTest::newRow("power FF, every bit")
        << Query::Power << "FF"
        << "FF: standby, count-down, cooling-down, power-fail, temperature-warning, "
           "power-management, no-key-input, all-lamps-failed"
        << "";
    QTest::newRow("power 88 from the table") << Query::Power << "88"
                                             << "temperature-warning-recovered"
                                             << "";
    QTest::newRow("power lower case") << Query::Power << "2a"
                                      << ""
                                      << "";
    QTest::newRow("power three digits") << Query::Power << "200"
                                        << ""
                                        << "";
    QTest::newRow("input 1") << Query::Input << "1"
                             << "input 1"
                             << "";
    QTest::newRow("input 4") << Query::Input << "4"
                             << "input 4"
                             << "";
    QTest::newRow("input 0") << Query::Input << "0"
                             << ""
                             << "";
    QTest::newRow("hours 00000") << Query::LampTime << "00000"
                                 << "0 h"
                                 << "";
    QTest::newRow("hours 99999") << Query::LampTime << "99999"
                                 << "99999 h"
                                 << "";
    QTest::newRow("hours of two digits") << Query::LampTime << "00"
                                         << ""
                                         << "";
    QTest::newRow("hours of six digits") << Query::LampTime << "012034"
                                         << ""
                                         << "";
    QTest::newRow("reversal 00") << Query::Reversal << "00"
                                 << "top-bottom-left-right"
                                 << "";
    QTest::newRow("reversal of three digits") << Query::Reversal << "111"
                                              << ""
                                              << "";
    QTest::newRow("mute 03") << Query::MuteSignal << "03"
                             << "video-and-audio"
                             << "";
    QTest::newRow("mute of three digits") << Query::MuteSignal << "000"
                                          << ""
                                          << "";
    QTest::newRow("temperatures at their ends") << Query::Temperatures << "-99.9, 00.0"
                                                << "-99.9 °C, 0 °C"
                                                << "";
    QTest::newRow("temperatures at their tops") << Query::Temperatures << "+99.9, 99.9"
                                                << "99.9 °C, 99.9 °C"
                                                << "";
    QTest::newRow("temperature without sign") << Query::Temperatures << " 35.0, 41.5"
                                              << ""
                                              << "";
    QTest::newRow("temperatures with more") << Query::Temperatures << "+35.0, 41.5C"
                                            << ""
                                            << "";
    QTest::newRow("lamp mode 00") << Query::LampMode << "00"
                                  << "mode 0, lamps on none"
                                  << "";
    QTest::newRow("lamp mode 0F") << Query::LampMode << "0F"
                                  << "mode 0, lamps on 1,2,3,4"
                                  << R"({"lamp_mode":0,"lamps_on":[1,2,3,4]})";
    QTest::newRow("lamp mode 2F") << Query::LampMode << "2F"
                                  << "mode 2, lamps on 1,2,3,4"
                                  << "";
    QTest::newRow("lamp mode 0G") << Query::LampMode << "0G"
                                  << ""
                                  << "";
    QTest::newRow("lamp mode of three characters") << Query::LampMode << "0FF"
                                                   << ""
                                                   << "";
    QTest::newRow("pressure 1023") << Query::Pressure << "1023"
                                   << "1194 hPa"
                                   << "";
    QTest::newRow("pressure of five digits") << Query::Pressure << "10230"
                                             << ""
                                             << "";
    QTest::newRow("lamps 1 to 4 failed") << Query::LampFailures << "LAMP FAIL No1,2,3,4"
                                         << "failed 1,2,3,4"
                                         << "";
}

// What a line produces between replies begins none; what a reply begins with does.
void tst_StatusValues::noiseBeginsNoReply_data()
{
    QTest::addColumn<QChar>("character");
    QTest::addColumn<bool>("noise");
    QTest::newRow("NUL") << QChar(0) << true;
    QTest::newRow("0xFF") << QChar(0xFF) << true;
    QTest::newRow("DEL") << QChar(0x7F) << true;
    QTest::newRow("{") << QChar(u'{') << true;
    QTest::newRow("0x80") << QChar(0x80) << true;
    QTest::newRow("ACK") << QChar(6) << false;
    QTest::newRow("CR") << QChar(u'\r') << false;
    QTest::newRow("space") << QChar(u' ') << false;
    QTest::newRow("0") << QChar(u'0') << false;
    QTest::newRow("?") << QChar(u'?') << false;
    QTest::newRow("z") << QChar(u'z') << false;
}

void tst_StatusValues::noiseBeginsNoReply()
{
    QFETCH(QChar, character);
    QFETCH(bool, noise);
    QCOMPARE(beginsNoReply(character), noise);
}

// JSON that is the form of no value reads as none.
void tst_StatusValues::notValues_data()
{
    QTest::addColumn<QString>("json");
    QTest::newRow("unknown power") << R"({"power":"warm"})";
    QTest::newRow("input 5") << R"({"input":5})";
    QTest::newRow("half a reversal") << R"({"top_bottom":true})";
    QTest::newRow("hours fractional") << R"({"hours":1.5})";
    QTest::newRow("lamp 5") << R"({"failed_lamps":[5]})";
    QTest::newRow("lamp twice") << R"({"lamp_mode":1,"lamps_on":[2,2]})";
    QTest::newRow("extra key") << R"({"power":"on","input":1})";
    QTest::newRow("status bits naming other states")
        << R"({"power_code":"23","power_states":["on"]})";
    QTest::newRow("status bits of a table code")
        << R"({"power_code":"20","power_states":["on","cooling-down"]})";
}

void tst_StatusValues::notValues()
{
    QFETCH(QString, json);
    QVERIFY(!fromJson(QJsonDocument::fromJson(json.toUtf8()).object()));
}

// Whether a reply, whole or as far as it came, can answer a command.
void tst_StatusValues::fits_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<Fit>("expected");

    QTest::newRow("ACK answers a query") << "CR0"
                                         << "\x06" << true << Fit::Whole;
    QTest::newRow("? answers a query") << "CR PRESSURE"
                                       << "?" << true << Fit::Whole;
    QTest::newRow("ACK answers a command") << "CF IMAGE REAL"
                                           << "\x06" << true << Fit::Whole;
    QTest::newRow("digits answer no command") << "CF IMAGE REAL"
                                              << "852" << true << Fit::No;
    QTest::newRow("pressure digits") << "CR PRESSURE"
                                     << "852" << true << Fit::Whole;
    QTest::newRow("pressure digits growing") << "CR PRESSURE"
                                             << "85" << false << Fit::Whole;
    QTest::newRow("ACK is no pressure") << "CR PRESSURE"
                                        << "\x06\x06" << true << Fit::No;
    QTest::newRow("reversal code is a power code") << "CR0"
                                                   << "00" << true << Fit::Whole;
    QTest::newRow("reversal 11 is a status byte too") << "CR0"
                                                      << "11" << true << Fit::Whole;
    QTest::newRow("power half a key") << "CR0"
                                      << "8" << false << Fit::Beginning;
    QTest::newRow("power half a key ended") << "CR0"
                                            << "8" << true << Fit::No;
    QTest::newRow("power lower case begins nothing") << "CR0"
                                                     << "a" << false << Fit::No;
    QTest::newRow("input without terminator") << "CR1"
                                              << "3" << false << Fit::Whole;
    QTest::newRow("hours are no input") << "CR1"
                                        << "01234" << true << Fit::No;
    QTest::newRow("temperatures growing") << "CR6"
                                          << "+35.0, 4" << false << Fit::Beginning;
    QTest::newRow("lamp failures growing") << "CR INFPFAIL"
                                           << "LAMP F" << false << Fit::Beginning;
    QTest::newRow("lamp time of four digits growing") << "CR3"
                                                      << "0120" << false << Fit::Beginning;
    QTest::newRow("a status byte is no lamp time") << "CR3"
                                                   << "00" << true << Fit::No;
    QTest::newRow("a status byte outside the table") << "CR0"
                                                     << "23" << true << Fit::Whole;
    QTest::newRow("one hex digit of a status byte") << "CR0"
                                                    << "F" << false << Fit::Beginning;
    QTest::newRow("nothing yet") << "CR3"
                                 << "" << false << Fit::Beginning;
    QTest::newRow("empty reply") << "CR3"
                                 << "" << true << Fit::No;
}

void tst_StatusValues::fits()
{
    QFETCH(QString, code);
    QFETCH(QString, reply);
    QFETCH(bool, complete);
    QFETCH(Fit, expected);
    QCOMPARE(fit(queryFor(code), reply, complete), expected);
}

void tst_StatusValues::everyQueryCodeNamesItsQuery()
{
    for (int q = 0; q <= int(Query::LampFailures); ++q) {
        const Query query = Query(q);
        QCOMPARE(queryFor(QString(codeOf(query))), query);
        QVERIFY(!nameOf(query).isEmpty());
    }
    QCOMPARE(queryFor(u"C00"), std::nullopt);
}

QTEST_GUILESS_MAIN(tst_StatusValues)
#include "tst_statusvalues.moc"
