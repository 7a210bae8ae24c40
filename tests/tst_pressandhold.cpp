// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simulatedline.h"
#include "support/consolewindow.h"
#include "support/ptypair.h"

#include <QApplication>
#include <QEventLoop>
#include <QSignalSpy>
#include <algorithm>

class FarEnd;

// One of the nineteen buttons as the design tabulates it: what it sends, and
// the repeat code and intervals in force once it is pressed at start-up.
struct HoldButton
{
    const char *label = "";
    const char *button = "";
    const char *text = "";
    int repeatCode = 0;
    int timer1 = 0;
    int timer2 = 0;
    int timer4 = 0;
};
Q_DECLARE_METATYPE(HoldButton)

// How a button is held: for how long and how many commands that sends, after
// which set-up steps (see perform()) and in which cursor mode, with which mouse
// button, whether as the second press of a double-click, and which button's
// release ends it (none: the held one's).
struct Hold
{
    int holdMs = 0;
    int count = 1;
    QStringList setup = {};
    int cursorMode = 0;
    Qt::MouseButton mouseButton = Qt::LeftButton;
    bool doubleClick = false;
    const char *releasedOn = nullptr;
};
Q_DECLARE_METATYPE(Hold)

// Press-and-hold repetition in the real window: presses and releases of the
// nineteen buttons, the repetition tick and its timing as seen at the far end
// of a real line, refusals, and a line that is still busy.
class PressAndHoldTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void releasedAtOnce_data();
    void releasedAtOnce() { holdRepeats(); }
    void holdRepeats_data();
    void holdRepeats();
    void arrowRepeats_data();
    void arrowRepeats() { holdRepeats(); }
    void secondPressReplacesTheHold();
    void keyboardActivationSendsNothing_data();
    void keyboardActivationSendsNothing();
    void digitalZoomArrowTiming();
    void releaseWithoutPress_data();
    void releaseWithoutPress();
    void prefixIsReadAtEveryTick();
    void refusedTickIsToldOncePerHold_data();
    void refusedTickIsToldOncePerHold();
    void refusedPressStartsNoRepetition_data();
    void refusedPressStartsNoRepetition();
    void busyLineSkipsTicks_data();
    void busyLineSkipsTicks();
    void slowLineIsNeverOutrun();

private:
    // Opens port 1 on a real pseudo-terminal whose master the far end watches.
    bool startOnPty();
    // Starts on fake lines, runs `setup` and forgets what it wrote.
    FakeLine &startOnFakeLine(const QStringList &setup);
    // Runs setup steps: "click:CommandN" or "tap:CommandN" (press and release).
    void perform(const QStringList &steps);

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<ConsoleWindow> m_console;
    std::unique_ptr<FarEnd> m_far;
    SimulatedLine *m_simLine = nullptr;
};

