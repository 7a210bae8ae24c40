#include "sim/ptyserver.h"

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

QTEST_GUILESS_MAIN(PtyServerTest)
#include "tst_simptyserver.moc"
