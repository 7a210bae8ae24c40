// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/replymatcher.h"

#include <QTest>

// The reply rule on a clock the test sets: which command each reply answers,
// and how each command settles.
class tst_ReplyRule : public QObject
{
    Q_OBJECT

private slots:
    void rule_data();
    void rule();
    void formsNoiseAndOrder_data();
    void formsNoiseAndOrder() { rule(); }
};

namespace {

QString visible(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1String("<CR>"))
        .replace(QLatin1Char('\n'), QLatin1String("<LF>"))
        .replace(QChar(6), QLatin1String("<ACK>"))
        .replace(QChar(0), QLatin1String("<NUL>"))
        .replace(QChar(0xFF), QLatin1String("<FF>"));
}

// The bytes a step names: "<NUL>" and "<FF>" for those codes.
QString bytesOf(QString text)
{
    return text.replace(QLatin1String("<NUL>"), QString(QChar(0)))
        .replace(QLatin1String("<FF>"), QString(QChar(0xFF)));
}

} // namespace

// Steps, each "MS verb ...": "send ID PROJECTOR WINDOW CODE" (projector "-" for
// none: a single projector), "recv TEXT", "end" (the latest reply window ended),
// "lost" (characters were lost before the next), "wait" (only lets time pass).
// Events: "N:TEXT" a complete reply for command N
// (0: none), "N~TEXT" a reply so far, either behind the noise before it in brackets
// ("1:[<NUL>]20<CR>"), "#N RESULT" a command settled ("#N RESULT TEXT" by a reply
// without terminator).
void tst_ReplyRule::rule_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("REAL to 001, PRESSURE to 002: only PRESSURE reads 852")
        << QStringList{"0 send 1 A001 2000 CF IMAGE REAL", "300 send 2 A002 500 CR PRESSURE",
                       "350 recv 852\r", "400 recv \x06\r"}
        << QStringList{"2:852<CR>", "#2 answered", "1:<ACK><CR>", "#1 answered"};
    QTest::newRow("CINEMA to 001, L-TIME to 002: an ACK could be either's")
        << QStringList{"0 send 1 A001 2000 CF IMAGE CINEMA", "300 send 2 A002 500 CR3",
                       "350 recv \x06\r", "400 recv 12345\r", "2200 wait"}
        << QStringList{"0:<ACK><CR>", "2:12345<CR>", "#2 answered", "#1 not-attributable"};
    QTest::newRow("L-TIME's hours first, then CINEMA's ACK")
        << QStringList{"0 send 1 A001 2000 CF IMAGE CINEMA", "300 send 2 A002 500 CR3",
                       "350 recv 12345\r", "400 recv \x06\r"}
        << QStringList{"2:12345<CR>", "#2 answered", "1:<ACK><CR>", "#1 answered"};
    QTest::newRow("a projector answers in order: 00 is a status code first")
        << QStringList{"0 send 1 A001 500 CR0", "10 send 2 A001 500 CR4", "50 recv 00\r"}
        << QStringList{"1:00<CR>", "#1 answered"};
    QTest::newRow("CR LF ends one reply")
        << QStringList{"0 send 1 - 500 CR0", "50 recv 00\r\n", "100 send 2 - 500 CR4",
                       "150 recv 11\r",      "160 recv \n",    "200 send 3 - 500 CR7",
                       "250 recv 0A\r\n"}
        << QStringList{"1:00<CR>",    "#1 answered", "2:11<CR>",
                       "#2 answered", "3:0A<CR>",    "#3 answered"};
    QTest::newRow("LF CR ends one reply")
        << QStringList{"0 send 1 - 500 CR0", "50 recv 00\n\r", "100 send 2 - 500 CR4",
                       "150 recv 11\n\r"}
        << QStringList{"1:00<LF>", "#1 answered", "2:11<LF>", "#2 answered"};
    QTest::newRow("STATUS answered late, SETTING once the line settled")
        << QStringList{"0 send 1 - 500 CR0", "500 end", "505 recv 00\r", "510 send 2 - 500 CR4",
                       "560 recv 11\r"}
        << QStringList{"1:00<CR>", "#1 answered", "2:11<CR>", "#2 answered"};
    QTest::newRow("MODE answered 3 without a terminator")
        << QStringList{"0 send 1 - 500 CR1", "50 recv 3", "500 end", "599 wait", "600 wait"}
        << QStringList{"1~3", "#1 answered 3"};
    QTest::newRow("a reply that fits no owed command is nobody's")
        << QStringList{"0 send 1 - 500 CR0", "50 recv zz\r", "60 recv 00\r"}
        << QStringList{"0:zz<CR>", "1:00<CR>", "#1 answered"};
    QTest::newRow("silence settles after the window and a quiet gap")
        << QStringList{"0 send 1 - 500 CR0", "500 end", "599 wait", "600 wait"}
        << QStringList{"#1 silent"};
    QTest::newRow("characters still arriving delay settling")
        << QStringList{"0 send 1 - 500 CR0", "500 end", "550 recv zz", "600 wait", "650 wait"}
        << QStringList{"0~zz", "#1 silent"};
    QTest::newRow("refused") << QStringList{"0 send 1 - 500 CR PRESSURE", "50 recv ?\r"}
                             << QStringList{"1:?<CR>", "#1 refused"};
    QTest::newRow("ALL owes nothing") << QStringList{"0 send 1 AFFF 500 CR0", "50 recv 00\r"}
                                      << QStringList{"#1 sent", "0:00<CR>"};
    QTest::newRow("a short cursor window still owes for 500 ms")
        << QStringList{"0 send 1 - 150 C1C", "150 send 2 - 150 C1C", "200 recv \x06\r",
                       "300 recv \x06\r"}
        << QStringList{"1:<ACK><CR>", "#1 answered", "2:<ACK><CR>", "#2 answered"};
    QTest::newRow("late reply to the latest command after it settled")
        << QStringList{"0 send 1 - 500 CR0", "500 end", "600 wait", "900 recv 80\r"}
        << QStringList{"#1 silent", "1:80<CR>"};
    QTest::newRow("an earlier command's reply is no late reply")
        << QStringList{"0 send 1 - 500 CR0", "500 end",   "600 wait",      "700 send 2 - 500 C00",
                       "1200 end",           "1300 wait", "1400 recv 00\r"}
        << QStringList{"#1 silent", "#2 silent", "0:00<CR>"};
    QTest::newRow("a reply begun before the command is not its own")
        << QStringList{"0 send 1 - 500 CR0", "40 recv 4", "60 send 2 - 500 CR0", "80 recv 0\r",
                       "90 recv 00\r"}
        << QStringList{"1~4", "1:40<CR>", "#1 answered", "2:00<CR>", "#2 answered"};
    QTest::newRow("a window cut short still owes for 500 ms")
        << QStringList{"0 send 1 - 200 CR0", "100 send 2 - 500 CR4", "350 wait", "450 recv 00\r"}
        << QStringList{"1:00<CR>", "#1 answered"};
}

