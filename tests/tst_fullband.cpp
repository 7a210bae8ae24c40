// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/layoutdesign.h"
#include "support/consolewindow.h"

#include <QLineEdit>

// The full band is built when the window first grows to show it: until then
// it does not exist; once built it is stacked, ordered and wired as if it had
// been built with the rest of the window.
class FullBandTest : public QObject
{
    Q_OBJECT

private slots:
    void builtWhenShown_data();
    void builtWhenShown();
    void orderedAsTheDesign();
    void wiredWhenBuilt();
};

void FullBandTest::builtWhenShown_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<bool>("built");
    QTest::newRow("normal view") << QStringList{} << false;
    QTest::newRow("data view") << QStringList{"view button"} << false;
    // At 7200 the top edge of the input grid shows below the extended band.
    QTest::newRow("extended view") << QStringList{"Ctrl+H"} << true;
    QTest::newRow("full view") << QStringList{"Ctrl+H", "logo"} << true;
    QTest::newRow("back to normal") << QStringList{"Ctrl+H", "view button"} << true;
}

void FullBandTest::builtWhenShown()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, built);
    ConsoleWindow c;
    MainWindow &window = c.start();
    for (const QString &step : steps) {
        if (step == u"Ctrl+H")
            QTest::keyClick(&window, Qt::Key_H, Qt::ControlModifier);
        else if (step == u"logo")
            QTest::mouseDClick(c.control(QStringLiteral("Image1")), Qt::LeftButton);
        else
            window.findChild<QPushButton *>(QStringLiteral("Command34"))->click();
    }
    for (const char *name : {"Frame14", "Command63", "Text1", "Command98"}) {
        auto *w = window.findChild<QWidget *>(QLatin1String(name));
        QCOMPARE(w != nullptr, built);
        if (w)
            QVERIFY(w->isVisible());
    }
}

// Children in the table's order with the port panel in front of all; the
// focus chain in the table's order too.
void FullBandTest::orderedAsTheDesign()
{
    ConsoleWindow c;
    MainWindow &window = c.start();
    QTest::keyClick(&window, Qt::Key_H, Qt::ControlModifier);

    QStringList table;
    for (const layout::Control &control : layout::controls())
        table << QString::fromLatin1(control.name);

    QStringList stacked;
    for (QObject *child : window.children()) {
        if (table.contains(child->objectName()))
            stacked << child->objectName();
    }
    QCOMPARE(stacked.constLast(), QStringLiteral("Frame8"));
    QStringList expected;
    for (const layout::Control &control : layout::controls()) {
        if (QLatin1String(control.container) == u"Form1"
            && QLatin1String(control.name) != u"Frame8")
            expected << QString::fromLatin1(control.name);
    }
    expected << QStringLiteral("Frame8");
    QCOMPARE(stacked, expected);

    QStringList chain;
    for (QWidget *w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
        if (table.contains(w->objectName()))
            chain << w->objectName();
    }
    QStringList inTableOrder = chain;
    std::sort(inTableOrder.begin(), inTableOrder.end(),
              [&table](const QString &a, const QString &b) {
                  return table.indexOf(a) < table.indexOf(b);
              });
    QCOMPARE(chain, inTableOrder);
    QVERIFY(chain.contains(QStringLiteral("Text1")));
}

// Buttons of the band built by the growing window send their commands, and
// the manual entry its text.
void FullBandTest::wiredWhenBuilt()
{
    ConsoleWindow c;
    MainWindow &window = c.start();
    c.openFullView();
    FakeLine *line = c.fakes.at(1);

    window.findChild<QPushButton *>(QStringLiteral("Command97"))->click();
    QTRY_VERIFY(line->written.contains("CF FANSPEED MAX\r"));
    window.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("CR1"));
    window.findChild<QPushButton *>(QStringLiteral("Command95"))->click();
    QTRY_VERIFY(line->written.contains("CR1\r"));
}

QTEST_MAIN(FullBandTest)
#include "tst_fullband.moc"
