#include "app/layoutspec.h"
#include "app/logo.h"

#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QtTest>

using namespace layout;

namespace {

// Buttons in the design share their one-pixel borders (15 twips at 96 dpi).
constexpr int kSharedEdge = 15;

QStringList numbered(const QString &prefix, int first, int last, QList<int> skip = {})
{
    QStringList names;
    for (int i = first; i <= last; ++i) {
        if (!skip.contains(i))
            names << prefix + QString::number(i);
    }
    return names;
}

QStringList designNames()
{
    return numbered("Frame", 1, 16, {12}) + numbered("Label", 1, 27)
            + numbered("Command", 1, 99, {43}) + numbered("Option", 1, 10)
            + QStringList{"Text1", "Image1"};
}

// Children of each frame as the design places them; everything else is on Form1.
QHash<QString, QString> designContainers()
{
    const QList<QPair<QString, QStringList>> frames = {
        {"Frame1", {"Label1", "Command17", "Command18"}},
        {"Frame2", {"Label2", "Command27", "Command28", "Command29", "Command53"}},
        {"Frame3", {"Label4", "Command19", "Command20"}},
        {"Frame4", {"Label5", "Command21", "Command22"}},
        {"Frame5", {"Label6", "Command31", "Command32"}},
        {"Frame6", {"Label7", "Command23", "Command24"}},
        {"Frame7", {"Label8", "Command25", "Command26"}},
        {"Frame8", {"Option1", "Option2", "Frame13"}},
        {"Frame13", {"Option9", "Option10"}},
        {"Frame9", {"Label9", "Label10", "Label11", "Label12", "Label22", "Label23"}},
        {"Frame10", {"Label20", "Command59", "Command60", "Command61", "Command62"}},
        {"Frame11", QStringList{"Label21"} + numbered("Option", 3, 8)},
        {"Frame14",
         QStringList{"Label15", "Label16", "Label24", "Label25"} + numbered("Command", 63, 94)},
        {"Frame15", {"Label26", "Text1", "Command95", "Command96"}},
        {"Frame16", {"Label27", "Command97", "Command98"}},
    };
    QHash<QString, QString> containers;
    for (const QString &name : designNames())
        containers.insert(name, "Form1");
    for (const auto &[frame, children] : frames) {
        for (const QString &child : children)
            containers.insert(child, frame);
    }
    return containers;
}

struct Band
{
    const char *name;
    int first, last; // range of the top edges of the window's own controls
    int nextBand;    // where the band below starts
    QStringList members;
};

QList<Band> designBands()
{
    const QStringList main = numbered("Frame", 1, 8) + QStringList{"Frame10", "Image1"}
            + QStringList{"Command17", "Command18", "Command27", "Command28", "Command29",
                          "Command53", "Command23", "Command24", "Command19", "Command20",
                          "Command21", "Command22", "Command25", "Command26", "Command31",
                          "Command32", "Command59", "Command60", "Command61", "Command62"}
            + QStringList{"Command5", "Command6", "Command7", "Command8", "Command9"}
            + QStringList{"Command1", "Command2", "Command15", "Command35", "Command36",
                          "Command37", "Command48", "Command49", "Command50", "Command51"}
            + QStringList{"Command4", "Command10", "Command11", "Command39", "Command40",
                          "Command41", "Command42"}
            + QStringList{"Command56", "Command57", "Command58"}
            + QStringList{"Command13", "Command14", "Command30", "Command3", "Command33",
                          "Command16"};
    return {
        {"main", 120, 4560, 4920, main},
        {"data", 4920, 5880, 6225,
         {"Frame9", "Command34", "Command52", "Command44", "Command46", "Command54", "Command45",
          "Command47", "Command55"}},
        {"extended", 6225, 6240, 6735, {"Frame11", "Command38", "Command12"}},
        {"full", 6735, 8055, kClientHeight,
         QStringList{"Frame14", "Frame15", "Frame16", "Command99", "Command95", "Command96",
                     "Command97", "Command98"}
                 + numbered("Command", 63, 94)},
    };
}

const Control *find(const QString &name)
{
    for (const Control &c : controls()) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

QRect localRect(const Control &c)
{
    return QRect(c.left, c.top, c.width, c.height);
}

// The control's rectangle in client-area twips.
QRect clientRect(const Control &c)
{
    QRect r = localRect(c);
    for (const Control *p = find(c.container); p; p = find(p->container))
        r.translate(p->left, p->top);
    return r;
}

// The control on Form1 that holds c (c itself when it sits on Form1).
const Control &topLevel(const Control &c)
{
    const Control *top = &c;
    while (qstrcmp(top->container, "Form1") != 0)
        top = find(top->container);
    return *top;
}

bool overlapBeyondSharedEdge(const QRect &a, const QRect &b)
{
    const int dx = qMin(a.left() + a.width(), b.left() + b.width()) - qMax(a.left(), b.left());
    const int dy = qMin(a.top() + a.height(), b.top() + b.height()) - qMax(a.top(), b.top());
    return dx > kSharedEdge && dy > kSharedEdge;
}

qint64 colourOrNone(const std::optional<QRgb> &c)
{
    return c ? qint64(*c) : -1;
}

} // namespace

class TestLayoutTable : public QObject
{
    Q_OBJECT

private slots:
    void everyDesignNameOnce();
    void kindFollowsName();
    void container_data();
    void container();
    void containersComeFirst();
    void childrenInsideContainers();
    void buttonsDoNotOverlap();
    void windowButtonsClearOfFrames();
    void portPanelInFrontOfCom();
    void band_data();
    void band();
    void everyButtonInOneBand();
    void inputGrid();
    void caption_data();
    void caption();
    void colour_data();
    void colour();
    void font_data();
    void font();
    void alignment();
    void trafficLinesBordered();
    void hiddenInDesign();
    void selectedInDesign();
    void padOutlineCorners();
    void padButtonsInsideOutline();
    void logo();
};

void TestLayoutTable::everyDesignNameOnce()
{
    const QStringList expected = designNames();
    QCOMPARE(expected.size(), 15 + 27 + 98 + 10 + 2);

    QHash<QString, int> seen;
    for (const Control &c : controls())
        ++seen[QString::fromLatin1(c.name)];
    for (const QString &name : expected)
        QVERIFY2(seen.value(name) == 1, qPrintable(name + " appears "
                                                   + QString::number(seen.value(name)) + " times"));
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        QVERIFY2(expected.contains(it.key()), qPrintable(it.key() + " is not in the design"));
}

void TestLayoutTable::kindFollowsName()
{
    const QList<QPair<QString, Kind>> prefixes = {
        {"Frame", Kind::Frame},   {"Label", Kind::Label}, {"Command", Kind::Button},
        {"Option", Kind::Option}, {"Text", Kind::TextBox}, {"Image", Kind::Image},
    };
    for (const Control &c : controls()) {
        const QString name = QString::fromLatin1(c.name);
        bool matched = false;
        for (const auto &[prefix, kind] : prefixes) {
            if (name.startsWith(prefix)) {
                QVERIFY2(c.kind == kind, c.name);
                matched = true;
            }
        }
        QVERIFY2(matched, c.name);
    }
}

void TestLayoutTable::container_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    const QHash<QString, QString> containers = designContainers();
    for (const QString &name : designNames())
        QTest::newRow(qPrintable(name)) << name << containers.value(name);
}

