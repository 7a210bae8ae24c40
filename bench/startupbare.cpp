// SPDX-License-Identifier: GPL-3.0-or-later
#include "firstframe.h"

#include <QScreen>

// The floor for bench-startup: a Qt Widgets window of the console's size at
// start-up with nothing in it. Linked against Qt Widgets alone.
int main(int argc, char *argv[])
{
    double marks[Marks] = {monotonicMs()};
    QApplication app(argc, argv);
    marks[QtStarted] = marks[Fonts] = monotonicMs();
    QWidget window;
    // 9495 twips by 5350 less the 435 of title bar and border, as the console.
    const qreal dpi = window.screen() ? window.screen()->logicalDotsPerInchY() : 96.0;
    window.setFixedSize(qRound(9495 * dpi / 1440.0), qRound((5350 - 435) * dpi / 1440.0));
    marks[Layout] = marks[Serial] = monotonicMs();
    return showAndReport(window, marks);
}
