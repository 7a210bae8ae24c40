// SPDX-License-Identifier: GPL-3.0-or-later
#include "layoutbuilder.h"

#include "boxedlabel.h"
#include "captionbutton.h"
#include "layoutdesign.h"
#include "logo.h"
#include "twips.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <QEvent>
#include <QSet>

#include <limits>
#include <span>

namespace {

QFont fontFor(const layout::Font &design)
{
    QFont font;
    // The design's faces are the Japanese Gothic pair; the IPA faces share
    // their metrics, Noto CJK carries the same captions where IPA is missing.
    if (design.face == layout::Face::PGothic)
        font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                          QStringLiteral("MS PGothic")});
    else
        font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                          QStringLiteral("MS Gothic")});
    font.setPointSizeF(design.points);
    font.setBold(design.bold);
    return font;
}

Qt::Alignment alignmentFor(layout::Align align)
{
    switch (align) {
    case layout::Align::Center:
        return Qt::AlignHCenter | Qt::AlignTop;
    case layout::Align::Right:
        return Qt::AlignRight | Qt::AlignTop;
    default:
        return Qt::AlignLeft | Qt::AlignTop;
    }
}

QWidget *makeControl(const layout::Control &c, QWidget *parent)
{
    const QString caption = QString::fromUtf8(c.caption);
    switch (c.kind) {
    case layout::Kind::Frame: {
        // Frames are opaque: the port panel hides the COM button behind it.
        auto *frame = new QGroupBox(parent);
        frame->setAutoFillBackground(true);
        return frame;
    }
    case layout::Kind::Label: {
        auto *label = c.border ? new BoxedLabel(caption, parent) : new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(alignmentFor(c.align));
        label->setAutoFillBackground(true);
        return label;
    }
    case layout::Kind::Button: {
        auto *button = new CaptionButton(caption, parent);
        button->setAccessibleName(caption);
        button->setAutoDefault(false);
        return button;
    }
    case layout::Kind::Option: {
        auto *option = new QRadioButton(caption, parent);
        option->setAccessibleName(caption);
        option->setChecked(c.selected);
        option->setAutoFillBackground(true);
        option->setBackgroundRole(QPalette::Window);
        return option;
    }
    case layout::Kind::TextBox: {
        auto *box = new QLineEdit(parent);
        box->setMaxLength(std::numeric_limits<int>::max()); // no limit of its own
        return box;
    }
    case layout::Kind::Image: {
        auto *image = new QLabel(parent);
        image->setPixmap(layout::logoPicture());
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return image;
    }
    }
    return nullptr;
}

void applyColours(QWidget *w, const layout::Control &c)
{
    QPalette palette = w->palette();
    if (c.background) {
        const QColor back = QColor::fromRgb(*c.background);
        palette.setColor(QPalette::Button, back);
        palette.setColor(QPalette::Window, back);
        palette.setColor(QPalette::Base, back);
    }
    if (c.foreground) {
        const QColor fore = QColor::fromRgb(*c.foreground);
        palette.setColor(QPalette::WindowText, fore);
        palette.setColor(QPalette::ButtonText, fore);
        palette.setColor(QPalette::Text, fore);
    }
    if (c.border)
        palette.setColor(QPalette::WindowText, Qt::black);
    w->setPalette(palette);
}

void addPadOutline(QWidget *form, qreal dpi, QHash<QString, QWidget *> &byName)
{
    const auto corners = layout::padOutline();
    const int pen = layout::kPadOutlinePixels;
    for (size_t i = 0; i < corners.size(); ++i) {
        const layout::Point a = corners[i];
        const layout::Point b = corners[(i + 1) % corners.size()];
        const int x1 = twipsToPixels(std::min(a.x, b.x), dpi);
        const int y1 = twipsToPixels(std::min(a.y, b.y), dpi);
        const int x2 = twipsToPixels(std::max(a.x, b.x), dpi);
        const int y2 = twipsToPixels(std::max(a.y, b.y), dpi);
        auto *line = new QWidget(form);
        line->setObjectName(QStringLiteral("Line%1").arg(i + 1));
        line->setGeometry(x1, y1, std::max(x2 - x1, pen), std::max(y2 - y1, pen));
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, QColor::fromRgb(layout::kPadOutlineColour));
        line->setPalette(palette);
        byName.insert(line->objectName(), line);
    }
}

