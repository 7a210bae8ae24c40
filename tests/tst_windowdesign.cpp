#include "support/consolewindow.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>

// The built window held against its design: controls, containers, bands,
// colours, fonts, the cursor-pad outline and the port panel.
class WindowDesignTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void theWindow();
    void controlsSitInTheirContainers_data();
    void controlsSitInTheirContainers();
    void noOtherNamedControls();
    void captionsAndAccessibleNames_data();
    void captionsAndAccessibleNames();
    void labels_data();
    void labels();
    void geometrySample_data();
    void geometrySample();
    void controlsLieInTheirBands_data();
    void controlsLieInTheirBands();
    void viewsShowExactlyTheirBands_data();
    void viewsShowExactlyTheirBands();
    void buttonColours_data();
    void buttonColours();
    void trafficLines_data();
    void trafficLines();
    void fonts_data();
    void fonts();
    void japaneseCaptionsHaveTheirGlyphs_data();
    void japaneseCaptionsHaveTheirGlyphs();
    void cursorPadOutline_data();
    void cursorPadOutline();
    void logo();
    void startState_data();
    void startState();
    void portPanelCoversTheComButton();

private:
    ConsoleWindow m_console;
    MainWindow *m_window = nullptr;
};

namespace {

int px(int twips, const QWidget &w)
{
    return qRound(twips * w.screen()->logicalDotsPerInchY() / 1440.0);
}

struct Band
{
    const char *name;
    int top, bottom; // client-area rows of the top edges, in twips
    QStringList controls; // window-level controls
};

QStringList numbered(const char *prefix, int first, int last)
{
    QStringList names;
    for (int n = first; n <= last; ++n)
        names << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(n);
    return names;
}

const QList<Band> &bands()
{
    static const QList<Band> all = {
        {"main", 120, 4560,
         QStringList{"Frame1",    "Frame2",    "Frame6",    "Frame3",    "Frame4",    "Frame7",
                     "Frame5",    "Frame10",   "Frame8",    "Image1",    "Command5",  "Command9",
                     "Command6",  "Command8",  "Command7",  "Label3",    "Command1",  "Command2",
                     "Label13",   "Command15", "Command35", "Label14",   "Command36", "Command37",
                     "Label17",   "Command48", "Command49", "Label18",   "Command50", "Command51",
                     "Command13", "Command30", "Command14", "Command3",  "Label19",   "Command56",
                     "Command57", "Command58", "Command4",  "Command10", "Command11", "Command39",
                     "Command40", "Command41", "Command42", "Command33", "Command16"}
             + numbered("Line", 1, 12)},
        {"data", 4920, 5880,
         {"Frame9", "Command34", "Command52", "Command44", "Command46", "Command54", "Command45",
          "Command47", "Command55"}},
        {"extended", 6225, 6240, {"Frame11", "Command38", "Command12"}},
        {"full", 6735, 8055, {"Frame14", "Frame16", "Command99", "Frame15"}},
    };
    return all;
}

// The children of each frame, in the design's order.
const QList<QPair<QString, QStringList>> &frameChildren()
{
    static const QList<QPair<QString, QStringList>> all = [] {
        QStringList grid{"Label15"};
        grid << numbered("Command", 63, 70) << QStringLiteral("Label16")
             << numbered("Command", 71, 78) << QStringLiteral("Label24")
             << numbered("Command", 79, 86) << QStringLiteral("Label25")
             << numbered("Command", 87, 94);
        return QList<QPair<QString, QStringList>>{
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
            {"Frame11",
             {"Label21", "Option3", "Option4", "Option5", "Option6", "Option7", "Option8"}},
            {"Frame14", grid},
            {"Frame15", {"Label26", "Text1", "Command95", "Command96"}},
            {"Frame16", {"Label27", "Command97", "Command98"}},
        };
    }();
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

void ctrlH(MainWindow &w)
{
    QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
}

} // namespace

void WindowDesignTest::initTestCase()
{
    m_window = &m_console.start();
}

void WindowDesignTest::cleanupTestCase()
{
    m_console.window.reset();
}

void WindowDesignTest::theWindow()
{
    MainWindow &w = *m_window;
    QCOMPARE(w.objectName(), QStringLiteral("Form1"));
    QCOMPARE(w.windowTitle(), QStringLiteral("TAVO   LMX5 & MX5    CONTROL   Ver.1.41a"));
    QCOMPARE(w.palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(w.width(), px(9495, w));
    QVERIFY(w.autoFillBackground());
    const QImage face = w.grab(QRect(2, 2, 4, 4)).toImage();
    QCOMPARE(QColor(face.pixel(1, 1)), QColor(0xC0, 0xC0, 0xC0));
}

void WindowDesignTest::controlsSitInTheirContainers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    for (const auto &[name, container] : allControls())
        QTest::newRow(qPrintable(name)) << name << container;
}

void WindowDesignTest::controlsSitInTheirContainers()
{
    QFETCH(QString, name);
    QFETCH(QString, container);

    auto *control = m_window->findChild<QWidget *>(name);
    QVERIFY2(control, "no such control");
    QVERIFY(control->parentWidget());
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(m_window->control(name), control);
    if (name.startsWith(QLatin1String("Frame")))
        QVERIFY(qobject_cast<QGroupBox *>(control));
}

void WindowDesignTest::noOtherNamedControls()
{
    // Command43 and Frame12 are not used; nothing else carries a control name.
    static const QRegularExpression controlName(
        QStringLiteral("^(Command|Label|Frame|Option|Line|Text|Image)\\d+$"));
    QStringList found;
    for (QWidget *w : m_window->findChildren<QWidget *>())
        if (controlName.match(w->objectName()).hasMatch())
            found << w->objectName();
    QStringList expected;
    for (const auto &entry : allControls())
        expected << entry.first;
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
    QCOMPARE(numbered("Command", 1, 99).size() - 1,
             found.filter(QRegularExpression(QStringLiteral("^Command"))).size());
}

void WindowDesignTest::captionsAndAccessibleNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");