// Each reply only in its own exact form; noise before a reply keeps it from
// nobody; a projector that answers a later command skipped the earlier ones.
void tst_ReplyRule::formsNoiseAndOrder_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("STATUS answered twice, then L-TIME: the stray 00 is no lamp time")
        << QStringList{"0 send 1 - 500 CR0", "20 recv 00\r", "21 send 2 - 500 CR3", "40 recv 00\r",
                       "45 recv 01203\r"}
        << QStringList{"1:00<CR>", "#1 answered", "0:00<CR>", "2:01203<CR>", "#2 answered"};
    QTest::newRow("a late STATUS 20 just after L-TIME went out is no lamp time")
        << QStringList{"0 send 1 - 500 CR0",   "500 end",       "600 wait",
                       "601 send 2 - 500 CR3", "610 recv 20\r", "640 recv 01203\r"}
        << QStringList{"#1 silent", "0:20<CR>", "2:01203<CR>", "#2 answered"};
    QTest::newRow("lamp time of four digits growing to five")
        << QStringList{"0 send 1 - 500 CR3", "20 recv 0120", "25 recv 3\r"}
        << QStringList{"1~0120", "1:01203<CR>", "#1 answered"};
    QTest::newRow("lamp time of six digits is nobody's")
        << QStringList{"0 send 1 - 500 CR3", "20 recv 012034\r", "500 end", "600 wait"}
        << QStringList{"0:012034<CR>", "#1 silent"};
    QTest::newRow("a NUL before 20 CR") << QStringList{"0 send 1 - 500 CR0", "20 recv <NUL>20\r"}
                                        << QStringList{"1:[<NUL>]20<CR>", "#1 answered"};
    QTest::newRow("0xFF before 01203 CR, in a piece of its own")
        << QStringList{"0 send 1 - 500 CR3", "20 recv <FF>", "25 recv 01203\r"}
        << QStringList{"1:[<FF>]01203<CR>", "#1 answered"};
    QTest::newRow("a NUL before an ACK") << QStringList{"0 send 1 - 500 C00", "20 recv <NUL>\x06\r"}
                                         << QStringList{"1:[<NUL>]<ACK><CR>", "#1 answered"};
    QTest::newRow("characters lost inside a reply break it off")
        << QStringList{"0 send 1 - 500 CR PRESSURE",
                       "20 recv 51",
                       "30 lost",
                       "40 recv \r",
                       "500 end",
                       "700 wait"}
        << QStringList{"1~51", "0:<CR>", "#1 not-attributable"};
    QTest::newRow("noise alone is no reply")
        << QStringList{"0 send 1 - 500 CR0", "20 recv <NUL><FF>", "500 end", "600 wait"}
        << QStringList{"#1 silent"};
    QTest::newRow("noise before the command is not its reply's")
        << QStringList{"0 recv <FF>", "10 send 1 - 500 CR0", "30 recv 80\r"}
        << QStringList{"1:80<CR>", "#1 answered"};
    QTest::newRow("a status byte outside the table, read by its bits")
        << QStringList{"0 send 1 - 500 CR0", "20 recv 23\r"}
        << QStringList{"1:23<CR>", "#1 answered"};
    QTest::newRow("STATUS unanswered, MODE answered: STATUS was skipped")
        << QStringList{"0 send 1 A001 500 CR0", "250 send 2 A001 500 CR1", "270 recv 3\r"}
        << QStringList{"2:3<CR>", "#2 answered", "#1 silent"};
    QTest::newRow("STATUS unanswered, SETTING answered 11: a reversal before a fault state")
        << QStringList{"0 send 1 A001 500 CR0", "250 send 2 A001 500 CR4", "270 recv 1",
                       "271 recv 1\r"}
        << QStringList{"1~1", "2:11<CR>", "#2 answered", "#1 silent"};
    QTest::newRow("STATUS alone answered 11: a fault state read by its bits")
        << QStringList{"0 send 1 A001 500 CR0", "20 recv 11\r"}
        << QStringList{"1:11<CR>", "#1 answered"};
    QTest::newRow("STATUS unanswered, L-TIME answered: STATUS was skipped")
        << QStringList{"0 send 1 - 500 CR0", "250 send 2 - 500 CR3", "270 recv 01203\r"}
        << QStringList{"2:01203<CR>", "#2 answered", "#1 silent"};
    QTest::newRow("VOL + ticks unanswered, then STATUS")
        << QStringList{"0 send 1 - 250 C09", "250 send 2 - 250 C09", "500 send 3 - 500 CR0",
                       "520 recv 40\r", "700 wait"}
        << QStringList{"3:40<CR>", "#3 answered", "#1 silent", "#2 silent"};
    QTest::newRow("a reply that fits a later command of another projector only")
        << QStringList{"0 send 1 A001 500 CR0", "250 send 2 A002 500 CR3", "270 recv 01203\r",
                       "500 wait", "600 wait"}
        << QStringList{"2:01203<CR>", "#2 answered", "#1 silent"};
}

