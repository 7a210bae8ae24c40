#pragma once

#include <QHash>
#include <QString>

class QWidget;

// Builds every control of the design on `form` at its place, with its caption,
// colours and font. Returns the controls by name.
QHash<QString, QWidget *> buildLayout(QWidget *form, qreal dpi);