void TestLayoutTable::container()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    const Control *c = find(name);
    QVERIFY(c);
    QCOMPARE(QString::fromLatin1(c->container), container);
}

void TestLayoutTable::containersComeFirst()
{
    QSet<QString> placed{"Form1"};
    for (const Control &c : controls()) {
        QVERIFY2(placed.contains(c.container),
                 qPrintable(QString("%1 comes before its container %2").arg(c.name, c.container)));
        if (c.kind == Kind::Frame)
            placed.insert(c.name);
    }
}

void TestLayoutTable::childrenInsideContainers()
{
    for (const Control &c : controls()) {
        const Control *p = find(c.container);
        const QRect inside = p ? QRect(0, 0, p->width, p->height)
                               : QRect(0, 0, kClientWidth, kClientHeight);
        QVERIFY2(c.width > 0 && c.height > 0, c.name);
        QVERIFY2(inside.contains(localRect(c)),
                 qPrintable(QString("%1 reaches outside %2").arg(c.name, c.container)));
    }
}

void TestLayoutTable::buttonsDoNotOverlap()
{
    const auto all = controls();
    for (qsizetype i = 0; i < qsizetype(all.size()); ++i) {
        for (qsizetype j = i + 1; j < qsizetype(all.size()); ++j) {
            const Control &a = all[i];
            const Control &b = all[j];
            if (a.kind != Kind::Button || b.kind != Kind::Button
                || qstrcmp(a.container, b.container) != 0)
                continue;
            QVERIFY2(!overlapBeyondSharedEdge(localRect(a), localRect(b)),
                     qPrintable(QString("%1 overlaps %2").arg(a.name, b.name)));
        }
    }
}