    const QList<QPair<const char *, const char *>> captions = {
        {"Command17", "ON"},        {"Command18", "OFF"},       {"Command27", "1"},
        {"Command28", "2"},         {"Command29", "3"},         {"Command53", "4"},
        {"Command23", "ON"},        {"Command24", "OFF"},       {"Command19", "ON"},
        {"Command20", "OFF"},       {"Command21", "ON"},        {"Command22", "OFF"},
        {"Command25", "ON"},        {"Command26", "OFF"},       {"Command31", "Regular"},
        {"Command32", "Wide"},      {"Command59", "↑"},         {"Command60", "←"},
        {"Command61", "→"},         {"Command62", "↓"},         {"Command95", "SEND"},
        {"Command96", "CLS"},       {"Command97", "MAX"},       {"Command98", "NOR"},
        {"Command5", "↑"},          {"Command9", "←"},          {"Command6", "SELECT"},
        {"Command8", "→"},          {"Command7", "↓"},          {"Command1", "+"},
        {"Command2", "-"},          {"Command15", "+"},         {"Command35", "-"},
        {"Command36", "+"},         {"Command37", "-"},         {"Command48", "+"},
        {"Command49", "-"},         {"Command50", "+"},         {"Command51", "-"},
        {"Command13", "A-IMAGE"},   {"Command30", "IMAGE"},     {"Command14", "P-TIMER"},
        {"Command3", "DISPLAY CLEAR"}, {"Command56", "4 LAMP"}, {"Command57", "1-4"},
        {"Command58", "2-3"},       {"Command4", "STAND"},      {"Command10", "REAL"},
        {"Command11", "CINEMA"},    {"Command39", "IMAGE1"},    {"Command40", "IMAGE2"},
        {"Command41", "IMAGE3"},    {"Command42", "IMAGE4"},    {"Command33", "COM"},
        {"Command16", "END"},       {"Command34", "データを表示する"}, {"Command52", "P-FAIL"},
        {"Command44", "STATUS"},    {"Command46", "L-TIME"},    {"Command54", "TEMP"},
        {"Command45", "MODE"},      {"Command47", "SETTING"},   {"Command55", "L-MODE"},
        {"Command38", "PC type"},   {"Command12", "SETTING 2"}, {"Command99", "PRESSURE"},
        {"Option1", "COM1"},        {"Option2", "COM2"},        {"Option9", "19200"},
        {"Option10", "9600"},       {"Option3", "SINGLE"},      {"Option4", "ALL"},
        {"Option5", "001"},         {"Option6", "002"},         {"Option7", "003"},
        {"Option8", "004"},
    };
    for (const auto &[name, caption] : captions)
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption);

    // The input grid, in reading order: four rows of the same eight columns.
    const char *columns[] = {"DVI", "RGB", "VIDEO", "YPbPr", "YCbCr", "S-VIDEO", "YC", "SDI"};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 8; ++column) {
            const QString name = QStringLiteral("Command%1").arg(63 + row * 8 + column);
            QTest::newRow(qPrintable(name)) << name << QString::fromLatin1(columns[column]);
        }
}

