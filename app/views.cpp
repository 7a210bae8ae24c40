// SPDX-License-Identifier: GPL-3.0-or-later
#include "views.h"

#include "mainwindow.h"

#include <QPushButton>
#include <QTimer>

static const QString kShowData = QStringLiteral("データを表示する");
static const QString kHideData = QStringLiteral("データを表示しない");
static const QString kClose = QStringLiteral("CLOSE");

Views::Views(MainWindow &window, QPushButton &command34, QTimer &timer3)
    : m_window(window), m_command34(command34), m_timer3(timer3)
{}

void Views::showViewButton(const QString &caption)
{
    m_command34.setText(caption);
    m_command34.setAccessibleName(caption);
    m_command34.show();
}

void Views::Form_KeyDown(int keyCode, int shift)
{
    if ((shift & 7) != 2 || keyCode != 72)
        return;
    m_window.setWindowHeightTwips(kExtended);
    m_extendedView = 1;
    showViewButton(kClose);
}

void Views::Image1_DblClick()
{
    if (m_extendedView != 1)
        return;
    m_window.setWindowHeightTwips(kFull);
    showViewButton(kClose);
}

void Views::Command34_Click()
{
    m_timer3.stop();
    m_extendedView = 0;
    if (m_window.windowHeightTwips() >= 6000) {
        m_window.setWindowHeightTwips(kNormal);
        showViewButton(kShowData);
    } else {
        m_window.setWindowHeightTwips(kData);
        showViewButton(kHideData);
    }
    m_timer3.start();
}
