// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/lineforms.h"
#include "support/consolewindow.h"
#include "support/ptypair.h"
#include "support/ser2net.h"
#include "support/silentport.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>
#include <optional>

#include <sys/resource.h>

Q_DECLARE_METATYPE(Ser2net::Mode)

// The real window on ports of a serial device server: Debian's ser2net on the
// loopback in front of a pseudo-terminal that the test reads and writes as
// the projector would.
class NetworkLineTest : public QObject
{
    Q_OBJECT

private slots:
    void statusReplyIsDecoded_data() { bothForms(); }
    void statusReplyIsDecoded();
    void byte255CrossesBothWays_data() { bothForms(); }
    void byte255CrossesBothWays();
    void speedOfTheFarPort_data();
    void speedOfTheFarPort();
    void serverGoneWhileHeld_data() { bothForms(); }
    void serverGoneWhileHeld();
    void connectionFailures_data();
    void connectionFailures();
    void heldCursorNeverOutrunsTheWire_data() { bothForms(); }
    void heldCursorNeverOutrunsTheWire();
    void cleanup();

private:
    static void bothForms();
    // The far pty, ser2net in front of it, and the window on port 1.
    bool startChain(Ser2net::Mode mode, const QString &lineSettings = QStringLiteral("19200n81"));

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<Ser2net> m_server;
    std::unique_ptr<ConsoleWindow> m_console;
};

