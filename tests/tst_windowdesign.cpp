// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/consolewindow.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QPolygon>
#include <QRegularExpression>
#include <QScreen>

// A face of the design: Gothic, fixed-pitch, or its proportional variant PGothic.
struct DesignFont
{
    bool proportional;
    double points;
    bool bold;
};

// Rows of the design's tables; a colour of 0 stands for none of its own.
struct ButtonRow
{
    const char *name, *caption;
    QRgb colour;
    DesignFont font;
};

struct LabelRow
{
    const char *name, *caption;
    Qt::Alignment alignment;
    DesignFont font;
    QRgb text = 0;
    bool trafficLine = false; // white, in a single-line box
};

Q_DECLARE_METATYPE(DesignFont)
Q_DECLARE_METATYPE(ButtonRow)
Q_DECLARE_METATYPE(LabelRow)

namespace {

const QColor kGrey(0xC0, 0xC0, 0xC0);
const QColor kWhite(0xFF, 0xFF, 0xFF);

// The design's client area, in twips.
constexpr int kClientWidth = 9495;
constexpr int kClientHeight = 8730;

// G: Gothic, PG: PGothic, then the points, B for bold; kWin: the window's own.
constexpr DesignFont kWin{false, 9.0, true}, kG9{false, 9.0, false}, kG825{false, 8.25, false},
    kG825B{false, 8.25, true}, kG975{false, 9.75, false}, kG975B{false, 9.75, true},
    kPG75{true, 7.5, false}, kPG9{true, 9.0, false}, kPG9B{true, 9.0, true},
    kPG975B{true, 9.75, true};

// Every button but those of the input grid, and the option buttons.
const ButtonRow kButtons[] = {
    {"Command17", "ON", 0xC0FFC0, kPG9B},         {"Command18", "OFF", 0xFFC0C0, kPG9B},
    {"Command27", "1", 0xC0FFFF, kPG9B},          {"Command28", "2", 0xC0FFFF, kPG9B},
    {"Command29", "3", 0xC0FFFF, kPG9B},          {"Command53", "4", 0xC0FFFF, kPG9B},
    {"Command23", "ON", 0xC0FFC0, kPG9B},         {"Command24", "OFF", 0xFFC0C0, kPG9B},
    {"Command19", "ON", 0xC0FFC0, kPG9B},         {"Command20", "OFF", 0xFFC0C0, kPG9B},
    {"Command21", "ON", 0xC0FFC0, kPG9B},         {"Command22", "OFF", 0xFFC0C0, kPG9B},
    {"Command25", "ON", 0xC0FFC0, kPG9B},         {"Command26", "OFF", 0xFFC0C0, kPG9B},
    {"Command31", "Regular", 0xC0FFFF, kPG9},     {"Command32", "Wide", 0xC0FFFF, kPG9},
    {"Command59", "↑", 0xFFE0C0, kPG75},          {"Command60", "←", 0xFFE0C0, kPG75},
    {"Command61", "→", 0xFFE0C0, kPG75},          {"Command62", "↓", 0xFFE0C0, kPG75},
    {"Command95", "SEND", 0xC0FFC0, kWin},        {"Command96", "CLS", 0xFFC0C0, kWin},
    {"Command97", "MAX", 0xC0FFC0, kWin},         {"Command98", "NOR", 0xC0FFC0, kWin},
    {"Command5", "↑", 0xFFE0C0, kPG9B},           {"Command9", "←", 0xFFE0C0, kPG9B},
    {"Command6", "SELECT", 0xFF8000, kG9},        {"Command8", "→", 0xFFE0C0, kPG9B},
    {"Command7", "↓", 0xFFE0C0, kPG9B},           {"Command1", "+", 0xFFC080, kWin},
    {"Command2", "-", 0xFFC080, kWin},            {"Command15", "+", 0xC0FFFF, kG9},
    {"Command35", "-", 0xC0FFFF, kG9},            {"Command36", "+", 0xC0FFFF, kG9},
    {"Command37", "-", 0xC0FFFF, kG9},            {"Command48", "+", 0xC0FFFF, kPG9},
    {"Command49", "-", 0xC0FFFF, kG9},            {"Command50", "+", 0xC0FFFF, kG9},
    {"Command51", "-", 0xC0FFFF, kG9},            {"Command13", "A-IMAGE", 0x00C0C0, kG9},
    {"Command30", "IMAGE", 0xC0C0FF, kG9},        {"Command14", "P-TIMER", 0xC0C0FF, kG9},
    {"Command3", "DISPLAY CLEAR", 0xC0C0FF, kG9}, {"Command56", "4 LAMP", 0xFFFFC0, kG9},
    {"Command57", "1-4", 0xFFFFC0, kG9},          {"Command58", "2-3", 0xFFFFC0, kG9},
    {"Command4", "STAND", 0xC0FFFF, kG9},         {"Command10", "REAL", 0xC0FFFF, kG9},
    {"Command11", "CINEMA", 0xC0FFFF, kG9},       {"Command39", "IMAGE1", 0xC0FFFF, kG9},
    {"Command40", "IMAGE2", 0xC0FFFF, kG9},       {"Command41", "IMAGE3", 0xC0FFFF, kG9},
    {"Command42", "IMAGE4", 0xC0FFFF, kG9},       {"Command33", "COM", 0, kPG9},
    {"Command16", "END", 0xC0C0C0, kWin},         {"Command34", "データを表示する", 0xC0C0C0, kPG9},
    {"Command52", "P-FAIL", 0xFFE0C0, kWin},      {"Command44", "STATUS", 0xC0FFFF, kG825B},
    {"Command46", "L-TIME", 0xC0FFFF, kG825B},    {"Command54", "TEMP", 0xC0FFFF, kG825B},
    {"Command45", "MODE", 0xC0FFFF, kG825B},      {"Command47", "SETTING", 0xC0FFFF, kG825B},
    {"Command55", "L-MODE", 0xC0FFFF, kG825B},    {"Command38", "PC type", 0xC0FFFF, kG825B},
    {"Command12", "SETTING 2", 0xC0FFFF, kG825B}, {"Command99", "PRESSURE", 0xFFE0C0, kWin},
    {"Option1", "COM1", 0, kWin},                 {"Option2", "COM2", 0, kWin},
    {"Option9", "19200", 0, kWin},                {"Option10", "9600", 0, kWin},
    {"Option3", "SINGLE", 0, kG825},              {"Option4", "ALL", 0, kG825},
    {"Option5", "001", 0, kG825},                 {"Option6", "002", 0, kG825},
    {"Option7", "003", 0, kG825},                 {"Option8", "004", 0, kG825},
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft, kCentre = Qt::AlignHCenter,
                        kRight = Qt::AlignRight;
const LabelRow kLabels[] = {
    {"Label1", "POWER", kCentre, kWin, 0xC00000}, {"Label2", "INPUT MODE SET", kCentre, kWin},
    {"Label7", "MENU", kCentre, kWin},           {"Label4", "SOUND MUTE", kCentre, kWin},
    {"Label5", "NO SHOW", kCentre, kWin},        {"Label8", "FREEZE", kCentre, kWin},
    {"Label6", "AV Size", kCentre, kWin},        {"Label20", "LENS SHIFT", kCentre, kWin},
    {"Label3", "VOL", kCentre, kWin},            {"Label9", "TXD", kRight, kG9},
    {"Label10", "RXD", kRight, kG9},             {"Label11", "", kLeft, kPG975B, 0, true},
    {"Label12", "", kLeft, kPG975B, 0, true},    {"Label22", "", kLeft, kPG9B, 0xFF0000, true},
    {"Label23", "STATUS", kLeft, kG825},         {"Label21", "PJ Select", kLeft, kG825},
    {"Label15", "1", kLeft, kWin},               {"Label16", "2", kLeft, kWin},
    {"Label24", "3", kLeft, kWin},               {"Label25", "4", kLeft, kWin},
    {"Label26", "CMD", kLeft, kG975},            {"Label27", "FAN SPEED", kLeft, kWin},
    {"Label13", "Zoom", kLeft, kG9},             {"Label14", "Focus", kLeft, kG9},
    {"Label17", "D.Zoom", kLeft, kG9},           {"Label18", "Keystone", kLeft, kG9},
    {"Label19", "LAMP SELECT", kLeft, kG9},
};

// A sample of the geometry: left, top, width, height in the container.
const QPair<const char *, QRect> kGeometrySample[] = {
    {"Image1", {8160, 120, 1200, 390}},     {"Command3", {8400, 3600, 975, 492}},
    {"Command33", {4080, 4200, 1815, 375}}, {"Frame8", {3480, 3600, 2775, 1185}},
    {"Option10", {1440, 240, 975, 300}},    {"Frame9", {45, 4920, 6312, 1290}},
    {"Label22", {930, 900, 5295, 300}},     {"Command34", {6615, 5040, 1200, 375}},
    {"Frame11", {75, 6225, 6765, 465}},     {"Option3", {1155, 168, 1095, 225}},
    {"Command12", {8160, 6240, 1215, 252}}, {"Text1", {600, 165, 5055, 345}},
    {"Command62", {588, 1320, 492, 252}},   {"Command99", {8160, 7800, 1215, 255}},
    {"Command5", {1200, 2520, 855, 375}},   {"Command9", {240, 3000, 855, 375}},
    {"Command6", {1200, 3000, 855, 375}},   {"Command8", {2160, 3000, 855, 375}},
    {"Command7", {1200, 3480, 855, 375}},
};

const QPoint kPadCorners[] = {
    {1080, 2400}, {2160, 2400}, {2160, 2880}, {3120, 2880}, {3120, 3480}, {2160, 3480},
    {2160, 3960}, {1080, 3960}, {1080, 3480}, {120, 3480},  {120, 2880},  {1080, 2880},
};

int px(int twips, const QWidget &w)
{
    return qRound(twips * w.screen()->logicalDotsPerInchY() / 1440.0);
}

QRect px(const QRect &twips, const QWidget &w)
{
    return QRect(px(twips.x(), w), px(twips.y(), w), px(twips.width(), w),
                 px(twips.height(), w));
}

QStringList numbered(const char *prefix, int first, int last)
{
    QStringList names;
    for (int n = first; n <= last; ++n)
        names << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(n);
    return names;
}

struct Band
{
    const char *name;
    int top, bottom; // client-area rows of the top edges, in twips
    int next;        // where the band below starts
    QStringList controls; // window-level controls
};

const QList<Band> &bands()
{
    static const QList<Band> all = {
        {"main", 120, 4560, 4920,
         QStringList{"Frame1",    "Frame2",    "Frame6",    "Frame3",    "Frame4",    "Frame7",
                     "Frame5",    "Frame10",   "Frame8",    "Image1",    "Command5",  "Command9",
                     "Command6",  "Command8",  "Command7",  "Label3",    "Command1",  "Command2",
                     "Label13",   "Command15", "Command35", "Label14",   "Command36", "Command37",
                     "Label17",   "Command48", "Command49", "Label18",   "Command50", "Command51",
                     "Command13", "Command30", "Command14", "Command3",  "Label19",   "Command56",
                     "Command57", "Command58", "Command4",  "Command10", "Command11", "Command39",
                     "Command40", "Command41", "Command42", "Command33", "Command16"}
             + numbered("Line", 1, 12)},
        {"data", 4920, 5880, 6225,
         {"Frame9", "Command34", "Command52", "Command44", "Command46", "Command54", "Command45",
          "Command47", "Command55"}},
        {"extended", 6225, 6240, 6735, {"Frame11", "Command38", "Command12"}},
        {"full", 6735, 8055, kClientHeight, {"Frame14", "Frame16", "Command99", "Frame15"}},
    };
    return all;
}

// The children of each frame, in the design's order.
const QList<QPair<QString, QStringList>> &frameChildren()
{
    static const QList<QPair<QString, QStringList>> all = {
        {"Frame1", {"Label1", "Command17", "Command18"}},
        {"Frame2", {"Label2", "Command27", "Command28", "Command29", "Command53"}},
        {"Frame6", {"Label7", "Command23", "Command24"}},
        {"Frame3", {"Label4", "Command19", "Command20"}},
        {"Frame4", {"Label5", "Command21", "Command22"}},
        {"Frame7", {"Label8", "Command25", "Command26"}},
        {"Frame5", {"Label6", "Command31", "Command32"}},
        {"Frame10", {"Label20", "Command59", "Command60", "Command61", "Command62"}},
        {"Frame8", {"Option1", "Option2", "Frame13"}},
        {"Frame13", {"Option9", "Option10"}},
        {"Frame9", {"Label9", "Label11", "Label10", "Label12", "Label23", "Label22"}},
        {"Frame11", QStringList{"Label21"} + numbered("Option", 3, 8)},
        {"Frame14", QStringList{"Label15", "Label16", "Label24", "Label25"}
                        + numbered("Command", 63, 94)},
        {"Frame15", {"Label26", "Text1", "Command95", "Command96"}},
        {"Frame16", {"Label27", "Command97", "Command98"}},
    };
    return all;
}

// Every named control with its container, window-level ones first.
QList<QPair<QString, QString>> allControls()
{
    QList<QPair<QString, QString>> all;
    for (const Band &band : bands())
        for (const QString &name : band.controls)
            all.append({name, QStringLiteral("Form1")});
    for (const auto &[frame, children] : frameChildren())
        for (const QString &name : children)
            all.append({name, frame});
    return all;
}

// All the controls of a band, frame children included.
QStringList bandMembers(const Band &band)
{
    QStringList members;
    QStringList pending = band.controls;
    while (!pending.isEmpty()) {
        const QString name = pending.takeFirst();
        members << name;
        for (const auto &[frame, children] : frameChildren())
            if (frame == name)
                pending << children;
    }
    return members;
}

QWidget *windowLevel(QWidget *control)
{
    QWidget *w = control;
    while (w->parentWidget() && w->parentWidget() != control->window())
        w = w->parentWidget();
    return w;
}

QRect inWindow(QWidget *control)
{
    return QRect(control->mapTo(control->window(), QPoint(0, 0)), control->size());
}

QString describe(const QRect &r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Buttons may share their one-pixel borders (15 twips) and no more.
bool overlapBeyondSharedEdge(const QRect &a, const QRect &b, const QWidget &w)
{
    const QRect both = a.intersected(b);
    return both.width() > px(15, w) && both.height() > px(15, w);
}

// Empty when the control's font is as designed. Both faces are Japanese;
// Gothic gives every Latin letter the same width, PGothic does not.
QString fontFault(const QWidget &control, const DesignFont &design)
{
    const QFont font = control.font();
    const QString family = QFontInfo(font).family();
    const QFontMetrics metrics(font);
    const bool oneWidth = metrics.horizontalAdvance(QLatin1Char('i'))
        == metrics.horizontalAdvance(QLatin1Char('W'));
    if (font.pointSizeF() == design.points && font.bold() == design.bold
        && oneWidth != design.proportional
        && QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese))
        return {};
    return QStringLiteral("%1: %2 %3 pt%4").arg(control.objectName(), family)
        .arg(font.pointSizeF()).arg(font.bold() ? " bold" : "");
}

template<typename Row, size_t n>
void addRows(const Row (&rows)[n])
{
    QTest::addColumn<Row>("design");
    for (const Row &row : rows)
        QTest::newRow(row.name) << row;
}

QStringList namesWhere(MainWindow &w, const std::function<bool(QWidget *)> &test)
{
    QStringList names;
    for (const auto &entry : allControls())
        if (QWidget *control = w.control(entry.first); control && test(control))
            names << entry.first;
    names.sort();
    return names;
}

} // namespace

// The built window held against its design: names, containers, geometry,
// bands, captions, colours, fonts, the cursor-pad outline, the logo and the
// port panel.
class WindowDesignTest : public QObject
{
    Q_OBJECT

