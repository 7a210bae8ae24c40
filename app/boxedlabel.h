// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPainter>

// A label in a single-line box drawn in WindowText, its text in Text: the box
// stays black whatever the colour of the text (the STATUS line is red).
class BoxedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit BoxedLabel(const QString &text, QWidget *parent = nullptr) : QLabel(text, parent)
    {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setForegroundRole(QPalette::Text);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QLabel::paintEvent(event);
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};
