// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/layoutdesign.h"
#include "ctl/commandnames.h"

#include <QTest>

// projector-ctl's names against the catalogue and the window's own layout.
class CtlNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void everyButtonHasOneName();
    void namesAreTheWindowsWords();
    void findIgnoresCaseAndSpacing_data();
    void findIgnoresCaseAndSpacing();
};

void CtlNamesTest::everyButtonHasOneName()
{
    QStringList buttons;
    for (const commands::OneShot &button : commands::oneShots())
        buttons += button.name;
    for (const commands::Hold &button : commands::holds())
        buttons += QLatin1String(button.name);
    QStringList named;
    for (const ctlnames::Entry &entry : ctlnames::entries())
        named += entry.control;
    for (const QString &button : buttons)
        QVERIFY2(named.count(button) == 1, qPrintable(button));
    QCOMPARE(named.size(), buttons.size());
    QStringList names;
    for (const ctlnames::Entry &entry : ctlnames::entries())
        names += entry.name;
    names.removeDuplicates();
    QCOMPARE(names.size(), buttons.size());
}

namespace {

const layout::Control *control(const QString &name)
{
    for (const layout::Control &c : layout::controls()) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

QString words(const char *caption)
{
    static const QHash<QString, QString> arrows{{QStringLiteral("↑"), QStringLiteral("UP")},
                                                {QStringLiteral("↓"), QStringLiteral("DOWN")},
                                                {QStringLiteral("←"), QStringLiteral("LEFT")},
                                                {QStringLiteral("→"), QStringLiteral("RIGHT")}};
    const QString text = QString::fromUtf8(caption);
    return arrows.value(text, text.toUpper());
}

// The title over a button: its row label in the input grid, the label of its
// frame, or a label standing just above it in the window.
QString title(const layout::Control &button)
{
    const bool inFrame = qstrcmp(button.container, "Form1") != 0;
    const layout::Control *best = nullptr;
    for (const layout::Control &c : layout::controls()) {
        if (c.kind != layout::Kind::Label || qstrcmp(c.container, button.container) != 0
            || !*c.caption)
            continue;
        if (qstrcmp(button.container, "Frame14") == 0) {
            if (c.top == button.top)
                return words(c.caption);
            continue;
        }
        const bool above = c.top < button.top && button.top - c.top <= 800
                           && c.left < button.left + button.width && button.left < c.left + c.width;
        if ((inFrame || above) && (!best || c.top > best->top))
            best = &c;
    }
    return best ? words(best->caption) : QString();
}

} // namespace

// Each name is the title over its button and the button's caption.
void CtlNamesTest::namesAreTheWindowsWords()
{
    for (const ctlnames::Entry &entry : ctlnames::entries()) {
        const layout::Control *button = control(entry.control);
        QVERIFY2(button, qPrintable(entry.control));
        const QString expected
            = QStringList{title(*button), words(button->caption)}.join(u' ').trimmed();
        QCOMPARE(entry.name, expected);
    }
}

void CtlNamesTest::findIgnoresCaseAndSpacing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("control");
    QTest::newRow("lower case") << "sound mute off"
                                << "Command20";
    QTest::newRow("spaces") << "  Input  Mode Set 2 "
                            << "Command28";
    QTest::newRow("repeating") << "vol +"
                               << "Command1";
    QTest::newRow("grid") << "3 s-video"
                          << "Command84";
    QTest::newRow("unknown") << "POWER"
                             << "";
}

void CtlNamesTest::findIgnoresCaseAndSpacing()
{
    QFETCH(QString, typed);
    QFETCH(QString, control);
    const ctlnames::Command found = ctlnames::find(typed);
    const QString name = found.oneShot ? found.oneShot->name
                         : found.hold  ? QLatin1String(found.hold->name)
                                       : QString();
    QCOMPARE(name, control);
}

QTEST_GUILESS_MAIN(CtlNamesTest)
#include "tst_ctlnames.moc"
