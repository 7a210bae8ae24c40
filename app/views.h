// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

class MainWindow;
class QPushButton;
class QTimer;

// The four views of the window, told apart by its height: normal 5350, data
// 6645, extended 7200 and full 9100 twips.
class Views
{
public:
    static constexpr int kNormal = 5350;
    static constexpr int kData = 6645;
    static constexpr int kExtended = 7200;
    static constexpr int kFull = 9100;

    Views(MainWindow &window, QPushButton &command34, QTimer &timer3);

    // Ctrl+H: the extended view. `shift` holds 1 Shift, 2 Ctrl, 4 Alt.
    void Form_KeyDown(int keyCode, int shift);
    void Image1_DblClick();
    void Command34_Click();

    // 1 while the extended view opened by Ctrl+H is shown.
    qint16 extendedView() const { return m_extendedView; }

private:
    void showViewButton(const QString &caption);

    MainWindow &m_window;
    QPushButton &m_command34;
    QTimer &m_timer3;
    qint16 m_extendedView = 0;
};
