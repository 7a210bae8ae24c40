// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/consolewindow.h"
#include "support/ptypair.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <ctime>

// The console on one side of a real pseudo-terminal, the test on the other.
class PtyLineTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sentBytesArriveExactly_data();
    void sentBytesArriveExactly();
    void receivedBytesReachRxdLine_data();
    void receivedBytesReachRxdLine();
    void bytesFromBeforeOpeningAreDiscarded();
    void farEndClosedMidSession();
    void portIsChosenAgainWhileNoticeIsUp_data();
    void portIsChosenAgainWhileNoticeIsUp();

private:
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<ConsoleWindow> m_console;
};

void PtyLineTest::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    m_console = std::make_unique<ConsoleWindow>();
    m_console->devices[1] = m_pty->slavePath();
}

void PtyLineTest::cleanup()
{
    m_console.reset();
    m_pty.reset();
}

void PtyLineTest::sentBytesArriveExactly_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("shown");
    QTest::newRow("query") << "CR0" << QByteArray("CR0\r") << " C R 0 CR ";
    QTest::newRow("keyword") << "CF IMAGE REAL" << QByteArray("CF IMAGE REAL\r")
                             << " C F   I M A G E   R E A L CR ";
    QTest::newRow("printable") << "!\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~"
                               << QByteArray("!\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~\r")
                               << " ! \" # $ % & ' ( ) * + , - . / 0 9 : ; < = > ? @ A Z [ \\ ] "
                                  "^ _ ` a z ? ? ? ? CR ";
    // The line is ASCII: what the trace shows as "?" goes out as "?".
    QTest::newRow("latin-1") << QString::fromUtf8("é") << QByteArray("?\r") << " ? CR ";
    QTest::newRow("beyond latin-1")
        << QString::fromUtf8("日本") << QByteArray("??\r") << " ? ? CR ";
}

void PtyLineTest::sentBytesArriveExactly()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, expected);
    QFETCH(QString, shown);
    m_console->start();
    m_console->openFullView();
    m_console->control<QLineEdit>(QStringLiteral("Text1"))->setText(typed);
    m_console->click(QStringLiteral("Command95"));
    QCOMPARE(m_pty->take(expected.size()), expected);
    QCOMPARE(m_console->txd(), shown);
    // Nothing more than the command text.
    QTest::qWait(50);
    QCOMPARE(m_pty->takeAll(), QByteArray());
}

void PtyLineTest::receivedBytesReachRxdLine_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("status");
    QTest::newRow("power on") << QByteArray("00\r") << " 0 0 CR "
                              << " Power ON";
    QTest::newRow("ack") << QByteArray("\x06\r") << " ACK CR "
                         << "";
    QTest::newRow("nul and high bytes") << QByteArray("\x00\x80\xff"
                                                      "A",
                                                      4)
                                        << " ? ? ? A "
                                        << "";
    QTest::newRow("line feed") << QByteArray("80\r\n") << " 8 0 CR LF "
                               << " Stand by";
}

void PtyLineTest::receivedBytesReachRxdLine()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, shown);
    QFETCH(QString, status);
    m_console->start();
    m_console->openFullView();
    m_console->click(QStringLiteral("Command44"));
    QCOMPARE(m_pty->take(4), QByteArray("CR0\r"));
    m_pty->write(reply);
    QTRY_COMPARE(m_console->rxd(), shown);
    QCOMPARE(m_console->statusLine(), status);
    QCOMPARE(probe(*m_console->window).state().RecvBuffer.size(), reply.size());
}

void PtyLineTest::bytesFromBeforeOpeningAreDiscarded()
{
    m_pty->write("stale reply\r");
    m_console->start();
    m_console->openFullView();
    m_console->click(QStringLiteral("Command44"));
    QCOMPARE(m_pty->take(4), QByteArray("CR0\r"));
    m_pty->write("80\r");
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" 8 0 CR "));
}

static double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

void PtyLineTest::farEndClosedMidSession()
{
    MainWindow &w = m_console->start();
    QSignalSpy told(&w.notice(), &RefusalNotice::told);
    m_console->openFullView();
    m_console->click(QStringLiteral("Command44"));
    QCOMPARE(m_pty->take(4), QByteArray("CR0\r"));

    m_pty->closeMaster();
    QTRY_COMPARE(told.count(), 1);
    QVERIFY(!probe(w).comm().portOpen());
    QCOMPARE(w.notice().text(),
             QStringLiteral("Port 1 (%1) was closed: the device went away (the device was "
                            "removed). Choose the port again in the port panel when it is back.")
                 .arg(m_pty->slavePath()));

    // No busy loop: the event loop idles for a second.
    const double before = processCpuSeconds();
    QTest::qWait(1000);
    const double used = processCpuSeconds() - before;
    QVERIFY2(used < 0.2, qPrintable(QStringLiteral("%1 s of CPU in 1 s").arg(used)));
    QCOMPARE(told.count(), 1);
    QCOMPARE(m_console->warnings.size(), 0);
}

static QRect globalArea(const QWidget *w)
{
    return QRect(w->mapToGlobal(QPoint()), w->size());
}

// The port is reached through a link, as through /dev/serial/by-id: when the
// line is lost, the link is turned to a new pseudo-terminal, the device "back".
void PtyLineTest::portIsChosenAgainWhileNoticeIsUp_data()
{
    QTest::addColumn<bool>("fullView");
    QTest::newRow("normal view") << false;
    QTest::newRow("full view") << true;
}

void PtyLineTest::portIsChosenAgainWhileNoticeIsUp()
{
    QFETCH(bool, fullView);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("port1"));
    QVERIFY(QFile::link(m_pty->slavePath(), link));
    m_console->devices[1] = link;
    MainWindow &w = m_console->start();
    if (fullView)
        m_console->openFullView();
    QSignalSpy told(&w.notice(), &RefusalNotice::told);

    m_pty->closeMaster();
    QTRY_COMPARE(told.count(), 1);
    QVERIFY(!probe(w).comm().portOpen());
    PtyPair back;
    QVERIFY(QFile::remove(link) && QFile::link(back.slavePath(), link));

    auto *notice = w.findChild<QWidget *>(QStringLiteral("RefusalNotice"));
    QVERIFY(notice && notice->isVisible());
    const QRect box = notice->frameGeometry();
    QVERIFY(w.screen()->availableGeometry().contains(box));
    for (const char *name : {"Frame8", "Command33"})
        QVERIFY2(!box.intersects(globalArea(m_console->control(QString::fromLatin1(name)))), name);

    for (const char *name : {"Command33", "Option1"}) {
        QWidget *target = m_console->control(QString::fromLatin1(name));
        QCOMPARE(QApplication::widgetAt(globalArea(target).center()), target);
        QTest::mouseClick(target, Qt::LeftButton);
    }
    QVERIFY(probe(w).comm().portOpen());
    QVERIFY(notice->isVisible());
    m_console->click(QStringLiteral("Command17"));
    QCOMPARE(back.take(4), QByteArray("C00\r"));
    QVERIFY(!notice->isVisible()); // what it said no longer holds
}

QTEST_MAIN(PtyLineTest)
#include "tst_ptyline.moc"
