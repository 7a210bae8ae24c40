// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/devicechooser.h"
#include "app/portdevices.h"
#include "support/consolewindow.h"
#include "support/ptypair.h"
#include "support/ser2net.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>

// The device behind each port chosen in the window: serial devices by their
// stable names, the simulated projectors and a serial device server; the
// choice remembered for the next start and overridden for one run.
class DeviceChooserTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void chosenDevicesAreUsedAndRemembered();
    void simulatedAndServerLines();
    void listFollowsDevicesWhileOpen();

private:
    // Starts the window as the program does, on what is remembered and the
    // overrides of this run.
    MainWindow &start(const std::map<int, QString> &overrides = {});
    void stop();
    QMenu *openChooser(int port);
    void pick(QMenu *menu, const QString &device);
    QString byId(const QString &name) const { return m_byId.filePath(name); }

    QTemporaryDir m_config;
    QTemporaryDir m_byId;
    PtyPair m_ptyA;
    PtyPair m_ptyB;
    std::unique_ptr<PortDevices> m_devices;
    std::unique_ptr<ConsoleWindow> m_console;
    DeviceChooser *m_chooser = nullptr;
};

static const QString kLinkA = QStringLiteral("usb-Acme_Projector_Link_A1-if00-port0");
static const QString kLinkB = QStringLiteral("usb-Acme_Projector_Link_B2-if00-port0");

void DeviceChooserTest::init()
{
    QVERIFY(m_config.isValid() && m_byId.isValid() && m_ptyA.isValid() && m_ptyB.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    QFile::remove(m_config.filePath(QStringLiteral("projector-console/projector-console.ini")));
    for (const auto &[name, pty] : {std::pair(kLinkA, &m_ptyA), std::pair(kLinkB, &m_ptyB)}) {
        QFile::remove(byId(name));
        QVERIFY(QFile::link(pty->slavePath(), byId(name)));
    }
}

void DeviceChooserTest::cleanup()
{
    stop();
}

MainWindow &DeviceChooserTest::start(const std::map<int, QString> &overrides)
{
    stop();
    m_devices = std::make_unique<PortDevices>();
    for (const auto &[port, device] : overrides)
        m_devices->overrideForThisRun(port, device);
    m_console = std::make_unique<ConsoleWindow>();
    MainWindow &window = m_console->start(m_devices->lines());
    m_chooser = new DeviceChooser(window, *m_devices, m_byId.path());
    m_console->openFullView();
    m_console->warnings.clear();
    return window;
}

void DeviceChooserTest::stop()
{
    m_console.reset();
    m_devices.reset();
    m_ptyA.takeAll();
    m_ptyB.takeAll();
}

// Right-click on the port option of the open port panel.
QMenu *DeviceChooserTest::openChooser(int port)
{
    m_console->click(QStringLiteral("Command33"));
    QWidget *option = m_console->control(QStringLiteral("Option%1").arg(port));
    const QPoint at = option->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, option->mapToGlobal(at));
    QApplication::sendEvent(option, &event);
    return m_chooser->menu();
}

void DeviceChooserTest::pick(QMenu *menu, const QString &device)
{
    const QList<QAction *> actions = menu->actions();
    const auto it = std::find_if(actions.begin(), actions.end(),
                                 [&](QAction *a) { return a->data().toString() == device; });
    QVERIFY2(it != actions.end(), qPrintable(device));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(*it).center());
    QTRY_VERIFY(!menu->isVisible());
}