namespace {

// How far a command may arrive from its nominal time; a loaded two-core
// machine keeps within it.
constexpr double kSlackMs = 30;

// The menu arrows set no interval at start-up: they tick at Timer1's 200 and
// leave Timer2 and Timer4 at 500 and 1000.
constexpr HoldButton kButtons[] = {
    {"VOL +", "Command1", "C09\r", 1, 250, 200, 245},
    {"VOL -", "Command2", "C0A\r", 2, 250, 200, 245},
    {"Zoom +", "Command15", "C47\r", 7, 50, 25, 25},
    {"Zoom -", "Command35", "C46\r", 8, 50, 25, 25},
    {"Focus +", "Command36", "C4B\r", 9, 50, 25, 25},
    {"Focus -", "Command37", "C4A\r", 10, 50, 25, 25},
    {"D.Zoom +", "Command48", "C30\r", 17, 250, 200, 245},
    {"D.Zoom -", "Command49", "C31\r", 18, 250, 200, 245},
    {"Keystone +", "Command50", "C8E\r", 19, 250, 200, 245},
    {"Keystone -", "Command51", "C8F\r", 20, 250, 200, 245},
    {"LENS SHIFT up", "Command59", "C5D\r", 21, 50, 25, 25},
    {"LENS SHIFT down", "Command62", "C5E\r", 22, 50, 25, 25},
    {"LENS SHIFT left", "Command60", "C5F\r", 23, 50, 25, 25},
    {"LENS SHIFT right", "Command61", "C60\r", 24, 50, 25, 25},
    {"SELECT", "Command6", "C3F\r", 13, 500, 200, 245},
    {"menu up", "Command5", "C3C\r", 3, 200, 500, 1000},
    {"menu down", "Command7", "C3D\r", 4, 200, 500, 1000},
    {"menu left", "Command9", "C3B\r", 5, 200, 500, 1000},
    {"menu right", "Command8", "C3A\r", 6, 200, 500, 1000},
};

const HoldButton &holdButton(const char *label)
{
    for (const HoldButton &b : kButtons) {
        if (qstrcmp(b.label, label) == 0)
            return b;
    }
    qFatal("no button %s", label);
}

struct Arrival
{
    QByteArray text;
    double atMs;
};

QString describe(const QList<Arrival> &arrivals, double originMs)
{
    QStringList parts;
    for (const Arrival &a : arrivals)
        parts << QStringLiteral("%1@%2").arg(QString::fromLatin1(a.text.chopped(1)))
                     .arg(a.atMs - originMs, 0, 'f', 1);
    return parts.join(QLatin1Char(' '));
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Empty if every arrival is `text`, the k-th one k * interval after the press.
QString scheduleMismatch(const QList<Arrival> &got, const QByteArray &text, double pressedAt,
                         int interval, int count)
{
    const QString seen = describe(got, pressedAt);
    if (got.size() != count)
        return QStringLiteral("%1 commands, expected %2: %3").arg(got.size()).arg(count).arg(seen);
    for (int k = 0; k < got.size(); ++k) {
        if (got.at(k).text != text)
            return QStringLiteral("command %1 is not %2: %3")
                .arg(k)
                .arg(QString::fromLatin1(text.chopped(1)), seen);
        const double off = got.at(k).atMs - pressedAt - k * interval;
        if (std::abs(off) > kSlackMs)
            return QStringLiteral("command %1 off by %2 ms: %3").arg(k).arg(off).arg(seen);
    }
    return {};
}

} // namespace

// The far end of the line: collects the command texts that reach it and the
// time each carriage return arrived.
class FarEnd : public QObject
{
public:
    FarEnd()
    {
        m_clock.start();
        m_poll.setTimerType(Qt::PreciseTimer);
        m_poll.setInterval(1);
        connect(&m_poll, &QTimer::timeout, this, &FarEnd::collect);
    }

    // Polls a pseudo-terminal's master every millisecond.
    void watch(PtyPair *pty)
    {
        m_pty = pty;
        m_poll.start();
    }

    double now() const { return m_clock.nsecsElapsed() / 1e6; }

    // Command texts seen by other means (the simulated projectors).
    void arrived(const QByteArray &text) { m_arrivals.append({text, now()}); }

