// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ptyserver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QSocketNotifier>
#include <QTest>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The console's end of the line: the slave opened like a serial port.
class Client
{
public:
    explicit Client(const QString &path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~Client() { close(); }
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool write(const QByteArray &bytes) const
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Everything received so far, without waiting.
    QByteArray received()
    {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0)
            m_received.append(buffer, n);
        return m_received;
    }

private:
    int m_fd;
    QByteArray m_received;
};

} // namespace

class PtyServerTest : public QObject
{
    Q_OBJECT

private slots:
    void answersOnTheSlave_data();
    void answersOnTheSlave();
    void survivesCloseAndReopen();
    void idleCostsNoProcessorTime();
    void logsCommandsAndReplies();
    void repliesArriveInPieces_data();
    void repliesArriveInPieces();
};

void PtyServerTest::answersOnTheSlave_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("status") << QByteArray("CR0\r") << QByteArray("80\r");
    QTest::newRow("addressed") << QByteArray("A003CR4\r") << QByteArray("11\r");
    QTest::newRow("two commands") << QByteArray("CR1\rA002CR0\r") << QByteArray("1\r80\r");
    QTest::newRow("refused in standby") << QByteArray("C0B\r") << QByteArray("?\r");
}

void PtyServerTest::answersOnTheSlave()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, reply);

    PtyServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    QVERIFY(server.slavePath().startsWith(u"/dev/"));
    Client client(server.slavePath());
    QVERIFY(client.isOpen());
    QVERIFY(client.write(text));
    QTRY_COMPARE(client.received(), reply);
}

void PtyServerTest::survivesCloseAndReopen()
{
    PtyServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    {
        Client first(server.slavePath());
        QVERIFY(first.write("C00\r"));
        QTRY_COMPARE(first.received(), QByteArray("\x06\r"));
    }
    Client second(server.slavePath());
    QVERIFY(second.isOpen());
    QVERIFY(second.write("CR0\r"));
    QTRY_COMPARE(second.received(), QByteArray("40\r"));
    QCOMPARE(server.model().projector(1).state().power, sim::Power::CountDown);
}

void PtyServerTest::idleCostsNoProcessorTime()
{
    PtyServer server;
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    {
        Client gone(server.slavePath());
        QVERIFY(gone.write("CR0\r"));
        QTRY_COMPARE(gone.received(), QByteArray("80\r"));
    }
    // Nobody has the slave open now but the server; a spinning notifier would
    // burn the whole interval.
    const std::clock_t before = std::clock();
    QTest::qWait(500);
    const double cpuMs = double(std::clock() - before) * 1000 / CLOCKS_PER_SEC;
    QVERIFY2(cpuMs < 100, qPrintable(QStringLiteral("%1 ms of processor time").arg(cpuMs)));
}

void PtyServerTest::logsCommandsAndReplies()
{
    PtyServer server;
    QStringList log;
    server.setLogHook([&log](const QString &line) { log << line; });
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    Client client(server.slavePath());
    QVERIFY(client.write("A002C00\rA009CR0\r"));
    QTRY_COMPARE(client.received(), QByteArray("\x06\r"));
    QTRY_COMPARE(log.size(), 3);
    QCOMPARE(log.at(0), QStringLiteral("received A002C00<CR>"));
    QCOMPARE(log.at(1), QStringLiteral("received A009CR0<CR>"));
    QVERIFY2(log.at(2).startsWith(u"reply    <ACK><CR> (projector 2"), qPrintable(log.at(2)));
}

void PtyServerTest::repliesArriveInPieces_data()
{
    QTest::addColumn<int>("baud");
    QTest::newRow("19200") << 19200;
    QTest::newRow("9600") << 9600;
}

// As on the in-process line: each reply in two pieces, the first once half
// the reply has crossed the line at the projectors' speed.
void PtyServerTest::repliesArriveInPieces()
{
    QFETCH(int, baud);

    PtyServer server;
    server.model().setBaudRate(baud);
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    Client client(server.slavePath());
    QVERIFY(client.isOpen());
    QByteArrayList pieces;
    QElapsedTimer clock;
    QList<qint64> arrivedUs;
    // An event loop of its own: the waits of QTest sleep between their rounds.
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    QSocketNotifier readable(client.fd(), QSocketNotifier::Read);
    connect(&readable, &QSocketNotifier::activated, this, [&] {
        const QByteArray before = pieces.join();
        const QByteArray now = client.received();
        if (now.size() > before.size()) {
            pieces << now.mid(before.size());
            arrivedUs << clock.nsecsElapsed() / 1000;
        }
        if (now.endsWith('\r'))
            loop.quit();
    });
    clock.start();
    QVERIFY(client.write("CR INFPFAIL\r"));
    loop.exec();
    QCOMPARE(pieces.join(), QByteArray("NO FAIL\r"));
    QCOMPARE(pieces, (QByteArrayList{"NO F", "AIL\r"}));
    // Each piece only once it has crossed the line after the projector's delay.
    const double frameUs = 10 * 1e6 / baud;
    const double answerUs = sim::Projector::ReadDelayMs * 1000;
    QVERIFY2(arrivedUs.first() >= qint64(answerUs + 4 * frameUs)
                 && arrivedUs.last() >= qint64(answerUs + 8 * frameUs),
             qPrintable(QStringLiteral("pieces after %1 and %2 us")
                            .arg(arrivedUs.first())
                            .arg(arrivedUs.last())));
}

QTEST_GUILESS_MAIN(PtyServerTest)
#include "tst_simptyserver.moc"
