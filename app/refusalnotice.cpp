// SPDX-License-Identifier: GPL-3.0-or-later
#include "refusalnotice.h"

#include <QMessageBox>
#include <QScreen>

RefusalNotice::RefusalNotice(QWidget *window) : QObject(window), m_window(window) {}

void RefusalNotice::tell(const QString &description)
{
    if (m_toldSinceAction)
        return;
    m_toldSinceAction = true;
    tellNow(description);
}

void RefusalNotice::tellNow(const QString &description)
{
    // Refusals that follow before the operator acts again are told by this.
    m_toldSinceAction = true;
    if (!m_box) {
        m_box = new QMessageBox(QMessageBox::Warning, m_window->windowTitle(), QString(),
                                QMessageBox::Ok, m_window);
        m_box->setObjectName(QStringLiteral("RefusalNotice"));
        m_box->setWindowModality(Qt::NonModal);
        m_box->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    m_box->setText(description);
    // The box takes its final size only once shown: placed before, so that it
    // never appears over the window, and again with that size.
    placeClearOfPortChoice();
    m_box->show();
    placeClearOfPortChoice();
    m_box->raise();
    emit told(description);
}

void RefusalNotice::withdraw()
{
    if (m_box)
        m_box->hide();
}

bool RefusalNotice::isShown() const
{
    return m_box && m_box->isVisible();
}

QString RefusalNotice::text() const
{
    return m_box ? m_box->text() : QString();
}

// Beside the window where the screen has room, or else along the window's top
// edge: never over the port panel and the COM button, through which the
// operator recovers while the notice is up.
void RefusalNotice::placeClearOfPortChoice()
{
    if (!m_box->isVisible())
        m_box->adjustSize();
    const QRect window = m_window->frameGeometry();
    const QRect inner = m_window->geometry();
    const QMargins frame(inner.left() - window.left(), inner.top() - window.top(),
                         window.right() - inner.right(), window.bottom() - inner.bottom());
    const QSize size = m_box->size().grownBy(frame);
    const QRect screen = m_window->screen() ? m_window->screen()->availableGeometry() : window;
    constexpr int gap = 8;
    const QPoint candidates[] = {
        {window.left(), window.bottom() + 1 + gap},
        {window.right() + 1 + gap, window.top()},
        {window.left() - gap - size.width(), window.top()},
        {window.left(), window.top() - gap - size.height()},
    };
    QPoint place = window.topLeft();
    for (const QPoint &candidate : candidates) {
        if (screen.contains(QRect(candidate, size))) {
            place = candidate;
            break;
        }
    }
    m_box->move(place);
}