    // Runs the event loop until `ms` after `fromMs`; timers fire on time here,
    // unlike in QTest::qWait, which sleeps between turns.
    void waitUntil(double fromMs, int ms)
    {
        const int left = int(fromMs + ms - now());
        if (left > 0) {
            QEventLoop loop;
            QTimer::singleShot(left, Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec();
        }
        collect();
    }
    void wait(int ms) { waitUntil(now(), ms); }

    QList<Arrival> take()
    {
        collect();
        return std::exchange(m_arrivals, {});
    }
    QList<Arrival> arrivals()
    {
        collect();
        return m_arrivals;
    }

private:
    void collect()
    {
        if (!m_pty)
            return;
        const QByteArray bytes = m_pty->takeAll();
        const double at = now();
        for (const char byte : bytes) {
            m_partial += byte;
            if (byte == '\r')
                m_arrivals.append({std::exchange(m_partial, {}), at});
        }
    }

    PtyPair *m_pty = nullptr;
    QElapsedTimer m_clock;
    QTimer m_poll;
    QByteArray m_partial;
    QList<Arrival> m_arrivals;
};

void PressAndHoldTest::init()
{
    m_far = std::make_unique<FarEnd>();
    m_console = std::make_unique<ConsoleWindow>();
}

void PressAndHoldTest::cleanup()
{
    m_console.reset();
    m_simLine = nullptr;
    m_far.reset();
    m_pty.reset();
}

bool PressAndHoldTest::startOnPty()
{
    m_pty = std::make_unique<PtyPair>();
    if (!m_pty->isValid())
        return false;
    m_console->devices[1] = m_pty->slavePath();
    m_console->start();
    m_console->openFullView();
    m_far->watch(m_pty.get());
    return probe(*m_console->window).comm().portOpen();
}

FakeLine &PressAndHoldTest::startOnFakeLine(const QStringList &setup)
{
    m_console->start();
    m_console->openFullView();
    perform(setup);
    FakeLine &line = *m_console->fakes[1];
    line.writes.clear();
    return line;
}

void PressAndHoldTest::perform(const QStringList &steps)
{
    for (const QString &step : steps) {
        const QString button = step.section(QLatin1Char(':'), 1);
        if (step.startsWith(QLatin1String("click:"))) {
            m_console->click(button);
        } else {
            m_console->press(button);
            m_console->release(button);
        }
    }
    m_far->wait(100);
    m_far->take();
}

void PressAndHoldTest::releasedAtOnce_data()
{
    QTest::addColumn<HoldButton>("held");
    QTest::addColumn<Hold>("hold");

    // Released before the first tick, each of the nineteen sends once.
    for (const HoldButton &b : kButtons)
        QTest::addRow("%s, released at once", b.label) << b << Hold{};
}

void PressAndHoldTest::holdRepeats_data()
{
    QTest::addColumn<HoldButton>("held");
    QTest::addColumn<Hold>("hold");

    const auto row = [](const char *tag, const HoldButton &held, const Hold &hold) {
        QTest::newRow(tag) << held << hold;
    };
    row("VOL +, held for about a second", holdButton("VOL +"), {.holdMs = 880, .count = 4});
    row("SELECT, held", holdButton("SELECT"), {.holdMs = 1250, .count = 3});
    row("Keystone +, held", holdButton("Keystone +"), {.holdMs = 630, .count = 3});
    row("D.Zoom -, held", holdButton("D.Zoom -"), {.holdMs = 630, .count = 3});
    row("Zoom -, held", holdButton("Zoom -"), {.holdMs = 330, .count = 7});
    row("Focus +, held", holdButton("Focus +"), {.holdMs = 330, .count = 7});
    row("LENS SHIFT right, held", holdButton("LENS SHIFT right"), {.holdMs = 330, .count = 7});

    // Any mouse button holds, so does the second press of a double-click, and
    // the release of any of the nineteen ends the hold.
    const HoldButton &vol = holdButton("VOL +");
    row("VOL +, right mouse button", vol,
        {.holdMs = 630, .count = 3, .mouseButton = Qt::RightButton});
    row("VOL +, middle mouse button", vol,
        {.holdMs = 630, .count = 3, .mouseButton = Qt::MiddleButton});
    row("VOL +, double-click held", vol, {.holdMs = 630, .count = 3, .doubleClick = true});
    row("VOL +, released on menu down", vol,
        {.holdMs = 380, .count = 2, .releasedOn = "Command7"});
}

void PressAndHoldTest::arrowRepeats_data()
{
    QTest::addColumn<HoldButton>("held");
    QTest::addColumn<Hold>("hold");
    const auto row = [](const char *tag, const HoldButton &held, const Hold &hold) {
        QTest::newRow(tag) << held << hold;
    };

    // The arrows tick at whatever Timer1 last received; the cursor mode gives
    // Timer2 and Timer4: 150 and 190 under menu timing, 5 and 5 under
    // digital-zoom timing.
    const HoldButton down{"menu down", "Command7", "C3D\r", 4, 200, 150, 190};
    const HoldButton left{"menu left", "Command9", "C3B\r", 5, 200, 150, 190};
    const HoldButton right{"menu right", "Command8", "C3A\r", 6, 200, 150, 190};
    const HoldButton upAt250{"menu up", "Command5", "C3C\r", 3, 250, 5, 5};
    row("menu up, right after start-up", holdButton("menu up"), {.holdMs = 500, .count = 3});
    row("menu down, after MENU ON", down,
        {.holdMs = 500, .count = 3, .setup = {"click:Command23"}, .cursorMode = 1});
    row("menu left, after MENU ON, MENU OFF", left,
        {.holdMs = 500, .count = 3, .setup = {"click:Command23", "click:Command24"},
         .cursorMode = 1});
    row("menu right, after A-IMAGE", right,
        {.holdMs = 500, .count = 3, .setup = {"click:Command13"}, .cursorMode = 1});
    row("menu up, after D.Zoom release, VOL press and release", upAt250,
        {.holdMs = 625, .count = 3, .setup = {"tap:Command48", "tap:Command1"}, .cursorMode = 3});
    row("menu down, after D.Zoom release, MENU ON", down,
        {.holdMs = 500, .count = 3, .setup = {"tap:Command49", "click:Command23"},
         .cursorMode = 1});
}

void PressAndHoldTest::holdRepeats()
{
    QFETCH(HoldButton, held);
    QFETCH(Hold, hold);
    QVERIFY(startOnPty());
    MainWindow &w = *m_console->window;
    perform(hold.setup);
    QCOMPARE(probe(w).state().CursorMode, quint8(hold.cursorMode));
    QWidget *button = m_console->control(QString::fromLatin1(held.button));
    const QByteArray text(held.text);

    const double pressedAt = m_far->now();
    if (hold.doubleClick) {
        // The second press of a quick double-click comes as a double-click event.
        QTest::mouseClick(button, hold.mouseButton);
        QTest::mouseDClick(button, hold.mouseButton);
    } else {
        QTest::mousePress(button, hold.mouseButton);
    }
    QCOMPARE(probe(w).state().RepeatCode, quint8(held.repeatCode));
    QCOMPARE(probe(w).state().SendText, QString::fromLatin1(text));
    QVERIFY(probe(w).timer(1).isActive());
    QCOMPARE(probe(w).timer(1).interval(), held.timer1);
    QCOMPARE(probe(w).timer(2).interval(), held.timer2);
    QCOMPARE(probe(w).timer(4).interval(), held.timer4);
    m_far->waitUntil(pressedAt, hold.holdMs);
    QVERIFY(probe(w).timer(1).isActive());

    const QString releasedOn = QString::fromLatin1(hold.releasedOn ? hold.releasedOn : held.button);
    QTest::mouseRelease(m_console->control(releasedOn), hold.mouseButton);
    QCOMPARE(probe(w).state().RepeatCode, quint8(0));
    QVERIFY(!probe(w).timer(1).isActive());
    QVERIFY(!probe(w).timer(2).isActive());
    QCOMPARE(probe(w).timer(2).interval(), 500);
    QCOMPARE(probe(w).timer(4).interval(), 1000);
    QCOMPARE(m_console->txd(), QString());

    // The release sends nothing: no tick comes after it. Released before the
    // first tick, the stopped Timer1 above shows that; only the press is awaited.
    m_far->wait(hold.count == 1 ? 50 : held.timer1 + 50);
    QList<Arrival> got = m_far->take();
    if (hold.doubleClick) {
        QVERIFY2(!got.isEmpty() && got.first().text == text, qPrintable(describe(got, 0)));
        got.removeFirst();
    }
    QCOMPARE(scheduleMismatch(got, text, pressedAt, held.timer1, hold.count), QString());
}

void PressAndHoldTest::secondPressReplacesTheHold()
{
    QVERIFY(startOnPty());
    MainWindow &w = *m_console->window;
    const double pressedAt = m_far->now();
    m_console->press(QStringLiteral("Command1"), Qt::LeftButton);
    m_far->waitUntil(pressedAt, 300);
    const double zoomAt = m_far->now();
    m_console->press(QStringLiteral("Command15"), Qt::RightButton);
    QCOMPARE(probe(w).state().RepeatCode, quint8(7));
    QCOMPARE(probe(w).timer(1).interval(), 50);
    m_far->waitUntil(zoomAt, 130);
    m_console->release(QStringLiteral("Command15"), Qt::RightButton);
    QVERIFY(!probe(w).timer(1).isActive());
    m_far->wait(300);

    const QList<Arrival> got = m_far->take();
    const QString seen = describe(got, pressedAt);
    QCOMPARE(got.size(), 5);
    QVERIFY2(got.at(0).text == "C09\r" && got.at(1).text == "C09\r", qPrintable(seen));
    QCOMPARE(scheduleMismatch(got.mid(2), "C47\r", zoomAt, 50, 3), QString());
}

void PressAndHoldTest::keyboardActivationSendsNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("VOL + Space") << "Command1" << Qt::Key_Space;
    QTest::newRow("SELECT Space") << "Command6" << Qt::Key_Space;
    QTest::newRow("menu up Return") << "Command5" << Qt::Key_Return;
    QTest::newRow("D.Zoom + Enter") << "Command48" << Qt::Key_Enter;
}

void PressAndHoldTest::keyboardActivationSendsNothing()
{
    QFETCH(QString, button);
    QFETCH(Qt::Key, key);
    QVERIFY(startOnPty());
    MainWindow &w = *m_console->window;
    auto *b = m_console->control<QPushButton>(button);
    QSignalSpy clicked(b, &QAbstractButton::clicked);
    b->setFocus();
    QTest::keyClick(b, key);
    QCOMPARE(clicked.count(), 1);

    m_far->wait(600);
    QCOMPARE(m_far->take().size(), 0);
    QCOMPARE(probe(w).state().RepeatCode, quint8(0));
    QVERIFY(!probe(w).timer(1).isActive());
    QCOMPARE(probe(w).timer(1).interval(), 200);
    QCOMPARE(probe(w).state().CursorMode, quint8(0));
    QCOMPARE(m_console->txd(), QString());
}

// Digital-zoom timing: 5 ms is too fine for a schedule check of each command,
// so the count and the typical spacing are checked instead.
void PressAndHoldTest::digitalZoomArrowTiming()
{
    QVERIFY(startOnPty());
    MainWindow &w = *m_console->window;
    perform({QStringLiteral("tap:Command48")});
    QCOMPARE(probe(w).timer(1).interval(), 5);
    QCOMPARE(probe(w).state().CursorMode, quint8(3));

    const double pressedAt = m_far->now();
    m_console->press(QStringLiteral("Command5"));
    QCOMPARE(probe(w).timer(1).interval(), 5);
    QCOMPARE(probe(w).timer(2).interval(), 5);
    QCOMPARE(probe(w).timer(4).interval(), 5);
    m_far->waitUntil(pressedAt, 300);
    const double releasedAt = m_far->now();
    m_console->release(QStringLiteral("Command5"));
    // Timer1 keeps digital-zoom timing after an arrow's release.
    QCOMPARE(probe(w).timer(1).interval(), 5);
    m_far->wait(200);

    const QList<Arrival> got = m_far->take();
    const QString seen = describe(got, pressedAt);
    QList<double> spacing;
    for (int k = 0; k < got.size(); ++k) {
        QVERIFY2(got.at(k).text == "C3C\r", qPrintable(seen));
        if (k > 0)
            spacing << got.at(k).atMs - got.at(k - 1).atMs;
    }
    // 61 at most; a loaded machine loses some ticks but not most of them.
    QVERIFY2(got.size() >= 25 && got.size() <= 62, qPrintable(seen));
    QVERIFY2(std::abs(median(spacing) - 5) <= 2, qPrintable(seen));
    QVERIFY2(got.last().atMs <= releasedAt + 5, qPrintable(seen));
}

void PressAndHoldTest::releaseWithoutPress_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("digitalZoom");
    QTest::newRow("VOL +") << "Command1" << false;
    QTest::newRow("menu up") << "Command5" << false;
    QTest::newRow("D.Zoom +") << "Command48" << true;
    QTest::newRow("D.Zoom -") << "Command49" << true;
}