void TestLayoutTable::windowButtonsClearOfFrames()
{
    // Only the port panel may cover a button of the window: COM, by design.
    for (const Control &button : controls()) {
        if (button.kind != Kind::Button || qstrcmp(button.container, "Form1") != 0)
            continue;
        for (const Control &frame : controls()) {
            if (frame.kind != Kind::Frame || qstrcmp(frame.container, "Form1") != 0)
                continue;
            const bool covered = overlapBeyondSharedEdge(localRect(button), localRect(frame));
            const bool expected = qstrcmp(frame.name, "Frame8") == 0
                    && qstrcmp(button.name, "Command33") == 0;
            QVERIFY2(covered == expected,
                     qPrintable(QString("%1 under %2: %3").arg(button.name, frame.name)
                                        .arg(covered)));
        }
    }
}

void TestLayoutTable::portPanelInFrontOfCom()
{
    // Widgets created later stack above their earlier siblings.
    const Control *com = find("Command33");
    const Control *panel = find("Frame8");
    QVERIFY(com && panel);
    QVERIFY(panel > com); // both point into the one table
}

void TestLayoutTable::band_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("nextBand");
    QTest::addColumn<QStringList>("members");
    for (const Band &b : designBands())
        QTest::newRow(b.name) << b.first << b.last << b.nextBand << b.members;
}

void TestLayoutTable::band()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, nextBand);
    QFETCH(QStringList, members);
    for (const QString &name : members) {
        const Control *c = find(name);
        QVERIFY2(c, qPrintable(name));
        // The band is set by the top edges of the window's own controls; what
        // sits inside a frame must still start below the band's top and above
        // the next band.
        const int groupTop = topLevel(*c).top;
        QVERIFY2(groupTop >= first && groupTop <= last,
                 qPrintable(QString("%1 at %2").arg(name).arg(groupTop)));
        const int top = clientRect(*c).top();
        QVERIFY2(top >= first && top < nextBand,
                 qPrintable(QString("%1 at %2").arg(name).arg(top)));
    }
}

void TestLayoutTable::everyButtonInOneBand()
{
    int buttons = 0;
    for (const Control &c : controls()) {
        if (c.kind != Kind::Button)
            continue;
        ++buttons;
        int bands = 0;
        for (const Band &b : designBands())
            bands += b.members.count(c.name);
        QVERIFY2(bands == 1, c.name);
    }
    QCOMPARE(buttons, 98);
}

void TestLayoutTable::inputGrid()
{
    const QList<int> lefts = {360, 1080, 1800, 2760, 3720, 4680, 5640, 6360};
    const QList<int> widths = {735, 735, 975, 975, 975, 975, 735, 735};
    const QStringList captions = {"DVI", "RGB", "VIDEO", "YPbPr", "YCbCr", "S-VIDEO", "YC", "SDI"};

    QSet<QString> grid;
    for (const Control &c : controls()) {
        if (qstrcmp(c.container, "Frame14") != 0 || c.kind != Kind::Button)
            continue;
        QVERIFY2(c.top % 240 == 0, c.name);
        const int row = c.top / 240;
        const int column = lefts.indexOf(c.left);
        QVERIFY2(row >= 1 && row <= 4 && column >= 0, c.name);
        const int number = 63 + 8 * (row - 1) + column;
        QCOMPARE(QString::fromLatin1(c.name), "Command" + QString::number(number));
        QCOMPARE(c.width, widths[column]);
        QCOMPARE(c.height, 255);
        QCOMPARE(QString::fromUtf8(c.caption), captions[column]);
        QCOMPARE(colourOrNone(c.background), qint64(0xC0FFFF));
        QVERIFY(c.font && c.font->face == Face::Gothic && c.font->points == 9.0 && !c.font->bold);
        grid.insert(c.name);
    }
    QCOMPARE(grid.size(), 32);

    const QStringList rowLabels = {"Label15", "Label16", "Label24", "Label25"};
    for (int r = 1; r <= 4; ++r) {
        const Control *label = find(rowLabels[r - 1]);
        QVERIFY(label);
        QCOMPARE(localRect(*label), QRect(120, 240 * r, 255, 255));
        QCOMPARE(QString::fromUtf8(label->caption), QString::number(r));
    }
}