void tst_ReplyRule::rule()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, events);

    ReplyMatcher matcher;
    QStringList seen;
    const auto settle = [&](qint64 now) {
        for (const ReplyMatcher::Settled &s : matcher.settle(now)) {
            // A reply without its terminator is shown: no complete reply event named it.
            const bool whole = s.reply.endsWith(u'\r') || s.reply.endsWith(u'\n');
            const QString reply = s.reply.isEmpty() || whole ? QString() : u' ' + visible(s.reply);
            seen << QStringLiteral("#%1 %2%3").arg(s.command).arg(nameOf(s.result), reply);
        }
    };
    for (const QString &step : steps) {
        const qint64 now = step.section(u' ', 0, 0).toLongLong();
        const QString verb = step.section(u' ', 1, 1);
        settle(now); // what the settling timer would have given before this step
        if (verb == QLatin1String("send")) {
            ReplyMatcher::Command command;
            command.id = step.section(u' ', 2, 2).toULongLong();
            const QString projector = step.section(u' ', 3, 3);
            command.projector = projector == QLatin1String("-") ? QString() : projector;
            command.owed = projector != QLatin1String("AFFF");
            const QString code = step.section(u' ', 5);
            command.query = status::queryFor(code);
            matcher.sent(command, now, step.section(u' ', 4, 4).toInt());
        } else if (verb == QLatin1String("recv")) {
            for (const ReplyMatcher::Reply &r :
                 matcher.received(bytesOf(step.section(u' ', 2)), now)) {
                const QString noise
                    = r.noise.isEmpty() ? QString() : u'[' + visible(r.noise) + u']';
                seen << QString::number(r.command) + (r.complete ? u':' : u'~') + noise
                            + visible(r.text);
            }
        } else if (verb == QLatin1String("lost")) {
            matcher.inputLost();
        } else if (verb == QLatin1String("end")) {
            matcher.windowEnded(now);
        } else {
            QCOMPARE(verb, QStringLiteral("wait"));
        }
        settle(now);
    }
    QCOMPARE(seen, events);
}

QTEST_GUILESS_MAIN(tst_ReplyRule)
#include "tst_replyrule.moc"