void WindowDesignTest::captionsAndAccessibleNames()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);

    auto *button = qobject_cast<QAbstractButton *>(m_window->findChild<QWidget *>(name));
    QVERIFY2(button, "no such button");
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->accessibleName(), caption);
    if (name.startsWith(QLatin1String("Command")))
        QVERIFY(qobject_cast<QPushButton *>(button));
}

void WindowDesignTest::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QColor>("background");

    const QColor grey(0xC0, 0xC0, 0xC0);
    const QColor white(0xFF, 0xFF, 0xFF);
    const int left = Qt::AlignLeft, centre = Qt::AlignHCenter, right = Qt::AlignRight;
    const struct
    {
        const char *name;
        const char *caption;
        int alignment;
        bool white;
    } rows[] = {
        {"Label1", "POWER", centre, false},       {"Label2", "INPUT MODE SET", centre, false},
        {"Label7", "MENU", centre, false},        {"Label4", "SOUND MUTE", centre, false},
        {"Label5", "NO SHOW", centre, false},     {"Label8", "FREEZE", centre, false},
        {"Label6", "AV Size", centre, false},     {"Label20", "LENS SHIFT", centre, false},
        {"Label3", "VOL", centre, false},         {"Label9", "TXD", right, false},
        {"Label10", "RXD", right, false},         {"Label11", "", left, true},
        {"Label12", "", left, true},              {"Label22", "", left, true},
        {"Label23", "STATUS", left, false},       {"Label21", "PJ Select", left, false},
        {"Label15", "1", left, false},            {"Label16", "2", left, false},
        {"Label24", "3", left, false},            {"Label25", "4", left, false},
        {"Label26", "CMD", left, false},          {"Label27", "FAN SPEED", left, false},
        {"Label13", "Zoom", left, false},         {"Label14", "Focus", left, false},
        {"Label17", "D.Zoom", left, false},       {"Label18", "Keystone", left, false},
        {"Label19", "LAMP SELECT", left, false},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromLatin1(row.caption)
                                << row.alignment << (row.white ? white : grey);
}

void WindowDesignTest::labels()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, alignment);
    QFETCH(QColor, background);

    auto *label = qobject_cast<QLabel *>(m_window->findChild<QWidget *>(name));
    QVERIFY2(label, "no such label");
    QCOMPARE(label->text(), caption);
    QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), alignment);
    // Every label paints its own background.
    QVERIFY(label->autoFillBackground());
    QCOMPARE(label->palette().color(label->backgroundRole()), background);
}

void WindowDesignTest::geometrySample_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips"); // left, top, width, height in the container

    QTest::newRow("Image1") << QStringLiteral("Image1") << QRect(8160, 120, 1200, 390);
    QTest::newRow("Command3") << QStringLiteral("Command3") << QRect(8400, 3600, 975, 492);
    QTest::newRow("Command33") << QStringLiteral("Command33") << QRect(4080, 4200, 1815, 375);
    QTest::newRow("Frame8") << QStringLiteral("Frame8") << QRect(3480, 3600, 2775, 1185);
    QTest::newRow("Option10") << QStringLiteral("Option10") << QRect(1440, 240, 975, 300);
    QTest::newRow("Frame9") << QStringLiteral("Frame9") << QRect(45, 4920, 6312, 1290);
    QTest::newRow("Label22") << QStringLiteral("Label22") << QRect(930, 900, 5295, 300);
    QTest::newRow("Command34") << QStringLiteral("Command34") << QRect(6615, 5040, 1200, 375);
    QTest::newRow("Frame11") << QStringLiteral("Frame11") << QRect(75, 6225, 6765, 465);
    QTest::newRow("Option3") << QStringLiteral("Option3") << QRect(1155, 168, 1095, 225);
    QTest::newRow("Command12") << QStringLiteral("Command12") << QRect(8160, 6240, 1215, 252);
    QTest::newRow("Command94") << QStringLiteral("Command94") << QRect(6360, 960, 735, 255);
    QTest::newRow("Label25") << QStringLiteral("Label25") << QRect(120, 960, 255, 255);
    QTest::newRow("Text1") << QStringLiteral("Text1") << QRect(600, 165, 5055, 345);
    QTest::newRow("Command62") << QStringLiteral("Command62") << QRect(588, 1320, 492, 252);
    QTest::newRow("Command99") << QStringLiteral("Command99") << QRect(8160, 7800, 1215, 255);
}