void TestLayoutTable::caption_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    const QList<QPair<const char *, const char *>> rows = {
        {"Command5", "↑"},         {"Command7", "↓"},          {"Command9", "←"},
        {"Command8", "→"},         {"Command59", "↑"},         {"Command62", "↓"},
        {"Command60", "←"},        {"Command61", "→"},         {"Command34", "データを表示する"},
        {"Command6", "SELECT"},    {"Command3", "DISPLAY CLEAR"}, {"Command12", "SETTING 2"},
        {"Command38", "PC type"},  {"Command56", "4 LAMP"},    {"Command57", "1-4"},
        {"Command2", "-"},         {"Command15", "+"},         {"Command33", "COM"},
        {"Command16", "END"},      {"Command99", "PRESSURE"},  {"Command53", "4"},
        {"Command31", "Regular"},  {"Command95", "SEND"},      {"Command96", "CLS"},
        {"Label1", "POWER"},       {"Label2", "INPUT MODE SET"}, {"Label4", "SOUND MUTE"},
        {"Label5", "NO SHOW"},     {"Label6", "AV Size"},      {"Label7", "MENU"},
        {"Label8", "FREEZE"},      {"Label20", "LENS SHIFT"},  {"Label3", "VOL"},
        {"Label17", "D.Zoom"},     {"Label19", "LAMP SELECT"}, {"Label21", "PJ Select"},
        {"Label23", "STATUS"},     {"Label26", "CMD"},         {"Label27", "FAN SPEED"},
        {"Label11", ""},           {"Label12", ""},            {"Label22", ""},
        {"Option1", "COM1"},       {"Option2", "COM2"},        {"Option9", "19200"},
        {"Option10", "9600"},      {"Option3", "SINGLE"},      {"Option4", "ALL"},
        {"Option8", "004"},        {"Text1", ""},
    };
    for (const auto &[name, caption] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption);
}

void TestLayoutTable::caption()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    const Control *c = find(name);
    QVERIFY(c);
    QCOMPARE(QString::fromUtf8(c->caption), caption);
}

void TestLayoutTable::colour_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("background"); // -1: none
    QTest::addColumn<qint64>("foreground");
    const QList<std::tuple<const char *, qint64, qint64>> rows = {
        {"Command17", 0xC0FFC0, -1}, {"Command18", 0xFFC0C0, -1}, {"Command27", 0xC0FFFF, -1},
        {"Command5", 0xFFE0C0, -1},  {"Command6", 0xFF8000, -1},  {"Command1", 0xFFC080, -1},
        {"Command13", 0x00C0C0, -1}, {"Command30", 0xC0C0FF, -1}, {"Command56", 0xFFFFC0, -1},
        {"Command33", -1, -1},       {"Command16", 0xC0C0C0, -1}, {"Command34", 0xC0C0C0, -1},
        {"Command52", 0xFFE0C0, -1}, {"Command99", 0xFFE0C0, -1}, {"Command44", 0xC0FFFF, -1},
        {"Command95", 0xC0FFC0, -1}, {"Command96", 0xFFC0C0, -1}, {"Command97", 0xC0FFC0, -1},
        {"Command59", 0xFFE0C0, -1}, {"Label1", -1, 0xC00000},    {"Label2", -1, -1},
        {"Label11", 0xFFFFFF, -1},   {"Label12", 0xFFFFFF, -1},   {"Label22", 0xFFFFFF, 0xFF0000},
        {"Label9", -1, -1},          {"Label19", -1, -1},         {"Option3", -1, -1},
    };
    for (const auto &[name, bg, fg] : rows)
        QTest::newRow(name) << QString::fromLatin1(name) << bg << fg;
}