    ConsoleWindow m_console;
    MainWindow *m_window = nullptr;

private slots:
    void initTestCase() { m_window = &m_console.start(); }
    void cleanupTestCase() { m_console.window.reset(); }

    void theWindow()
    {
        MainWindow &w = *m_window;
        QCOMPARE(w.objectName(), QStringLiteral("Form1"));
        QCOMPARE(w.windowTitle(), QStringLiteral("TAVO   LMX5 & MX5    CONTROL   Ver.1.41a"));
        QCOMPARE(w.palette().color(QPalette::Window), kGrey);
        QCOMPARE(w.width(), px(kClientWidth, w));
        QVERIFY(w.autoFillBackground());
        const QImage face = w.grab(QRect(2, 2, 4, 4)).toImage();
        QCOMPARE(QColor(face.pixel(1, 1)), kGrey);
        // The window's font, and those of the controls that the tables below leave out.
        const QList<QPair<QString, DesignFont>> fonts = {
            {"Form1", kWin}, {"Frame10", kPG75}, {"Frame11", kPG75}, {"Text1", kG975B}};
        for (const auto &[name, font] : fonts)
            QCOMPARE(fontFault(*m_console.control(name), font), QString());
    }

    void everyDesignNameOnce()
    {
        // Command43 and Frame12 are not used; nothing else carries a control name.
        QStringList design = numbered("Frame", 1, 16) + numbered("Label", 1, 27)
            + numbered("Command", 1, 99) + numbered("Option", 1, 10) + numbered("Line", 1, 12)
            + QStringList{"Text1", "Image1"};
        design.removeOne(QStringLiteral("Command43"));
        design.removeOne(QStringLiteral("Frame12"));
        design.sort();

        static const QRegularExpression controlName(
            QStringLiteral("^(Command|Label|Frame|Option|Line|Text|Image)\\d+$"));
        QStringList found;
        for (QWidget *w : m_window->findChildren<QWidget *>())
            if (controlName.match(w->objectName()).hasMatch())
                found << w->objectName();
        found.sort();
        QCOMPARE(found, design);
        // The containers and bands of this test place every name exactly once.
        QCOMPARE(namesWhere(*m_window, [](QWidget *) { return true; }), design);
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        for (const auto &[name, container] : allControls())
            QTest::newRow(qPrintable(name)) << name << container;
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);