void WindowDesignTest::geometrySample()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);

    QWidget *control = m_console.control(name);
    const QWidget &w = *m_window;
    QCOMPARE(control->geometry(), QRect(px(twips.x(), w), px(twips.y(), w),
                                        px(twips.width(), w), px(twips.height(), w)));
}

void WindowDesignTest::controlsLieInTheirBands_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    for (const Band &band : bands())
        for (const QString &name : bandMembers(band))
            QTest::addRow("%s in %s", qPrintable(name), band.name)
                << name << band.top << band.bottom;
}

void WindowDesignTest::controlsLieInTheirBands()
{
    QFETCH(QString, name);
    QFETCH(int, top);
    QFETCH(int, bottom);

    // Counted on the top edge of the window-level control: the frame for the
    // controls inside one.
    const QWidget &w = *m_window;
    const int y = windowLevel(m_console.control(name))->geometry().top();
    QVERIFY2(y >= px(top, w) && y <= px(bottom, w),
             qPrintable(QStringLiteral("top at %1 px, band %2..%3 px")
                            .arg(y)
                            .arg(px(top, w))
                            .arg(px(bottom, w))));
}

void WindowDesignTest::viewsShowExactlyTheirBands_data()
{
    QTest::addColumn<int>("bandsSeen");
    QTest::newRow("normal") << 1;
    QTest::newRow("data") << 2;
    QTest::newRow("extended") << 3;
    QTest::newRow("full") << 4;
}

void WindowDesignTest::viewsShowExactlyTheirBands()
{
    QFETCH(int, bandsSeen);

    ConsoleWindow c;
    MainWindow &w = c.start();
    switch (bandsSeen) {
    case 2:
        ctrlH(w);
        c.click(QStringLiteral("Command34"));
        c.click(QStringLiteral("Command34"));
        break;
    case 3:
        ctrlH(w);
        break;
    case 4:
        c.openFullView();
        break;
    }

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

void WindowDesignTest::buttonColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour"); // invalid: the platform's button face

    const QList<QPair<const char *, QRgb>> sample = {
        {"Command17", 0xC0FFC0}, {"Command18", 0xFFC0C0}, {"Command27", 0xC0FFFF},
        {"Command53", 0xC0FFFF}, {"Command23", 0xC0FFC0}, {"Command26", 0xFFC0C0},
        {"Command31", 0xC0FFFF}, {"Command59", 0xFFE0C0}, {"Command62", 0xFFE0C0},
        {"Command5", 0xFFE0C0},  {"Command6", 0xFF8000},  {"Command9", 0xFFE0C0},
        {"Command1", 0xFFC080},  {"Command2", 0xFFC080},  {"Command15", 0xC0FFFF},
        {"Command48", 0xC0FFFF}, {"Command51", 0xC0FFFF}, {"Command13", 0x00C0C0},
        {"Command30", 0xC0C0FF}, {"Command14", 0xC0C0FF}, {"Command3", 0xC0C0FF},
        {"Command56", 0xFFFFC0}, {"Command58", 0xFFFFC0}, {"Command4", 0xC0FFFF},
        {"Command42", 0xC0FFFF}, {"Command16", 0xC0C0C0}, {"Command34", 0xC0C0C0},
        {"Command52", 0xFFE0C0}, {"Command44", 0xC0FFFF}, {"Command55", 0xC0FFFF},
        {"Command38", 0xC0FFFF}, {"Command12", 0xC0FFFF}, {"Command99", 0xFFE0C0},
        {"Command63", 0xC0FFFF}, {"Command70", 0xC0FFFF}, {"Command76", 0xC0FFFF},
        {"Command81", 0xC0FFFF}, {"Command87", 0xC0FFFF}, {"Command94", 0xC0FFFF},
        {"Command95", 0xC0FFC0}, {"Command96", 0xFFC0C0}, {"Command97", 0xC0FFC0},
        {"Command98", 0xC0FFC0},
    };
    for (const auto &[name, rgb] : sample)
        QTest::newRow(name) << QString::fromLatin1(name) << QColor::fromRgb(rgb);
    QTest::newRow("Command33 (COM)") << QStringLiteral("Command33") << QColor();
}

void WindowDesignTest::buttonColours()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);

    auto *button = m_console.control<QPushButton>(name);
    const QColor face = colour.isValid()
        ? colour
        : QApplication::palette(button).color(QPalette::Button);
    QCOMPARE(button->palette().color(QPalette::Button), face);
    QVERIFY(!button->isFlat());
}