namespace {

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int farSpeed(const PtyPair &pty)
{
    termios t{};
    const int fd = ::open(qPrintable(pty.slavePath()), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 || ::tcgetattr(fd, &t) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    ::close(fd);
    switch (::cfgetospeed(&t)) {
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    default:
        return int(::cfgetospeed(&t));
    }
}

} // namespace

void NetworkLineTest::bothForms()
{
    QTest::addColumn<Ser2net::Mode>("mode");
    QTest::newRow("tcp") << Ser2net::Mode::Raw;
    QTest::newRow("rfc2217") << Ser2net::Mode::Rfc2217;
}

bool NetworkLineTest::startChain(Ser2net::Mode mode, const QString &lineSettings)
{
    m_pty = std::make_unique<PtyPair>();
    if (!m_pty->isValid())
        return false;
    m_server = std::make_unique<Ser2net>(mode, m_pty->slavePath(), lineSettings);
    if (!m_server->start()) {
        qWarning("%s", qPrintable(m_server->errorString()));
        return false;
    }
    m_console = std::make_unique<ConsoleWindow>();
    m_console->startFullView(m_server->url());
    // The connection is made in the background and told by a signal.
    if (!QTest::qWaitFor([this] { return !probe(*m_console->window).comm().portOpening(); },
                         NetworkLine::kConnectBoundMs + 1000)) {
        qWarning("the connection was still opening");
        return false;
    }
    for (const QString &warning : std::as_const(m_console->warnings))
        qWarning("%s", qPrintable(warning));
    return probe(*m_console->window).comm().portOpen() && m_console->warnings.isEmpty();
}

void NetworkLineTest::cleanup()
{
    m_console.reset();
    m_server.reset();
    m_pty.reset();
}

void NetworkLineTest::statusReplyIsDecoded()
{
    QFETCH(Ser2net::Mode, mode);
    QVERIFY(startChain(mode));
    m_console->click(QStringLiteral("Command44"));
    QCOMPARE(m_pty->takeSettled(4), QByteArray("CR0\r"));
    m_pty->write("00\r");
    QTRY_COMPARE(m_console->statusLine(), QStringLiteral(" Power ON"));
    QCOMPARE(m_console->rxd(), QStringLiteral(" 0 0 CR "));
}

void NetworkLineTest::byte255CrossesBothWays()
{
    QFETCH(Ser2net::Mode, mode);
    QVERIFY(startChain(mode));
    // The window sends ASCII only; the line itself carries any byte.
    QVERIFY(probe(*m_console->window).comm().line()->write("\xff\r"));
    QCOMPARE(m_pty->takeSettled(2), QByteArray("\xff\r"));
    m_pty->write("\xff"
                 "A\xff\xff");
    QTRY_COMPARE(probe(*m_console->window).state().RecvBuffer, QString::fromLatin1("\xff"
                                                                                   "A\xff\xff"));
}

void NetworkLineTest::speedOfTheFarPort_data()
{
    QTest::addColumn<Ser2net::Mode>("mode");
    QTest::addColumn<QList<int>>("speeds"); // after opening, choosing 9600, choosing 19200
    // The server's own configuration says 9600: rfc2217 replaces it with the
    // console's choice, a raw port keeps it.
    QTest::newRow("rfc2217") << Ser2net::Mode::Rfc2217 << QList<int>{19200, 9600, 19200};
    QTest::newRow("tcp") << Ser2net::Mode::Raw << QList<int>{9600, 9600, 9600};
}

void NetworkLineTest::speedOfTheFarPort()
{
    QFETCH(Ser2net::Mode, mode);
    QFETCH(QList<int>, speeds);
    QVERIFY(startChain(mode, QStringLiteral("9600n81")));
    QTRY_COMPARE(farSpeed(*m_pty), speeds[0]);
    m_console->click(QStringLiteral("Command33"));
    m_console->choose(QStringLiteral("Option10"));
    QTRY_COMPARE(farSpeed(*m_pty), speeds[1]);
    m_console->click(QStringLiteral("Command33"));
    m_console->choose(QStringLiteral("Option9"));
    QTRY_COMPARE(farSpeed(*m_pty), speeds[2]);
    QVERIFY(probe(*m_console->window).comm().portOpen());
    QCOMPARE(m_console->warnings, QStringList());
}

void NetworkLineTest::serverGoneWhileHeld()
{
    QFETCH(Ser2net::Mode, mode);
    QVERIFY(startChain(mode));
    MainWindow &w = *m_console->window;
    QSignalSpy told(&w.notice(), &RefusalNotice::told);
    m_console->press(QStringLiteral("Command1"));
    QCOMPARE(m_pty->take(4), QByteArray("C09\r"));

    m_server->stop();
    QTRY_COMPARE(told.count(), 1);
    QVERIFY(!probe(w).comm().portOpen());
    const QString notice = w.notice().text();
    QVERIFY2(notice.contains(QStringLiteral("host 127.0.0.1 port %1").arg(m_server->port())),
             qPrintable(notice));
    // The hold goes on, the line is gone: nothing runs but refused ticks.
    const double before = cpuSeconds();
    runFor(1000);
    const double used = cpuSeconds() - before;
    QVERIFY2(used < 0.05, qPrintable(QStringLiteral("%1 s of CPU in 1 s").arg(used)));
    QCOMPARE(told.count(), 1);
    m_console->release(QStringLiteral("Command1"));

    QVERIFY2(m_server->start(m_server->port()), qPrintable(m_server->errorString()));
    m_console->click(QStringLiteral("Command33"));
    m_console->choose(QStringLiteral("Option1"));
    QTRY_VERIFY(probe(w).comm().portOpen());
    m_pty->takeAll();
    m_console->click(QStringLiteral("Command44"));
    QCOMPARE(m_pty->takeSettled(4), QByteArray("CR0\r"));
    QCOMPARE(m_console->warnings, QStringList());
}

void NetworkLineTest::connectionFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("atLeastMs");
    QTest::newRow("refused") << "refused"
                             << "the connection was refused" << 0;
    QTest::newRow("unknown host") << "unknown"
                                  << "unknown host" << 0;
    QTest::newRow("no answer") << "silent"
                               << "timed out" << NetworkLine::kConnectBoundMs - 100;
    QTest::newRow("no COM port control") << "telnet"
                                         << "does not offer serial port control" << 0;
}