void PressAndHoldTest::releaseWithoutPress()
{
    QFETCH(QString, button);
    QFETCH(bool, digitalZoom);
    QVERIFY(startOnPty());
    MainWindow &w = *m_console->window;

    // A picture mode sets the 2000/2500 pair, under which a STATUS query then
    // runs; the replies to both stay in the buffer while the window is open.
    m_console->click(QStringLiteral("Command4"));
    m_console->click(QStringLiteral("Command44"));
    QTRY_COMPARE(m_far->arrivals().size(), 2);
    QCOMPARE(m_far->arrivals().at(0).text, QByteArray("CF IMAGE STAND\r"));
    QCOMPARE(m_far->arrivals().at(1).text, QByteArray("CR0\r"));
    m_far->take();
    m_pty->write("\x06\r00\r");
    QTRY_COMPARE(m_console->statusLine(), QStringLiteral(" Power ON"));
    QCOMPARE(probe(w).state().RecvBuffer, QStringLiteral("\x06\r00\r"));
    QVERIFY(probe(w).timer(2).isActive());
    QCOMPARE(probe(w).timer(2).interval(), 2000);
    QCOMPARE(m_console->txd(), QStringLiteral(" C R 0 CR "));
    QCOMPARE(m_console->rxd(), QStringLiteral(" ACK CR 0 0 CR "));

    const double releasedAt = m_far->now();
    m_console->release(button);
    QCOMPARE(probe(w).state().RepeatCode, quint8(0));
    QVERIFY(!probe(w).timer(1).isActive());
    QVERIFY(!probe(w).timer(2).isActive());
    QVERIFY(probe(w).timer(4).isActive());
    QCOMPARE(probe(w).timer(2).interval(), 500);
    QCOMPARE(probe(w).timer(4).interval(), 1000);
    QCOMPARE(m_console->txd(), QString());
    QCOMPARE(m_console->rxd(), QString());
    QCOMPARE(m_console->statusLine(), QStringLiteral(" Power ON"));
    QCOMPARE(probe(w).state().RecvBuffer, QString());
    QCOMPARE(probe(w).timer(1).interval(), digitalZoom ? 5 : 200);
    QCOMPARE(probe(w).state().CursorMode, quint8(digitalZoom ? 3 : 0));

    // No " X X X X" from the stopped reply window; STATUS goes at 1000 ms.
    m_far->waitUntil(releasedAt, 1000 - int(kSlackMs));
    QCOMPARE(m_console->rxd(), QString());
    QCOMPARE(m_console->statusLine(), QStringLiteral(" Power ON"));
    m_far->waitUntil(releasedAt, 1000 + int(kSlackMs));
    QCOMPARE(m_console->statusLine(), QString());
    QVERIFY(!probe(w).timer(4).isActive());
    QCOMPARE(m_far->take().size(), 0);
}

