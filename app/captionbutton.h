#pragma once

#include <QPushButton>

// A command button drawn flat in its own colour with a raised bevel, its
// caption centred and wrapped onto more lines where it is too wide.
class CaptionButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};
