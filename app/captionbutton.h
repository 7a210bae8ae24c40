// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

// A command button drawn flat in its own colour with a raised bevel, its
// caption centred and wrapped onto more lines where it is too wide. Return
// and Enter click it when it has the focus, as Space does.
class CaptionButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