void PressAndHoldTest::prefixIsReadAtEveryTick()
{
    QVERIFY(startOnPty());
    const double pressedAt = m_far->now();
    m_console->press(QStringLiteral("Command1"));
    m_far->waitUntil(pressedAt, 375);
    m_console->choose(QStringLiteral("Option5")); // "001"
    m_far->waitUntil(pressedAt, 880);
    m_console->release(QStringLiteral("Command1"));
    m_far->wait(300);

    const QList<Arrival> got = m_far->take();
    QStringList texts;
    for (const Arrival &a : got)
        texts << QString::fromLatin1(a.text);
    QCOMPARE(texts, (QStringList{"C09\r", "C09\r", "A001C09\r", "A001C09\r"}));
    QCOMPARE(scheduleMismatch(got.mid(2), "A001C09\r", pressedAt + 500, 250, 2), QString());
}

void PressAndHoldTest::refusedTickIsToldOncePerHold_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("deviceGoesAway");
    QTest::newRow("VOL +, port closed") << "Command1" << QStringList() << 250 << false;
    QTest::newRow("Zoom +, port closed") << "Command15" << QStringList() << 50 << false;
    QTest::newRow("arrow at 5 ms, port closed")
        << "Command8" << QStringList{"tap:Command48"} << 5 << false;
    QTest::newRow("VOL +, device goes away") << "Command1" << QStringList() << 250 << true;
}

