// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicechooser.h"

#include "link/lineforms.h"
#include "mainwindow.h"
#include "portdevices.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace {

constexpr const char kSimulated[] = "sim";

QString optionName(int port)
{
    return QStringLiteral("Option%1").arg(port);
}

} // namespace

DeviceChooser::DeviceChooser(MainWindow &window, PortDevices &devices, QString byIdDir)
    : QObject(&window), m_window(window), m_devices(devices), m_byIdDir(std::move(byIdDir))
{
    for (int port : {1, 2}) {
        auto *option = m_window.control<QRadioButton>(optionName(port));
        option->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(option, &QWidget::customContextMenuRequested, this,
                [this, option, port](const QPoint &pos) { popup(port, option->mapToGlobal(pos)); });
    }
    // Devices come and go while the list is open: it follows them.
    m_poll.setInterval(500);
    connect(&m_poll, &QTimer::timeout, this, &DeviceChooser::refreshWhileOpen);
    connect(&m_devices, &PortDevices::changed, this, &DeviceChooser::describePorts);
    describePorts();
}

DeviceChooser::~DeviceChooser()
{
    delete m_menu;
}

QMenu *DeviceChooser::menu() const
{
    return m_menu && m_menu->isVisible() ? m_menu.data() : nullptr;
}

void DeviceChooser::popup(int port, const QPoint &globalPos)
{
    delete m_menu;
    m_deviceActions.clear();
    m_port = port;
    m_menu = new QMenu(&m_window);
    m_menu->setObjectName(QStringLiteral("DeviceChooser"));
    m_menu->setAttribute(Qt::WA_DeleteOnClose);
    m_menu->setToolTipsVisible(true); // the path of each device
    m_menu->setAccessibleName(QStringLiteral("Device behind COM%1").arg(port));
    m_menu->addSection(QStringLiteral("Device behind COM%1").arg(port));
    m_devicesEnd = m_menu->addSeparator();
    fillDevices();

    QAction *simulated = m_menu->addAction(QStringLiteral("Simulated projectors"));
    simulated->setData(QLatin1String(kSimulated));
    simulated->setCheckable(true);
    simulated->setChecked(m_devices.device(port) == QLatin1String(kSimulated));
    connect(simulated, &QAction::triggered, this, [this] { choose(QLatin1String(kSimulated)); });
    m_menu->addSeparator();

    auto *server = new QWidget(m_menu);
    auto *layout = new QVBoxLayout(server);
    layout->setContentsMargins(8, 4, 8, 4);
    auto *title = new QLabel(QStringLiteral("Serial device server:"), server);
    m_address = new QLineEdit(server);
    m_address->setObjectName(QStringLiteral("ServerAddress"));
    m_address->setPlaceholderText(QStringLiteral("rfc2217://HOST:PORT or tcp://HOST:PORT"));
    m_address->setMinimumWidth(
        m_address->fontMetrics().horizontalAdvance(m_address->placeholderText()) + 16);
    m_address->setAccessibleName(title->text());
    title->setBuddy(m_address);
    if (isNetworkDevice(m_devices.device(port)))
        m_address->setText(m_devices.device(port));
    m_addressError = new QLabel(server);
    m_addressError->setWordWrap(true);
    m_addressError->hide();
    layout->addWidget(title);
    layout->addWidget(m_address);
    layout->addWidget(m_addressError);
    connect(m_address, &QLineEdit::returnPressed, this, &DeviceChooser::chooseAddress);
    auto *serverAction = new QWidgetAction(m_menu);
    serverAction->setDefaultWidget(server);
    m_menu->addAction(serverAction);

    connect(m_menu, &QMenu::aboutToHide, &m_poll, &QTimer::stop);
    m_poll.start();
    m_menu->popup(globalPos);
}

void DeviceChooser::fillDevices()
{
    for (QAction *action : std::as_const(m_deviceActions))
        delete action;
    m_deviceActions.clear();
    m_shown = serialDevices(m_byIdDir);

    const QString current = m_devices.device(m_port);
    auto add = [this, &current](const QString &text, const QString &device) {
        auto *action = new QAction(text, m_menu);
        action->setData(device);
        action->setToolTip(device);
        action->setCheckable(true);
        action->setChecked(device == current);
        connect(action, &QAction::triggered, this, [this, device] { choose(device); });
        m_menu->insertAction(m_devicesEnd, action);
        m_deviceActions << action;
        return action;
    };
    bool currentShown = current == QLatin1String(kSimulated) || isNetworkDevice(current);
    for (const SerialDevice &device : std::as_const(m_shown)) {
        add(device.label(), device.path);
        currentShown = currentShown || device.path == current;
    }
    if (!currentShown)
        add(describe(current, m_shown), current);
    if (m_shown.isEmpty()) {
        QAction *none = add(QStringLiteral("No serial device found"), QString());
        none->setEnabled(false);
        none->setCheckable(false);
    }
}

void DeviceChooser::refreshWhileOpen()
{
    if (!menu())
        return m_poll.stop();
    if (serialDevices(m_byIdDir) != m_shown)
        fillDevices();
}

void DeviceChooser::chooseAddress()
{
    const QString address = m_address->text().trimmed();
    const ParsedNetworkDevice parsed = parseNetworkDevice(address);
    if (!parsed.endpoint) {
        m_addressError->setText(parsed.error);
        m_addressError->show();
        return;
    }
    m_menu->close();
    choose(address);
}

void DeviceChooser::choose(const QString &device)
{
    m_devices.choose(m_port, device);
    // The port in use opens its new device at once; the other one when it is chosen.
    if (m_window.control<QRadioButton>(optionName(m_port))->isChecked())
        m_window.switchPort(qint16(m_port), qint16(3 - m_port));
}

QString DeviceChooser::describe(const QString &device, const QList<SerialDevice> &present) const
{
    if (device == QLatin1String(kSimulated))
        return QStringLiteral("simulated projectors");
    if (device.startsWith(QLatin1String("sim:")))
        return QStringLiteral("simulated projectors staged by %1").arg(device.mid(4));
    if (isNetworkDevice(device))
        return QStringLiteral("serial device server %1").arg(device);
    const QString target = QFileInfo(device).canonicalFilePath();
    for (const SerialDevice &one : present) {
        if (one.path == device || (!target.isEmpty() && one.location == target))
            return one.label();
    }
    if (isPseudoTerminal(device))
        return QStringLiteral("%1 (pseudo-terminal)").arg(device);
    return QStringLiteral("%1 (not present)").arg(device);
}

void DeviceChooser::describePorts()
{
    QStringList ports;
    const QList<SerialDevice> present = serialDevices(m_byIdDir);
    for (int port : {1, 2}) {
        QString text
            = QStringLiteral("COM%1: %2").arg(port).arg(describe(m_devices.device(port), present));
        if (const QString holder = m_devices.holder(port); !holder.isEmpty())
            text += QStringLiteral(", held by %1 and joined as its client").arg(holder);
        auto *option = m_window.control<QRadioButton>(optionName(port));
        option->setToolTip(text + QStringLiteral("\nRight-click to choose the device."));
        option->setAccessibleDescription(text);
        ports << text;
    }
    m_window.setAccessibleDescription(ports.join(QStringLiteral("; ")));
}