// Port 2 is chosen in the port panel of a shown window, port 1 being fine.
void NetworkLineTest::connectionFailures()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QFETCH(int, atLeastMs);
    std::optional<SilentPort> silent;
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = Ser2net::freePort();
    if (kind == QLatin1String("unknown")) {
        host = QStringLiteral("projector.invalid");
        port = 4001;
    } else if (kind == QLatin1String("silent")) {
        port = silent.emplace().port();
    } else if (kind == QLatin1String("telnet")) {
        m_pty = std::make_unique<PtyPair>();
        m_server = std::make_unique<Ser2net>(Ser2net::Mode::Telnet, m_pty->slavePath());
        QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
        port = m_server->port();
    }
    QVERIFY(port != 0);
    ConsoleWindow c;
    c.devices[2] = QStringLiteral("rfc2217://%1:%2").arg(host).arg(port);
    MainWindow &w = c.start();
    c.click(QStringLiteral("Command33"));

    // The window keeps painting while the connection is being made.
    int paints = 0;
    QTimer asker;
    QObject::connect(&asker, &QTimer::timeout, &w, [&w] { w.update(); });
    asker.start(50);
    struct PaintCounter : QObject
    {
        int &count;
        explicit PaintCounter(int &c) : count(c) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    w.installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    c.choose(QStringLiteral("Option2"));
    // The choice returns at once; the failure is told when it is known.
    QVERIFY(clock.elapsed() < 500);
    // A command clicked meanwhile waits for the connection: it is not shown as sent.
    c.click(QStringLiteral("Command44"));
    QVERIFY2(!c.txd().contains(QStringLiteral("C R 0")), qPrintable(c.txd()));
    QTRY_VERIFY_WITH_TIMEOUT(!c.warnings.isEmpty(), NetworkLine::kConnectBoundMs + 1000);
    const qint64 took = clock.elapsed();
    w.removeEventFilter(&counter);

    QCOMPARE(c.warnings.size(), 1);
    const QString warning = c.warnings.first();
    QVERIFY2(warning.contains(QStringLiteral("host %1 port %2").arg(host).arg(port)),
             qPrintable(warning));
    QVERIFY2(warning.contains(reason), qPrintable(warning));
    QVERIFY2(took >= atLeastMs && took < NetworkLine::kConnectBoundMs + 1000,
             qPrintable(QStringLiteral("%1 ms").arg(took)));
    QVERIFY2(paints >= took / 50 / 3, qPrintable(QStringLiteral("%1 paints").arg(paints)));
    QVERIFY(!probe(w).comm().portOpen());
    QCOMPARE(probe(w).comm().commPort(), qint16(1));
    QVERIFY(w.isVisible());
}

// At 9600 a command of eight bytes needs 8.3 ms on the wire; the 5 ms ticks
// of the cursor after D.Zoom must not queue them up ahead of it.
void NetworkLineTest::heldCursorNeverOutrunsTheWire()
{
    QFETCH(Ser2net::Mode, mode);
    QVERIFY(startChain(mode));
    m_console->click(QStringLiteral("Command33"));
    m_console->choose(QStringLiteral("Option10"));
    m_console->choose(QStringLiteral("Option5")); // 001
    m_console->press(QStringLiteral("Command48"));
    m_console->release(QStringLiteral("Command48"));
    QCOMPARE(probe(*m_console->window).timer(1).interval(), 5);
    runFor(200);
    m_pty->takeAll();

    m_console->press(QStringLiteral("Command8"));
    runFor(2000);
    const QByteArray held = m_pty->takeAll();
    m_console->release(QStringLiteral("Command8"));
    runFor(300);
    const QByteArray after = m_pty->takeAll();

    const qsizetype commands = held.count('\r');
    QCOMPARE(held, QByteArray("A001C3A\r").repeated(commands));
    constexpr double commandMs = 8 * 10 * 1000.0 / 9600;
    QVERIFY2(commands >= 50 && commands <= 2000 / commandMs + 2,
             qPrintable(QStringLiteral("%1 commands in 2 s").arg(commands)));
    QVERIFY2(after.isEmpty() || after == "A001C3A\r", after.constData());
    QCOMPARE(m_console->warnings, QStringList());
}

QTEST_MAIN(NetworkLineTest)
#include "tst_networkline.moc"