void PressAndHoldTest::refusedTickIsToldOncePerHold()
{
    QFETCH(QString, button);
    QFETCH(QStringList, setup);
    QFETCH(int, interval);
    QFETCH(bool, deviceGoesAway);
    FakeLine &line = startOnFakeLine(setup);
    MainWindow &w = *m_console->window;
    QSignalSpy told(&w.notice(), &RefusalNotice::told);

    m_console->press(button);
    QCOMPARE(line.writes.size(), 1);
    if (deviceGoesAway)
        line.pullThePlug();
    else
        line.close();
    m_far->wait(4 * interval + 20);
    QVERIFY(probe(w).timer(1).isActive());
    QCOMPARE(told.count(), 1);
    QVERIFY(w.notice().isShown());
    if (deviceGoesAway)
        QVERIFY2(w.notice().text().contains(QLatin1String("went away")),
                 qPrintable(w.notice().text()));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    m_console->release(button);
    QCOMPARE(probe(w).state().RepeatCode, quint8(0));
    QVERIFY(!probe(w).timer(1).isActive());
    QCOMPARE(m_console->txd(), QString());
    m_far->wait(4 * interval + 20);
    QCOMPARE(told.count(), 1);
    QCOMPARE(line.writes.size(), 1);
}

void PressAndHoldTest::refusedPressStartsNoRepetition_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<int>("repeatCode");
    QTest::addColumn<int>("timer2");
    QTest::addColumn<int>("timer4");
    // A refused fixed-rate press sets no intervals; a refused arrow press has
    // already set those of its cursor mode.
    QTest::newRow("VOL +") << "Command1" << QStringList() << 1 << 500 << 1000;
    QTest::newRow("SELECT") << "Command6" << QStringList() << 13 << 500 << 1000;
    QTest::newRow("arrow after MENU ON")
        << "Command5" << QStringList{"click:Command23"} << 3 << 150 << 190;
    QTest::newRow("arrow after D.Zoom")
        << "Command9" << QStringList{"tap:Command48"} << 5 << 5 << 5;
}

