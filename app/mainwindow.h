// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/console.h"
#include "layoutbuilder.h"

#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>

class RefusalNotice;
class Views;

// The console's one window, Form1.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    using WarningBox = std::function<void(const QString &description)>;

    explicit MainWindow(MSComm::LineFactory lines, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Start-up: settings, address, placement, port 1 opened, "COM1" selected.
    void Form_Load();

    // The port switch to port n (m: the other port), as choosing its option runs it.
    void switchPort(qint16 n, qint16 m);

    // The modal warning of a failed port choice; tests record it instead.
    void setWarningBox(WarningBox box) { m_warningBox = std::move(box); }

    // Title bar and border that the views' heights allow for, in twips.
    static constexpr int kDesignFrameTwips = 435;

    // Whole-window height in twips, title bar and border included.
    int windowHeightTwips() const;
    void setWindowHeightTwips(int twips);

    Console &console() { return m_console; }
    RefusalNotice &notice() { return *m_notice; }
    // Hides the port panel.
    QTimer &timer3() { return m_timer3; }
    qint16 extendedView() const;

    template<typename T = QWidget>
    T *control(const QString &name) const
    {
        return qobject_cast<T *>(m_layout->control(name));
    }

signals:
    // END was pressed: the port is closed and the window unloaded.
    void ended();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void showTrafficLines();
    // Wires the controls among `built` to the console.
    void wireControls(const QHash<QString, QWidget *> &built);
    void placeAtStartUp();
    qreal dpi() const;

    void chooseSpeed(const QString &settings);
    void Command33_Click();
    void Timer3_Timer();
    void Command16_Click();
    void Command96_Click();

    Console m_console;
    QTimer m_timer3;
    LayoutBuilder *m_layout;
    QHash<const QObject *, const commands::Hold *> m_holdButtons;
    std::unique_ptr<Views> m_views;
    RefusalNotice *m_notice;
    QWidget *m_image1 = nullptr; // the logo, whose double-click opens the full view
    WarningBox m_warningBox;
    int m_heightTwips = 0; // as last set
    bool m_optionWasSelected = false;
};
