// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/deviceline.h"
#include "link/lineforms.h"

#include <QTest>

Q_DECLARE_METATYPE(NetworkLine::Protocol)

// Which line stands behind a device string, and what a malformed network
// form is told.
class LineFormsTest : public QObject
{
    Q_OBJECT

private slots:
    void networkForms_data();
    void networkForms();
    void malformedForms_data();
    void malformedForms();
    void serialDevices_data();
    void serialDevices();
};

void LineFormsTest::networkForms_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<NetworkLine::Protocol>("protocol");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    using P = NetworkLine::Protocol;
    QTest::newRow("raw, IPv4") << "tcp://127.0.0.1:4001" << P::Raw << "127.0.0.1" << 4001;
    QTest::newRow("rfc2217, name") << "rfc2217://hall-3.projectors.example:7000" << P::Rfc2217
                                   << "hall-3.projectors.example" << 7000;
    QTest::newRow("IPv6 in brackets") << "rfc2217://[::1]:65535" << P::Rfc2217 << "::1" << 65535;
    QTest::newRow("scheme in capitals") << "TCP://box:1" << P::Raw << "box" << 1;
}

void LineFormsTest::networkForms()
{
    QFETCH(QString, device);
    QFETCH(NetworkLine::Protocol, protocol);
    QFETCH(QString, host);
    QFETCH(int, port);
    const std::unique_ptr<CommLine> line = makeDeviceLine(device);
    const auto *network = qobject_cast<NetworkLine *>(line.get());
    QVERIFY(network);
    QCOMPARE(network->deviceName(), device);
    QCOMPARE(network->endpoint(), (NetworkLine::Endpoint{protocol, host, quint16(port)}));
}

void LineFormsTest::malformedForms_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("why");
    QTest::newRow("no port") << "tcp://box"
                             << "the port is missing";
    QTest::newRow("empty port") << "tcp://box:"
                                << "from 1 to 65535";
    QTest::newRow("port 0") << "tcp://box:0"
                            << "from 1 to 65535";
    QTest::newRow("port too large") << "rfc2217://box:65536"
                                    << "from 1 to 65535";
    QTest::newRow("port with a path") << "tcp://box:4001/x"
                                      << "from 1 to 65535";
    QTest::newRow("no host") << "tcp://:4001"
                             << "the host is missing";
    QTest::newRow("host with a space") << "tcp://my box:4001"
                                       << "is not a host name";
    QTest::newRow("IPv6 without brackets") << "tcp://::1:4001"
                                           << "goes in brackets";
    QTest::newRow("unclosed bracket") << "tcp://[::1:4001"
                                      << "no closing";
    QTest::newRow("not IPv6 in brackets") << "tcp://[box]:4001"
                                          << "is not an IPv6 address";
    QTest::newRow("bracket without port") << "tcp://[::1]"
                                          << "the port is missing";
    QTest::newRow("other scheme") << "udp://box:4001"
                                  << "unknown scheme \"udp\"";
}

void LineFormsTest::malformedForms()
{
    QFETCH(QString, device);
    QFETCH(QString, why);
    const std::unique_ptr<CommLine> line = makeDeviceLine(device);
    QCOMPARE(line->deviceName(), device);
    QVERIFY(!line->open(SerialSettings{}));
    QVERIFY(!line->isOpen());
    const QString error = line->errorString();
    QVERIFY2(error.contains(why) && error.contains(device)
                 && error.contains(QLatin1String("tcp://HOST:PORT or rfc2217://HOST:PORT")),
             qPrintable(error));
}

void LineFormsTest::serialDevices_data()
{
    QTest::addColumn<QString>("device");
    QTest::newRow("unix") << "/dev/ttyUSB0";
    QTest::newRow("windows") << "COM1";
}

void LineFormsTest::serialDevices()
{
    QFETCH(QString, device);
    const std::unique_ptr<CommLine> line = makeDeviceLine(device);
    QVERIFY(qobject_cast<DeviceLine *>(line.get()));
    QCOMPARE(line->deviceName(), device);
}

QTEST_GUILESS_MAIN(LineFormsTest)
#include "tst_lineforms.moc"
