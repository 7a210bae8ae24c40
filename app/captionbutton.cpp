// SPDX-License-Identifier: GPL-3.0-or-later
#include "captionbutton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

void CaptionButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QBrush face = palette().brush(QPalette::Button);
    qDrawWinButton(&painter, rect(), palette(), isDown(), &face);

    QRect textArea = rect().adjusted(2, 2, -2, -2);
    if (isDown())
        textArea.translate(1, 1);
    style()->drawItemText(&painter, textArea, Qt::AlignCenter | Qt::TextWordWrap, palette(),
                          isEnabled(), text(), QPalette::ButtonText);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

void CaptionButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier)) {
        QPushButton::keyPressEvent(event);
        return;
    }
    // One click per press: a held key does not repeat the command.
    if (!event->isAutoRepeat())
        click();
    event->accept();
}