        auto *control = m_window->findChild<QWidget *>(name);
        QVERIFY2(control, "no such control");
        QVERIFY(control->parentWidget());
        QCOMPARE(control->parentWidget()->objectName(), container);
        QCOMPARE(m_window->control(name), control);

        // The kind of control follows its name.
        const QList<QPair<QString, const char *>> kinds = {
            {"Frame", "QGroupBox"},     {"Label", "QLabel"},   {"Command", "QPushButton"},
            {"Option", "QRadioButton"}, {"Text", "QLineEdit"}, {"Image", "QLabel"},
        };
        for (const auto &[prefix, className] : kinds)
            if (name.startsWith(prefix))
                QVERIFY2(control->inherits(className), control->metaObject()->className());

        // Wholly inside its frame, or inside the design's client area.
        const QWidget &w = *m_window;
        const QRect inside = container == QLatin1String("Form1")
            ? QRect(0, 0, px(kClientWidth, w), px(kClientHeight, w))
            : control->parentWidget()->rect();
        const QRect r = control->geometry();
        QVERIFY2(!r.isEmpty() && inside.contains(r),
                 qPrintable(describe(r) + QStringLiteral(" in ") + describe(inside)));
        for (const auto &[sampled, twips] : kGeometrySample)
            if (name == QLatin1String(sampled))
                QCOMPARE(r, px(twips, w));
    }