void DeviceChooserTest::chosenDevicesAreUsedAndRemembered()
{
    MainWindow &w = start();
    QCOMPARE(m_devices->device(1), QStringLiteral("/dev/ttyS0"));
    QMenu *menu = openChooser(1);
    QVERIFY(menu);
    const QString labelA = QStringLiteral("%1 (%2)").arg(kLinkA, m_ptyA.slavePath());
    const QList<QAction *> entries = menu->actions();
    QVERIFY(std::any_of(entries.begin(), entries.end(),
                        [&](QAction *a) { return a->text() == labelA; }));
    pick(menu, byId(kLinkA));
    QVERIFY(probe(w).comm().portOpen());
    QVERIFY(m_console->warnings.isEmpty());
    m_console->click(QStringLiteral("Command17"));
    QCOMPARE(m_ptyA.takeSettled(4), QByteArray("C00\r"));

    // The other port: remembered, not switched to.
    pick(openChooser(2), byId(kLinkB));
    QCOMPARE(probe(w).comm().commPort(), qint16(1));
    QVERIFY(m_console->control(QStringLiteral("Option2"))->toolTip().contains(kLinkB));
    QVERIFY(w.accessibleDescription().contains(QStringLiteral("COM1: ") + labelA));

    // The next start opens what was chosen; an override holds for its run only.
    start();
    m_console->click(QStringLiteral("Command44"));
    QCOMPARE(m_ptyA.takeSettled(4), QByteArray("CR0\r"));
    m_console->choose(QStringLiteral("Option2"));
    m_console->click(QStringLiteral("Command44"));
    QCOMPARE(m_ptyB.takeSettled(4), QByteArray("CR0\r"));

    start({{1, m_ptyB.slavePath()}});
    QVERIFY(m_console->control(QStringLiteral("Option1"))->toolTip().contains(kLinkB));
    m_console->click(QStringLiteral("Command17"));
    QCOMPARE(m_ptyB.takeSettled(4), QByteArray("C00\r"));
    QCOMPARE(m_ptyA.takeAll(), QByteArray());
    start();
    QCOMPARE(m_devices->device(1), byId(kLinkA));

    // A pseudo-terminal is there although the system lists it nowhere.
    const PtyPair loose;
    QCOMPARE(m_chooser->describe(loose.slavePath()),
             loose.slavePath() + QStringLiteral(" (pseudo-terminal)"));
    QCOMPARE(m_chooser->describe(QStringLiteral("/dev/ttyUSB-gone")),
             QStringLiteral("/dev/ttyUSB-gone (not present)"));
}

void DeviceChooserTest::simulatedAndServerLines()
{
    Ser2net server(Ser2net::Mode::Rfc2217, m_ptyB.slavePath());
    QVERIFY2(server.start(), qPrintable(server.errorString()));
    MainWindow &w = start();
    pick(openChooser(1), QStringLiteral("sim"));
    m_console->click(QStringLiteral("Command44"));
    QTRY_COMPARE(m_console->rxd(), QStringLiteral(" 8 0 CR ")); // stand-by

    // A malformed address is told in the menu, which stays open.
    QMenu *menu = openChooser(1);
    QLineEdit *address = m_chooser->addressBox();
    address->setFocus();
    QTest::keyClicks(address, QStringLiteral("rfc2217://127.0.0.1"));
    QTest::keyClick(address, Qt::Key_Return);
    QVERIFY(menu->isVisible());
    QCOMPARE(m_devices->device(1), QStringLiteral("sim"));

    address->setText(server.url());
    QTest::keyClick(address, Qt::Key_Return);
    QTRY_VERIFY(!menu->isVisible());
    QTRY_VERIFY(probe(w).comm().portOpen());
    m_console->click(QStringLiteral("Command17"));
    QCOMPARE(m_ptyB.takeSettled(4), QByteArray("C00\r"));
    QVERIFY(m_console->warnings.isEmpty());

    MainWindow &again = start();
    QCOMPARE(m_devices->device(1), server.url());
    QTRY_VERIFY(probe(again).comm().portOpen());
    m_console->click(QStringLiteral("Command44"));
    QCOMPARE(m_ptyB.takeSettled(4), QByteArray("CR0\r"));
    QCOMPARE(m_chooser->describe(server.url()),
             QStringLiteral("serial device server ") + server.url());

    // A server that cannot be reached is told once the connection fails.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString nobody = QStringLiteral("tcp://127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    menu = openChooser(1);
    m_chooser->addressBox()->setText(nobody);
    QTest::keyClick(m_chooser->addressBox(), Qt::Key_Return);
    QTRY_COMPARE(m_console->warnings.size(), 1);
    QVERIFY2(m_console->warnings.first().contains(QStringLiteral("cannot connect")),
             qPrintable(m_console->warnings.first()));
}

void DeviceChooserTest::listFollowsDevicesWhileOpen()
{
    start();
    QMenu *menu = openChooser(1);
    const auto listed = [menu](const QString &device) {
        const QList<QAction *> actions = menu->actions();
        return std::any_of(actions.begin(), actions.end(),
                           [&](QAction *a) { return a->data().toString() == device; });
    };
    QVERIFY(listed(byId(kLinkB)));
    const QString linkC = byId(QStringLiteral("usb-Acme_Projector_Link_C3-if00-port0"));
    QVERIFY(QFile::link(m_ptyA.slavePath(), linkC));
    QTRY_VERIFY(listed(linkC));
    QVERIFY(QFile::remove(byId(kLinkB)));
    QTRY_VERIFY(!listed(byId(kLinkB)));
    QVERIFY(menu->isVisible());
    QFile::remove(linkC);
}

QTEST_MAIN(DeviceChooserTest)
#include "tst_devicechooser.moc"
