// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

class QWidget;

// Builds every control of the design on `form` at its place, with its caption,
// colours and font, in the order of the design's table. The full band (the
// input grid, the manual entry and FAN SPEED, last in the table) lies below
// every view but the two largest: it is built when the window first grows to
// show it, or when one of its controls is asked for, in the same order and
// stacking as if it had been built with the rest.
class LayoutBuilder : public QObject
{
public:
    using Built = std::function<void(const QHash<QString, QWidget *> &controls)>;

    LayoutBuilder(QWidget *form, qreal dpi);

    // The control by name, building the full band first when it is there.
    QWidget *control(const QString &name);
    // The controls built so far, by name.
    const QHash<QString, QWidget *> &built() const { return m_byName; }
    // Told the controls of the full band once they are built.
    void setFullBandBuilt(Built built) { m_fullBandBuilt = std::move(built); }
    void buildFullBand();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build(qsizetype from, qsizetype to);

    QWidget *m_form;
    qreal m_dpi;
    qsizetype m_deferredFrom; // index in the table of the first control not yet built
    int m_deferredTopPixels;
    QHash<QString, QWidget *> m_byName;
    Built m_fullBandBuilt;
};
