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

#include <limits>

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

} // namespace

QHash<QString, QWidget *> buildLayout(QWidget *form, qreal dpi)
{
    QHash<QString, QWidget *> byName;
    byName.insert(QStringLiteral("Form1"), form);
    form->setFont(fontFor(layout::kWindowFont));
    addPadOutline(form, dpi, byName);

    for (const layout::Control &c : layout::controls()) {
        QWidget *parent = byName.value(QString::fromLatin1(c.container));
        if (!parent)
            qFatal("layout: %s comes before its container %s", c.name, c.container);
        QWidget *w = makeControl(c, parent);
        w->setObjectName(QString::fromLatin1(c.name));
        w->setGeometry(twipsToPixels(c.left, dpi), twipsToPixels(c.top, dpi),
                       twipsToPixels(c.width, dpi), twipsToPixels(c.height, dpi));
        // Controls without a font of their own take the window's, not their frame's.
        w->setFont(fontFor(c.font.value_or(layout::kWindowFont)));
        applyColours(w, c);
        w->setVisible(!c.hidden);
        byName.insert(w->objectName(), w);
        if (c.kind == layout::Kind::Option)
            joinOptionGroup(static_cast<QRadioButton *>(w), parent);
    }
    // The port panel lies in front of the COM button that it covers.
    if (QWidget *panel = byName.value(QStringLiteral("Frame8")))
        panel->raise();
    return byName;
}
