#include "refusalnotice.h"

#include <QMessageBox>

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
    m_box->show();
    m_box->raise();
    emit told(description);
}

bool RefusalNotice::isShown() const
{
    return m_box && m_box->isVisible();
}

QString RefusalNotice::text() const
{
    return m_box ? m_box->text() : QString();
}