void WindowDesignTest::trafficLines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("text");

    QTest::newRow("TXD line") << QStringLiteral("Label11") << QColor();
    QTest::newRow("RXD line") << QStringLiteral("Label12") << QColor();
    QTest::newRow("STATUS line") << QStringLiteral("Label22") << QColor(0xFF, 0, 0);
}

void WindowDesignTest::trafficLines()
{
    QFETCH(QString, name);
    QFETCH(QColor, text);

    auto *line = m_console.control<QLabel>(name);
    QCOMPARE(line->textFormat(), Qt::PlainText);
    QCOMPARE(line->frameShape(), QFrame::Box);
    QCOMPARE(line->frameShadow(), QFrame::Plain);
    QCOMPARE(line->lineWidth(), 1);
    QVERIFY(line->autoFillBackground());
    QCOMPARE(line->palette().color(line->backgroundRole()), QColor(0xFF, 0xFF, 0xFF));
    if (text.isValid())
        QCOMPARE(line->palette().color(line->foregroundRole()), text);
    // Painted: white inside the border.
    const QImage painted = line->grab().toImage();
    QCOMPARE(QColor(painted.pixel(painted.width() / 2, painted.height() / 2)),
             QColor(0xFF, 0xFF, 0xFF));
    QCOMPARE(QColor(painted.pixel(2, 2)), QColor(0xFF, 0xFF, 0xFF));
}

void WindowDesignTest::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("proportional"); // PGothic rather than Gothic
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");

    const struct
    {
        const char *name;
        bool proportional;
        double points;
        bool bold;
    } rows[] = {
        // Controls without a font of their own: the window's Gothic 9 bold.
        {"Label1", false, 9.0, true},
        {"Label3", false, 9.0, true},
        {"Command1", false, 9.0, true},
        {"Command16", false, 9.0, true},
        {"Command99", false, 9.0, true},
        {"Option1", false, 9.0, true},
        {"Option9", false, 9.0, true},
        {"Label27", false, 9.0, true},
        {"Command97", false, 9.0, true},
        {"Command95", false, 9.0, true},
        // Also inside the LENS SHIFT frame, whose own font is PGothic 7.5.
        {"Label20", false, 9.0, true},
        {"Command17", true, 9.0, true},
        {"Command27", true, 9.0, true},
        {"Command31", true, 9.0, false},
        {"Command59", true, 7.5, false},
        {"Command5", true, 9.0, true},
        {"Command6", false, 9.0, false},
        {"Command48", true, 9.0, false},
        {"Command49", false, 9.0, false},
        {"Command33", true, 9.0, false},
        {"Command34", true, 9.0, false},
        {"Command44", false, 8.25, true},
        {"Command12", false, 8.25, true},
        {"Label9", false, 9.0, false},
        {"Label11", true, 9.75, true},
        {"Label22", true, 9.0, true},
        {"Label23", false, 8.25, false},
        {"Label21", false, 8.25, false},
        {"Option3", false, 8.25, false},
        {"Option8", false, 8.25, false},
        {"Command63", false, 9.0, false},
        {"Label26", false, 9.75, false},
        {"Text1", false, 9.75, true},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.proportional << row.points
                                << row.bold;
}

void WindowDesignTest::fonts()
{
    QFETCH(QString, name);
    QFETCH(bool, proportional);
    QFETCH(double, points);
    QFETCH(bool, bold);

    const QFont font = m_console.control(name)->font();
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.bold(), bold);
    // Both faces are Japanese; Gothic gives every Latin letter the same width.
    const QString family = QFontInfo(font).family();
    QVERIFY2(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese),
             qPrintable(family));
    const QFontMetrics metrics(font);
    const bool oneWidth = metrics.horizontalAdvance(QLatin1Char('i'))
        == metrics.horizontalAdvance(QLatin1Char('W'));
    QVERIFY2(oneWidth != proportional, qPrintable(family));
}

void WindowDesignTest::japaneseCaptionsHaveTheirGlyphs_data()
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

void WindowDesignTest::japaneseCaptionsHaveTheirGlyphs()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);

    const QFont font = m_console.control(name)->font();
    const QString family = QFontInfo(font).family();
    QVERIFY2(QFontDatabase::families().contains(family), qPrintable(family));
    const QFontMetrics metrics(font);
    QVERIFY(metrics.inFontUcs4(U'デ'));
    for (const char32_t c : caption.toUcs4())
        QVERIFY2(metrics.inFontUcs4(c), qPrintable(QStringLiteral("%1 lacks U+%2")
                                                       .arg(family)
                                                       .arg(uint(c), 4, 16, QLatin1Char('0'))));
}