void TestLayoutTable::colour()
{
    QFETCH(QString, name);
    QFETCH(qint64, background);
    QFETCH(qint64, foreground);
    const Control *c = find(name);
    QVERIFY(c);
    QCOMPARE(colourOrNone(c->background), background);
    QCOMPARE(colourOrNone(c->foreground), foreground);
}

void TestLayoutTable::font_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("windowFont");
    QTest::addColumn<int>("face");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    const auto own = [](const char *name, Face face, double points, bool bold) {
        QTest::newRow(name) << QString::fromLatin1(name) << false << int(face) << points << bold;
    };
    const auto window = [](const char *name) {
        QTest::newRow(name) << QString::fromLatin1(name) << true << 0 << 0.0 << false;
    };
    own("Command17", Face::PGothic, 9.0, true);
    own("Command31", Face::PGothic, 9.0, false);
    own("Command6", Face::Gothic, 9.0, false);
    own("Command48", Face::PGothic, 9.0, false);
    own("Command49", Face::Gothic, 9.0, false);
    own("Command33", Face::PGothic, 9.0, false);
    own("Command34", Face::PGothic, 9.0, false);
    own("Command44", Face::Gothic, 8.25, true);
    own("Command12", Face::Gothic, 8.25, true);
    own("Command59", Face::PGothic, 7.5, false);
    own("Frame10", Face::PGothic, 7.5, false);
    own("Frame11", Face::PGothic, 7.5, false);
    own("Label21", Face::Gothic, 8.25, false);
    own("Option5", Face::Gothic, 8.25, false);
    own("Label9", Face::Gothic, 9.0, false);
    own("Label11", Face::PGothic, 9.75, true);
    own("Label22", Face::PGothic, 9.0, true);
    own("Label23", Face::Gothic, 8.25, false);
    own("Label26", Face::Gothic, 9.75, false);
    own("Text1", Face::Gothic, 9.75, true);
    window("Command1");
    window("Command16");
    window("Command52");
    window("Command95");
    window("Command97");
    window("Label1");
    window("Label27");
    window("Option1");
    window("Option9");
}

void TestLayoutTable::font()
{
    QFETCH(QString, name);
    QFETCH(bool, windowFont);
    QFETCH(int, face);
    QFETCH(double, points);
    QFETCH(bool, bold);
    const Control *c = find(name);
    QVERIFY(c);
    QCOMPARE(!c->font.has_value(), windowFont);
    if (windowFont)
        return;
    QCOMPARE(int(c->font->face), face);
    QCOMPARE(c->font->points, points);
    QCOMPARE(c->font->bold, bold);
}

void TestLayoutTable::alignment()
{
    const QStringList centred = {"POWER",   "INPUT MODE SET", "MENU",       "SOUND MUTE", "NO SHOW",
                                 "FREEZE",  "AV Size",        "LENS SHIFT", "VOL"};
    const QStringList right = {"TXD", "RXD"};
    int centredSeen = 0;
    for (const Control &c : controls()) {
        if (c.kind != Kind::Label)
            continue;
        const QString caption = QString::fromUtf8(c.caption);
        const Align expected = centred.contains(caption) ? Align::Center
                : right.contains(caption)                ? Align::Right
                                                         : Align::Left;
        centredSeen += expected == Align::Center;
        QVERIFY2(c.align == expected, c.name);
    }
    QCOMPARE(centredSeen, centred.size());
}

void TestLayoutTable::trafficLinesBordered()
{
    const QStringList lines = {"Label11", "Label12", "Label22"};
    for (const Control &c : controls())
        QVERIFY2(c.border == lines.contains(c.name), c.name);
}

void TestLayoutTable::hiddenInDesign()
{
    QStringList hidden;
    for (const Control &c : controls()) {
        if (c.hidden)
            hidden << c.name;
    }
    hidden.sort();
    QCOMPARE(hidden, (QStringList{"Command34", "Frame8"}));
}