void PressAndHoldTest::refusedPressStartsNoRepetition()
{
    QFETCH(QString, button);
    QFETCH(QStringList, setup);
    QFETCH(int, repeatCode);
    QFETCH(int, timer2);
    QFETCH(int, timer4);
    FakeLine &line = startOnFakeLine(setup);
    MainWindow &w = *m_console->window;
    const int timer1 = probe(w).timer(1).interval();
    line.close();
    const QString shown = m_console->txd();
    QSignalSpy told(&w.notice(), &RefusalNotice::told);

    m_console->press(button);
    QCOMPARE(told.count(), 1);
    QCOMPARE(probe(w).state().RepeatCode, quint8(repeatCode));
    QVERIFY(!probe(w).timer(1).isActive());
    QCOMPARE(probe(w).timer(1).interval(), timer1);
    QCOMPARE(probe(w).timer(2).interval(), timer2);
    QCOMPARE(probe(w).timer(4).interval(), timer4);
    QCOMPARE(m_console->txd(), shown);
    m_far->wait(600);
    m_console->release(button);
    QCOMPARE(probe(w).state().RepeatCode, quint8(0));
    QCOMPARE(told.count(), 1);
    QVERIFY(line.writes.isEmpty());
}

void PressAndHoldTest::busyLineSkipsTicks_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("interval");
    QTest::newRow("VOL +") << "Command1" << QStringList() << QByteArray("C09\r") << 250;
    QTest::newRow("Focus -") << "Command37" << QStringList() << QByteArray("C4A\r") << 50;
    QTest::newRow("arrow at 5 ms")
        << "Command7" << QStringList{"tap:Command48"} << QByteArray("C3D\r") << 5;
}