    void buttonsDoNotOverlap()
    {
        // Beside the other buttons of its container; on the window, clear of
        // every frame but the port panel, which covers COM by design.
        QStringList faults;
        const auto all = allControls();
        for (const auto &[name, container] : all) {
            QWidget *a = m_window->control<QPushButton>(name);
            for (const auto &[other, otherContainer] : all) {
                QWidget *b = m_window->control(other);
                const bool button = qobject_cast<QPushButton *>(b) && container == otherContainer;
                const bool frame = qobject_cast<QGroupBox *>(b) && container == "Form1"
                    && otherContainer == "Form1";
                if (!a || a == b || !(button || frame))
                    continue;
                const bool covered = overlapBeyondSharedEdge(a->geometry(), b->geometry(), *b);
                if (covered != (name == "Command33" && other == "Frame8"))
                    faults << QStringLiteral("%1%2 %3 %4%5")
                                  .arg(name, describe(a->geometry()),
                                       covered ? "overlaps" : "is clear of", other,
                                       describe(b->geometry()));
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
    }

    void buttonsAndOptions_data() { addRows(kButtons); }

    void buttonsAndOptions()
    {
        QFETCH(ButtonRow, design);

        auto *button = m_console.control<QAbstractButton>(QString::fromLatin1(design.name));
        const QString caption = QString::fromUtf8(design.caption);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->accessibleName(), caption);
        QCOMPARE(fontFault(*button, design.font), QString());
        // Without a colour of its own a button has the platform's face, an
        // option button the window's grey; none has a text colour of its own.
        const QPalette platform = QApplication::palette(button);
        QCOMPARE(button->palette().color(QPalette::ButtonText),
                 platform.color(QPalette::ButtonText));
        if (auto *option = qobject_cast<QRadioButton *>(button)) {
            QCOMPARE(option->palette().color(option->backgroundRole()), kGrey);
            return;
        }
        QCOMPARE(button->palette().color(QPalette::Button),
                 design.colour ? QColor::fromRgb(design.colour) : platform.color(QPalette::Button));
        QVERIFY(!qobject_cast<QPushButton *>(button)->isFlat());
    }

    void labels_data() { addRows(kLabels); }

    void labels()
    {
        QFETCH(LabelRow, design);

        auto *label = m_console.control<QLabel>(QString::fromLatin1(design.name));
        QCOMPARE(label->text(), QString::fromLatin1(design.caption));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, design.alignment);
        QCOMPARE(fontFault(*label, design.font), QString());
        // Every label paints its own background.
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->palette().color(label->backgroundRole()),
                 design.trafficLine ? kWhite : kGrey);
        const QPalette::ColorRole text = label->foregroundRole();
        QCOMPARE(label->palette().color(text), design.text
                     ? QColor::fromRgb(design.text)
                     : QApplication::palette(label).color(text));

