// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/serialdevices.h"

#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class MainWindow;
class PortDevices;
class QAction;

class QMenu;

// Chooses the device behind COM1 and COM2 from a menu on the port options
// of the port panel (right-click, or the menu key): every serial device
// present, the simulated projectors, or a serial device server's address.
// The port in use is reopened on the new device. The options' tool tips and
// the window's accessible description tell which device each port is.
class DeviceChooser : public QObject
{
    Q_OBJECT

public:
    DeviceChooser(MainWindow &window, PortDevices &devices,
                  QString byIdDir = QLatin1String(kSerialByIdDir));
    ~DeviceChooser() override;

    // Opens the menu for `port` at `globalPos`.
    void popup(int port, const QPoint &globalPos);
    // The menu while it is open.
    QMenu *menu() const;
    // The address box of the open menu.
    QLineEdit *addressBox() const { return m_address; }

    // How a device is named to the user.
    QString describe(const QString &device) const
    {
        return describe(device, serialDevices(m_byIdDir));
    }
    // The same among the devices `present`.
    QString describe(const QString &device, const QList<SerialDevice> &present) const;

private:
    void fillDevices();
    void refreshWhileOpen();
    void choose(const QString &device);
    void chooseAddress();
    void describePorts();

    MainWindow &m_window;
    PortDevices &m_devices;
    QString m_byIdDir;
    QPointer<QMenu> m_menu;
    QAction *m_devicesEnd = nullptr; // device entries go in front of it
    QList<QAction *> m_deviceActions;
    QList<SerialDevice> m_shown;
    QPointer<QLineEdit> m_address;
    QPointer<QLabel> m_addressError;
    QTimer m_poll;
    int m_port = 1;
};