// A tick while bytes still wait to leave sends nothing; the press always sends.
void PressAndHoldTest::busyLineSkipsTicks()
{
    QFETCH(QString, button);
    QFETCH(QStringList, setup);
    QFETCH(QByteArray, text);
    QFETCH(int, interval);
    FakeLine &line = startOnFakeLine(setup);
    MainWindow &w = *m_console->window;

    line.waiting = 4;
    const double pressedAt = m_far->now();
    m_console->press(button);
    QCOMPARE(line.writes, QList<QByteArray>{text});
    m_far->waitUntil(pressedAt, 3 * interval + interval / 2);
    QVERIFY(probe(w).timer(1).isActive());
    QCOMPARE(line.writes.size(), 1);

    line.waiting = 0;
    QTRY_VERIFY(line.writes.size() >= 2);
    line.waiting = 4;
    const qsizetype sent = line.writes.size();
    QCOMPARE(line.writes, QList<QByteArray>(sent, text));
    m_far->wait(3 * interval + interval / 2);
    m_console->release(button);
    m_far->wait(3 * interval);
    QCOMPARE(line.writes.size(), sent);
}

// At 9600 baud an addressed command takes 8.3 ms on the wire. Held under
// digital-zoom timing, an arrow ticks every 5 ms, yet only as many commands
// go out as the line carries, and the projector stops within one command of
// the release.
void PressAndHoldTest::slowLineIsNeverOutrun()
{
    MainWindow &w = m_console->startFullView([this](int port) -> std::unique_ptr<CommLine> {
        if (port != 1)
            return nullptr;
        auto made = std::make_unique<SimulatedLine>();
        made->model().setBaudRate(9600);
        m_simLine = made.get();
        return made;
    });
    SimulatedLine *line = m_simLine;
    QVERIFY(line);
    line->setLogHook([this](const QString &entry) {
        if (entry.startsWith(QLatin1String("received ")))
            m_far->arrived(
                entry.mid(9).replace(QLatin1String("<CR>"), QLatin1String("\r")).toLatin1());
    });

    m_console->click(QStringLiteral("Command33"));
    m_console->choose(QStringLiteral("Option10")); // 9600
    QCOMPARE(probe(w).comm().settings(), QStringLiteral("9600,N,8,1"));
    m_console->choose(QStringLiteral("Option5")); // 001
    perform({QStringLiteral("tap:Command48")});
    QCOMPARE(probe(w).timer(1).interval(), 5);
    QVERIFY(m_console->warnings.isEmpty());

    const double pressedAt = m_far->now();
    m_console->press(QStringLiteral("Command8"));
    m_far->waitUntil(pressedAt, 300);
    const double releasedAt = m_far->now();
    m_console->release(QStringLiteral("Command8"));
    m_far->wait(300);

    const QList<Arrival> got = m_far->take();
    const QString seen = describe(got, pressedAt);
    constexpr double commandMs = 8 * 10 * 1000.0 / 9600;
    for (const Arrival &a : got)
        QVERIFY2(a.text == "A001C3A\r", qPrintable(seen));
    // One command per 8.3 ms at most, the one under way at the release included.
    QVERIFY2(got.size() >= 10 && got.size() <= 300 / commandMs + 2, qPrintable(seen));
    // The simulated projectors note a command when the line's timer wakes,
    // which rounds up to whole milliseconds and may run a little late.
    constexpr double notedLateMs = 3;
    const auto late = std::count_if(got.cbegin(), got.cend(), [&](const Arrival &a) {
        return a.atMs > releasedAt + notedLateMs;
    });
    QVERIFY2(late <= 1, qPrintable(seen));
    QVERIFY2(got.last().atMs <= releasedAt + commandMs + 10, qPrintable(seen));
}

QTEST_MAIN(PressAndHoldTest)
#include "tst_pressandhold.moc"