        QCOMPARE(label->frameShape(), design.trafficLine ? QFrame::Box : QFrame::NoFrame);
        if (!design.trafficLine)
            return;
        QCOMPARE(label->frameShadow(), QFrame::Plain);
        QCOMPARE(label->lineWidth(), 1);
        // Painted white inside a black box, whatever the colour of the text.
        const QImage painted = label->grab().toImage();
        QCOMPARE(QColor(painted.pixel(painted.width() / 2, painted.height() / 2)), kWhite);
        QCOMPARE(QColor(painted.pixel(2, 2)), kWhite);
        QCOMPARE(QColor(painted.pixel(0, painted.height() / 2)), QColor(Qt::black));
    }

    void inputGrid_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("label");
        const char *labels[] = {"Label15", "Label16", "Label24", "Label25"};
        for (int row = 1; row <= 4; ++row)
            QTest::addRow("row %d", row) << row << QString::fromLatin1(labels[row - 1]);
    }

    void inputGrid()
    {
        QFETCH(int, row);
        QFETCH(QString, label);

        // Each row: its label, then the same eight columns, named in reading order.
        const struct
        {
            const char *caption;
            int left, width;
        } columns[] = {
            {"DVI", 360, 735},     {"RGB", 1080, 735}, {"VIDEO", 1800, 975}, {"YPbPr", 2760, 975},
            {"YCbCr", 3720, 975},  {"S-VIDEO", 4680, 975}, {"YC", 5640, 735}, {"SDI", 6360, 735},
        };
        const QWidget &w = *m_window;
        const int top = 240 * row;
        QCOMPARE(m_console.control(label)->geometry(), px(QRect(120, top, 255, 255), w));
        for (int column = 0; column < 8; ++column) {
            const QString name = QStringLiteral("Command%1").arg(63 + 8 * (row - 1) + column);
            auto *button = m_console.control<QPushButton>(name);
            const QRect twips(columns[column].left, top, columns[column].width, 255);
            QVERIFY2(button->geometry() == px(twips, w),
                     qPrintable(name + describe(button->geometry())));
            QCOMPARE(button->text(), QString::fromLatin1(columns[column].caption));
            QCOMPARE(button->accessibleName(), button->text());
            QCOMPARE(button->palette().color(QPalette::Button), QColor(0xC0, 0xFF, 0xFF));
            QCOMPARE(fontFault(*button, kG9), QString());
        }
    }

    void controlsLieInTheirBands_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("next");
        for (const Band &band : bands())
            for (const QString &name : bandMembers(band))
                QTest::addRow("%s in %s", qPrintable(name), band.name)
                    << name << band.top << band.bottom << band.next;
    }

    void controlsLieInTheirBands()
    {
        QFETCH(QString, name);
        QFETCH(int, top);
        QFETCH(int, bottom);
        QFETCH(int, next);

        // The band is counted on the top edge of the window-level control: the
        // frame for the controls inside one. These too start above the next band.
        const QWidget &w = *m_window;
        QWidget *control = m_console.control(name);
        const int y = windowLevel(control)->geometry().top();
        const int own = inWindow(control).top();
        QVERIFY2(y >= px(top, w) && y <= px(bottom, w) && own < px(next, w),
                 qPrintable(QStringLiteral("top at %1 px, own top %2 px; band %3..%4, next %5")
                                .arg(y).arg(own).arg(px(top, w)).arg(px(bottom, w))
                                .arg(px(next, w))));
    }

    void viewsShowExactlyTheirBands_data()
    {
        QTest::addColumn<int>("bandsSeen");
        for (int b = 1; b <= bands().size(); ++b)
            QTest::newRow(bands().at(b - 1).name) << b;
    }

    void viewsShowExactlyTheirBands()
    {
        QFETCH(int, bandsSeen);

        ConsoleWindow c;
        MainWindow &w = c.start();
        if (bandsSeen == 2 || bandsSeen == 3)
            QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
        if (bandsSeen == 2) {
            c.click(QStringLiteral("Command34"));
            c.click(QStringLiteral("Command34"));
        }
        if (bandsSeen == 4)
            c.openFullView();

        // Seen bands lie wholly in the client area. Of the bands below, nothing
        // shows; at most the top edge of a group frame.
        const QRect client = w.rect();
        QStringList faults;
        for (int b = 0; b < bands().size(); ++b) {
            const bool seen = b < bandsSeen;
            for (const QString &name : bandMembers(bands().at(b))) {
                QWidget *control = c.control(name);
                const QRect r = inWindow(control);
                if (seen && !client.contains(r))
                    faults << QStringLiteral("%1 %2 is cut off").arg(name, describe(r));
                if (!seen && !qobject_cast<QGroupBox *>(control) && r.top() < client.height())
                    faults << QStringLiteral("%1 %2 shows %3 px of the %4 band")
                                  .arg(name, describe(r))
                                  .arg(client.height() - r.top())
                                  .arg(QLatin1String(bands().at(b).name));
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("client area %1 px high: %2")
                                                  .arg(client.height())
                                                  .arg(faults.join(QLatin1String("; ")))));
    }

    void japaneseCaptionsHaveTheirGlyphs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("view button, show") << QStringLiteral("Command34")
                                           << QStringLiteral("データを表示する");
        QTest::newRow("view button, hide") << QStringLiteral("Command34")
                                           << QStringLiteral("データを表示しない");
        QTest::newRow("cursor pad") << QStringLiteral("Command5") << QStringLiteral("↑←→↓");
        QTest::newRow("lens shift") << QStringLiteral("Command59") << QStringLiteral("↑←→↓");
    }

    void japaneseCaptionsHaveTheirGlyphs()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);

        const QFont font = m_console.control(name)->font();
        const QString family = QFontInfo(font).family();
        QVERIFY2(QFontDatabase::families().contains(family), qPrintable(family));
        const QFontMetrics metrics(font);
        QVERIFY(metrics.inFontUcs4(U'デ'));
        for (const char32_t c : caption.toUcs4())
            QVERIFY2(metrics.inFontUcs4(c),
                     qPrintable(QStringLiteral("%1 lacks U+%2")
                                    .arg(family)
                                    .arg(uint(c), 4, 16, QLatin1Char('0'))));
    }

    void cursorPadOutline_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        for (int i = 0; i < 12; ++i) {
            const QString name = QStringLiteral("Line%1").arg(i + 1);
            QTest::newRow(qPrintable(name)) << name << kPadCorners[i] << kPadCorners[(i + 1) % 12];
        }
    }

    void cursorPadOutline()
    {
        QFETCH(QString, name);
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);

        QWidget *line = m_console.control(name);
        const QWidget &w = *m_window;
        const QRect r = line->geometry();
        const int x1 = px(std::min(from.x(), to.x()), w), x2 = px(std::max(from.x(), to.x()), w);
        const int y1 = px(std::min(from.y(), to.y()), w), y2 = px(std::max(from.y(), to.y()), w);
        const auto near = [](int a, int b) { return qAbs(a - b) <= 2; };
        // One side of the outline, 2 pixels wide, from corner to corner.
        if (from.y() == to.y()) {
            QCOMPARE(r.height(), 2);
            QVERIFY2(near(r.top(), y1) && near(r.left(), x1) && near(r.left() + r.width(), x2),
                     qPrintable(describe(r)));
        } else {
            QCOMPARE(r.width(), 2);
            QVERIFY2(near(r.left(), x1) && near(r.top(), y1) && near(r.top() + r.height(), y2),
                     qPrintable(describe(r)));
        }
        const QImage painted = line->grab().toImage();
        QCOMPARE(QColor(painted.pixel(0, 0)), QColor(0x80, 0x80, 0xFF));
        QCOMPARE(QColor(painted.pixel(painted.width() - 1, painted.height() - 1)),
                 QColor(0x80, 0x80, 0xFF));
    }

    void padButtonsInsideOutline()
    {
        QPolygon outline;
        for (const QPoint &corner : kPadCorners)
            outline << QPoint(px(corner.x(), *m_window), px(corner.y(), *m_window));
        // For a plus sign, a rectangle whose corners are all inside lies inside.
        for (const char *name : {"Command5", "Command6", "Command7", "Command8", "Command9"}) {
            const QRect r = inWindow(m_console.control(QString::fromLatin1(name)));
            for (const QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
                QVERIFY2(outline.containsPoint(corner, Qt::OddEvenFill),
                         qPrintable(name + describe(r)));
        }
    }

    void logo()
    {
        auto *image = m_console.control<QLabel>(QStringLiteral("Image1"));
        // Shown at its own size (its geometry is sampled above).
        QCOMPARE(image->pixmap().size(), QSize(80, 26));
        const QImage painted =
            image->grab(QRect(0, 0, 80, 26)).toImage().convertToFormat(QImage::Format_RGB32);
        for (const QPoint &corner : {QPoint(0, 0), QPoint(79, 0), QPoint(0, 25), QPoint(79, 25)})
            QCOMPARE(QColor(painted.pixel(corner)), kGrey);

        int red = 0;
        int grey = 0;
        QRect ink;
        for (int y = 0; y < painted.height(); ++y) {
            for (int x = 0; x < painted.width(); ++x) {
                const QRgb p = painted.pixel(x, y);
                // Only the red ink, the grey ground and their blends along the edges.
                QVERIFY2(qAbs(qGreen(p) - qBlue(p)) <= 3 && qRed(p) >= 0xC0 - 3
                             && qRed(p) + 3 >= qGreen(p),
                         qPrintable(QStringLiteral("pixel %1,%2 is %3")
                                        .arg(x).arg(y).arg(QColor(p).name())));
                if (qRed(p) > 0xE0 && qGreen(p) < 0x40) {
                    ++red;
                    ink |= QRect(x, y, 1, 1);
                }
                grey += QColor(p) == kGrey;
            }
        }
        QVERIFY2(red >= 150, qPrintable(QString::number(red)));
        QVERIFY2(grey >= 80 * 26 / 3, qPrintable(QString::number(grey)));
        // The word fills the picture rather than sitting small in a corner.
        QVERIFY2(ink.width() >= 64 && ink.height() >= 16 && ink.left() >= 1 && ink.right() <= 78
                     && ink.top() >= 1 && ink.bottom() <= 24,
                 qPrintable(describe(ink)));
    }

    void hiddenAndSelected()
    {
        const auto hidden = [](QWidget *c) { return c->isHidden(); };
        const auto selected = [](QWidget *c) {
            auto *option = qobject_cast<QRadioButton *>(c);
            return option && option->isChecked();
        };
        // The window as its design builds it, before the start-up runs. COM1 is
        // left for the start-up to select, so that its port switch runs.
        MainWindow built([](int port) -> std::unique_ptr<CommLine> {
            return std::make_unique<FakeLine>(QStringLiteral("/dev/fake%1").arg(port));
        });
        QCOMPARE(namesWhere(built, hidden), (QStringList{"Command34", "Frame8"}));
        QCOMPARE(namesWhere(built, selected), (QStringList{"Option3", "Option9"}));

        QCOMPARE(namesWhere(*m_window, hidden), (QStringList{"Command34", "Frame8"}));
        QCOMPARE(namesWhere(*m_window, selected), (QStringList{"Option1", "Option3", "Option9"}));
        QCOMPARE(m_console.control<QLineEdit>(QStringLiteral("Text1"))->text(), QString());
    }

    void portPanelCoversTheComButton()
    {
        ConsoleWindow c;
        MainWindow &w = c.start();
        QWidget *com = c.control(QStringLiteral("Command33"));
        QWidget *panel = c.control(QStringLiteral("Frame8"));
        const QPoint centre = com->geometry().center();
        QCOMPARE(w.childAt(centre), com);

        c.click(QStringLiteral("Command33"));
        QVERIFY(panel->isVisible());
        QWidget *top = w.childAt(centre);
        QVERIFY(top);
        QVERIFY2(top == panel || panel->isAncestorOf(top), qPrintable(top->objectName()));
        // Nowhere on the COM button can it be reached while the panel is up.
        QCOMPARE(com->geometry().intersected(panel->geometry()), com->geometry());
    }
};

QTEST_MAIN(WindowDesignTest)
#include "tst_windowdesign.moc"