// Option buttons form one group per container. The group is explicit: an
// automatic one would also take in the options of a frame nested inside.
void joinOptionGroup(QRadioButton *option, QWidget *container)
{
    auto *group = container->findChild<QButtonGroup *>(QString(), Qt::FindDirectChildrenOnly);
    if (!group)
        group = new QButtonGroup(container);
    group->addButton(option);
}

// The full band starts at the grid's top edge; its controls end the table.
constexpr int kFullBandTop = 6735;

bool inFullBand(const layout::Control &c, const QSet<QString> &fullBandFrames)
{
    return QLatin1String(c.container) == u"Form1"
               ? c.top >= kFullBandTop
               : fullBandFrames.contains(QLatin1String(c.container));
}

// Index of the first control of the trailing run that lies in the full band.
qsizetype fullBandStart(std::span<const layout::Control> controls)
{
    QSet<QString> frames;
    const qsizetype count = qsizetype(controls.size());
    qsizetype start = count;
    for (qsizetype i = 0; i < count; ++i) {
        if (!inFullBand(controls[i], frames)) {
            start = count;
            continue;
        }
        if (controls[i].kind == layout::Kind::Frame)
            frames.insert(QLatin1String(controls[i].name));
        start = std::min(start, i);
    }
    return start;
}

} // namespace

LayoutBuilder::LayoutBuilder(QWidget *form, qreal dpi)
    : QObject(form), m_form(form), m_dpi(dpi), m_deferredFrom(fullBandStart(layout::controls())),
      m_deferredTopPixels(twipsToPixels(kFullBandTop, dpi))
{
    m_byName.insert(QStringLiteral("Form1"), form);
    form->setFont(fontFor(layout::kWindowFont));
    addPadOutline(form, dpi, m_byName);
    build(0, m_deferredFrom);
    if (m_deferredFrom < qsizetype(layout::controls().size()))
        form->installEventFilter(this);
}

void LayoutBuilder::build(qsizetype from, qsizetype to)
{
    const auto controls = layout::controls();
    for (qsizetype i = from; i < to; ++i) {
        const layout::Control &c = controls[i];
        QWidget *parent = m_byName.value(QString::fromLatin1(c.container));
        if (!parent)
            qFatal("layout: %s comes before its container %s", c.name, c.container);
        QWidget *w = makeControl(c, parent);
        w->setObjectName(QString::fromLatin1(c.name));
        w->setGeometry(twipsToPixels(c.left, m_dpi), twipsToPixels(c.top, m_dpi),
                       twipsToPixels(c.width, m_dpi), twipsToPixels(c.height, m_dpi));
        // Controls without a font of their own take the window's, not their frame's.
        w->setFont(fontFor(c.font.value_or(layout::kWindowFont)));
        applyColours(w, c);
        w->setVisible(!c.hidden);
        m_byName.insert(w->objectName(), w);
        if (c.kind == layout::Kind::Option)
            joinOptionGroup(static_cast<QRadioButton *>(w), parent);
    }
    // The port panel lies in front of the COM button that it covers, and of
    // everything built after it.
    if (QWidget *panel = m_byName.value(QStringLiteral("Frame8")))
        panel->raise();
}

void LayoutBuilder::buildFullBand()
{
    const auto end = qsizetype(layout::controls().size());
    if (m_deferredFrom == end)
        return;
    m_form->removeEventFilter(this);
    const qsizetype from = std::exchange(m_deferredFrom, end);
    build(from, end);
    if (m_fullBandBuilt) {
        QHash<QString, QWidget *> controls;
        for (qsizetype i = from; i < end; ++i) {
            const QString name = QString::fromLatin1(layout::controls()[i].name);
            controls.insert(name, m_byName.value(name));
        }
        m_fullBandBuilt(controls);
    }
}

QWidget *LayoutBuilder::control(const QString &name)
{
    if (QWidget *w = m_byName.value(name))
        return w;
    const auto controls = layout::controls();
    for (qsizetype i = m_deferredFrom; i < qsizetype(controls.size()); ++i) {
        if (QLatin1String(controls[i].name) == name) {
            buildFullBand();
            return m_byName.value(name);
        }
    }
    return nullptr;
}

// The window grows at its bottom edge; the band is built before the frame
// that would show its top.
bool LayoutBuilder::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == m_form && (type == QEvent::Resize || type == QEvent::Show) && m_form->isVisible()
        && m_form->height() > m_deferredTopPixels)
        buildFullBand();
    return false;
}