void WindowDesignTest::cursorPadOutline_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");

    const QPoint corners[] = {
        {1080, 2400}, {2160, 2400}, {2160, 2880}, {3120, 2880}, {3120, 3480}, {2160, 3480},
        {2160, 3960}, {1080, 3960}, {1080, 3480}, {120, 3480},  {120, 2880},  {1080, 2880},
    };
    for (int i = 0; i < 12; ++i) {
        const QString name = QStringLiteral("Line%1").arg(i + 1);
        QTest::newRow(qPrintable(name)) << name << corners[i] << corners[(i + 1) % 12];
    }
}

void WindowDesignTest::cursorPadOutline()
{
    QFETCH(QString, name);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);

    QWidget *line = m_console.control(name);
    const QWidget &w = *m_window;
    QCOMPARE(line->parentWidget(), m_window);
    QVERIFY(line->isVisible());
    const QRect r = line->geometry();
    const int x1 = px(std::min(from.x(), to.x()), w), x2 = px(std::max(from.x(), to.x()), w);
    const int y1 = px(std::min(from.y(), to.y()), w), y2 = px(std::max(from.y(), to.y()), w);
    const auto near = [](int a, int b) { return qAbs(a - b) <= 2; };
    // One side of the outline, 2 pixels wide, from corner to corner.
    if (from.y() == to.y()) {
        QCOMPARE(r.height(), 2);
        QVERIFY2(near(r.top(), y1), qPrintable(describe(r)));
        QVERIFY2(near(r.left(), x1) && near(r.left() + r.width(), x2), qPrintable(describe(r)));
    } else {
        QCOMPARE(r.width(), 2);
        QVERIFY2(near(r.left(), x1), qPrintable(describe(r)));
        QVERIFY2(near(r.top(), y1) && near(r.top() + r.height(), y2), qPrintable(describe(r)));
    }
    const QImage painted = line->grab().toImage();
    QCOMPARE(QColor(painted.pixel(0, 0)), QColor(0x80, 0x80, 0xFF));
    QCOMPARE(QColor(painted.pixel(painted.width() - 1, painted.height() - 1)),
             QColor(0x80, 0x80, 0xFF));
}

void WindowDesignTest::logo()
{
    auto *image = m_console.control<QLabel>(QStringLiteral("Image1"));
    QCOMPARE(image->pixmap().size(), QSize(80, 26));
    // Shown at its own size: every pixel of the bitmap is on the window.
    QVERIFY(image->width() >= 80 && image->height() >= 26);
    const QImage painted = image->grab(QRect(0, 0, 80, 26)).toImage();
    int red = 0;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (QColor(painted.pixel(x, y)) == QColor(0xFF, 0, 0))
                ++red;
    QVERIFY2(red > 80, qPrintable(QString::number(red)));
    QCOMPARE(QColor(painted.pixel(0, 0)), QColor(0xC0, 0xC0, 0xC0));
}

void WindowDesignTest::startState_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("selected");

    QTest::newRow("COM1") << QStringLiteral("Option1") << true;
    QTest::newRow("COM2") << QStringLiteral("Option2") << false;
    QTest::newRow("19200") << QStringLiteral("Option9") << true;
    QTest::newRow("9600") << QStringLiteral("Option10") << false;
    QTest::newRow("SINGLE") << QStringLiteral("Option3") << true;
    for (int n = 4; n <= 8; ++n) {
        const QString name = QStringLiteral("Option%1").arg(n);
        QTest::newRow(qPrintable(name)) << name << false;
    }
}

void WindowDesignTest::startState()
{
    QFETCH(QString, name);
    QFETCH(bool, selected);

    QCOMPARE(m_console.control<QRadioButton>(name)->isChecked(), selected);
    QCOMPARE(m_console.control<QLineEdit>(QStringLiteral("Text1"))->text(), QString());
    QVERIFY(!m_console.control(QStringLiteral("Frame8"))->isVisible());
    QVERIFY(!m_console.control(QStringLiteral("Command34"))->isVisible());
}

void WindowDesignTest::portPanelCoversTheComButton()
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
    const QRect face = com->geometry().intersected(panel->geometry());
    QCOMPARE(face, com->geometry());
}

QTEST_MAIN(WindowDesignTest)
#include "tst_windowdesign.moc"