void TestLayoutTable::selectedInDesign()
{
    QStringList selected;
    QHash<QString, int> perGroup;
    for (const Control &c : controls()) {
        QVERIFY2(!c.selected || c.kind == Kind::Option, c.name);
        if (c.selected) {
            selected << c.name;
            ++perGroup[c.container];
        }
    }
    selected.sort();
    // COM1 is left for the start-up to select, so that its port switch runs.
    QCOMPARE(selected, (QStringList{"Option3", "Option9"}));
    QCOMPARE(perGroup.value("Frame13"), 1);
    QCOMPARE(perGroup.value("Frame11"), 1);
    QCOMPARE(perGroup.value("Frame8"), 0);
}

void TestLayoutTable::padOutlineCorners()
{
    const QList<QPoint> expected = {{1080, 2400}, {2160, 2400}, {2160, 2880}, {3120, 2880},
                                    {3120, 3480}, {2160, 3480}, {2160, 3960}, {1080, 3960},
                                    {1080, 3480}, {120, 3480},  {120, 2880},  {1080, 2880}};
    const auto outline = padOutline();
    QCOMPARE(qsizetype(outline.size()), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(QPoint(outline[i].x, outline[i].y), expected[i]);
        // Each of the twelve lines, including the closing one, is straight across or down.
        const Point &a = outline[i];
        const Point &b = outline[(i + 1) % outline.size()];
        QVERIFY((a.x == b.x) != (a.y == b.y));
    }
}

void TestLayoutTable::padButtonsInsideOutline()
{
    QPolygon outline;
    for (const Point &p : padOutline())
        outline << QPoint(p.x, p.y);
    // For a plus sign, a rectangle whose corners are all inside lies inside.
    for (const char *name : {"Command5", "Command6", "Command7", "Command8", "Command9"}) {
        const Control *c = find(name);
        QVERIFY(c);
        const QRect r = clientRect(*c);
        for (const QPoint &corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            QVERIFY2(outline.containsPoint(corner, Qt::OddEvenFill), name);
    }
}

void TestLayoutTable::logo()
{
    const QImage image = drawLogo().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(image.size(), QSize(kLogoWidth, kLogoHeight));
    QCOMPARE(QSize(kLogoWidth, kLogoHeight), QSize(80, 26));
    const Control *image1 = find("Image1");
    QVERIFY(image1);
    // Shown at its own size: 80 x 26 pixels are 1200 x 390 twips.
    QCOMPARE(QSize(image1->width, image1->height), QSize(80 * 15, 26 * 15));

    for (const QPoint &corner : {QPoint(0, 0), QPoint(79, 0), QPoint(0, 25), QPoint(79, 25)})
        QCOMPARE(image.pixel(corner) & 0xFFFFFF, kWindowBackground & 0xFFFFFF);

    int red = 0;
    int grey = 0;
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            // Only the red ink, the grey ground and their blends along the edges.
            QVERIFY2(qAbs(qGreen(p) - qBlue(p)) <= 3 && qRed(p) >= 0xC0 - 3
                             && qRed(p) + 3 >= qGreen(p),
                     qPrintable(QString("pixel %1,%2 is #%3").arg(x).arg(y).arg(p & 0xFFFFFF, 6, 16,
                                                                               QChar('0'))));
            if (qRed(p) > 0xE0 && qGreen(p) < 0x40) {
                ++red;
                ink |= QRect(x, y, 1, 1);
            }
            grey += (p & 0xFFFFFF) == 0xC0C0C0;
        }
    }
    QVERIFY2(red >= 150, qPrintable(QString::number(red)));
    QVERIFY2(grey >= 80 * 26 / 3, qPrintable(QString::number(grey)));
    // The word fills the picture rather than sitting small in a corner.
    QVERIFY2(ink.width() >= 64 && ink.height() >= 16,
             qPrintable(QString("%1 x %2").arg(ink.width()).arg(ink.height())));
    QVERIFY(ink.left() >= 1 && ink.right() <= 78 && ink.top() >= 1 && ink.bottom() <= 24);
}

QTEST_MAIN(TestLayoutTable)
#include "tst_layouttable.moc"
