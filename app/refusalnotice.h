// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>

class QMessageBox;
class QWidget;

// Tells the operator that the line refused a command, without stopping the
// window: one non-modal box, shown at most once per operator action, so the
// ticks of a held button never raise a stream of messages. It stands clear of
// the port panel and the COM button, so the port can be chosen while it is up.
class RefusalNotice : public QObject
{
    Q_OBJECT

public:
    explicit RefusalNotice(QWidget *window);

    // A mouse press or key press in the window: the next refusal is told.
    void operatorActed() { m_toldSinceAction = false; }
    void tell(const QString &description);
    // Told regardless of operator actions (the line went away by itself).
    void tellNow(const QString &description);

    // A command went out: what the notice said no longer holds.
    void withdraw();

    bool isShown() const;
    QString text() const;

signals:
    void told(const QString &description);

private:
    void placeClearOfPortChoice();

    QWidget *m_window;
    QPointer<QMessageBox> m_box;
    bool m_toldSinceAction = false;
};
