// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "layoutbuilder.h"
#include "layoutdesign.h"
#include "refusalnotice.h"
#include "twips.h"
#include "views.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

MainWindow::MainWindow(MSComm::LineFactory lines, QWidget *parent)
    : QWidget(parent), m_console(std::move(lines)), m_notice(new RefusalNotice(this))
{
    // Button faces show their colours in every style through the palette of
    // the Fusion style.
    if (QApplication::style()->name() != QLatin1String("fusion"))
        QApplication::setStyle(QStringLiteral("Fusion"));
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(layout::kCaption));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(layout::kWindowBackground));
    setPalette(palette);

    m_timer3.setObjectName(QStringLiteral("Timer3"));
    m_timer3.setTimerType(Qt::PreciseTimer);
    m_timer3.setInterval(5000);
    m_layout = new LayoutBuilder(this, dpi());
    m_layout->setFullBandBuilt([this](const auto &built) { wireControls(built); });
    showTrafficLines();
    m_views = std::make_unique<Views>(*this, *control<QPushButton>(QStringLiteral("Command34")),
                                      m_timer3);
    m_warningBox = [this](const QString &description) {
        QMessageBox::warning(this, windowTitle(), description);
    };

    connect(&m_console, &Console::warning, this,
            [this](const QString &description) { m_warningBox(description); });
    connect(&m_console, &Console::refused, m_notice, &RefusalNotice::tell);
    connect(&m_console, &Console::lineLost, m_notice, &RefusalNotice::tellNow);
    connect(&m_console, &Console::transmitted, m_notice, &RefusalNotice::withdraw);
    connect(&m_timer3, &QTimer::timeout, this, &MainWindow::Timer3_Timer);
    wireControls(m_layout->built());
    m_image1 = control(QStringLiteral("Image1"));

    setFixedWidth(twipsToPixels(layout::kClientWidth, dpi()));
    setWindowHeightTwips(layout::kClientHeight + kDesignFrameTwips);
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
}

qreal MainWindow::dpi() const
{
    return screen() ? screen()->logicalDotsPerInchY() : 96.0;
}

void MainWindow::showTrafficLines()
{
    const auto show = [this](const char *label, void (Console::*changed)(const QString &)) {
        connect(&m_console, changed, control<QLabel>(QString::fromLatin1(label)), &QLabel::setText);
    };
    show("Label11", &Console::txdChanged);
    show("Label12", &Console::rxdChanged);
    show("Label22", &Console::statusChanged);
}

void MainWindow::wireControls(const QHash<QString, QWidget *> &built)
{
    for (const commands::OneShot &button : commands::oneShots()) {
        auto *w = qobject_cast<QPushButton *>(built.value(button.name));
        if (!w)
            continue;
        connect(w, &QPushButton::clicked, this, [this, &button] { m_console.send(button.name); });
    }
    for (const commands::Hold &hold : commands::holds()) {
        if (QWidget *w = built.value(QString::fromLatin1(hold.name)))
            m_holdButtons.insert(w, &hold);
    }
    for (const commands::Address &address : commands::addresses()) {
        auto *option
            = qobject_cast<QRadioButton *>(built.value(QString::fromLatin1(address.option)));
        if (!option)
            continue;
        connect(option, &QRadioButton::toggled, this, [this, &address](bool checked) {
            if (checked)
                m_console.chooseAddress(QString::fromLatin1(address.prefix));
        });
    }

    const auto portOption = [this, &built](const char *name, qint16 n, qint16 m) {
        auto *option = qobject_cast<QRadioButton *>(built.value(QString::fromLatin1(name)));
        if (!option)
            return;
        connect(option, &QRadioButton::toggled, this, [this, n, m](bool checked) {
            if (checked)
                switchPort(n, m);
        });
        // Choosing the selected port again reopens it when it is closed.
        connect(option, &QRadioButton::pressed, this,
                [this, option] { m_optionWasSelected = option->isChecked(); });
        connect(option, &QRadioButton::clicked, this, [this, n, m] {
            if (std::exchange(m_optionWasSelected, false) && !m_console.port().portOpen())
                switchPort(n, m);
        });
    };
    portOption("Option1", 1, 2);
    portOption("Option2", 2, 1);

    const auto speedOption = [this, &built](const char *name, const char *settings) {
        auto *option = qobject_cast<QRadioButton *>(built.value(QString::fromLatin1(name)));
        if (!option)
            return;
        connect(option, &QRadioButton::toggled, this, [this, settings](bool checked) {
            if (checked)
                chooseSpeed(QString::fromLatin1(settings));
        });
    };
    speedOption("Option9", "19200,N,8,1");
    speedOption("Option10", "9600,N,8,1");

    const auto onClick = [this, &built](const char *name, auto handler) {
        if (auto *button = qobject_cast<QPushButton *>(built.value(QString::fromLatin1(name))))
            connect(button, &QPushButton::clicked, this, handler);
    };
    onClick("Command33", [this] { Command33_Click(); });
    onClick("Command34", [this] { m_views->Command34_Click(); });
    onClick("Command16", [this] { Command16_Click(); });
    onClick("Command95",
            [this] { m_console.sendText(control<QLineEdit>(QStringLiteral("Text1"))->text()); });
    onClick("Command96", [this] { Command96_Click(); });
}

void MainWindow::Form_Load()
{
    auto *com1 = control<QRadioButton>(QStringLiteral("Option1"));
    if (m_console.Form_Load([this] { placeAtStartUp(); })) {
        com1->setChecked(true);
        return;
    }
    // Port 1 is missing or in use: say so once, with where another device is
    // chosen, and stay up with the port closed; the port panel opens it, or
    // the other port, later.
    m_warningBox(m_console.port().errorDescription()
                 + QStringLiteral("\n\nTo choose another device, press \"COM\" and right-click "
                                  "\"COM1\" (or focus it and press the menu key)."));
    const QSignalBlocker quiet(com1);
    com1->setChecked(true);
}

void MainWindow::switchPort(qint16 n, qint16 m)
{
    if (m_console.switchPort(n, m))
        control(QStringLiteral("Frame8"))->hide();
}

void MainWindow::chooseSpeed(const QString &settings)
{
    if (!m_console.chooseSpeed(settings)) {
        // The option captioned with the speed still in force is marked again.
        const QString baud = m_console.port().settings().section(u',', 0, 0);
        for (auto *option : control(QStringLiteral("Frame13"))->findChildren<QRadioButton *>()) {
            const QSignalBlocker quiet(option);
            option->setChecked(option->text() == baud);
        }
        m_warningBox(m_console.port().errorDescription());
    }
    control(QStringLiteral("Frame8"))->hide();
}

void MainWindow::Command33_Click()
{
    control(QStringLiteral("Frame8"))->show();
    m_timer3.start();
}

void MainWindow::Timer3_Timer()
{
    control(QStringLiteral("Frame8"))->hide();
    m_timer3.stop();
}

void MainWindow::Command16_Click()
{
    m_console.end();
    close();
    emit ended();
}

void MainWindow::Command96_Click()
{
    control<QLineEdit>(QStringLiteral("Text1"))->clear();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_console.end();
    event->accept();
}

// Installed on the application: the window sees every key before the focused
// control (without taking it), and every mouse press of its buttons.
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    const bool mousePress = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    if (mousePress || type == QEvent::KeyPress) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            m_notice->operatorActed();
            if (type == QEvent::KeyPress) {
                auto *key = static_cast<QKeyEvent *>(event);
                const Qt::KeyboardModifiers mods = key->modifiers();
                const int shift = (mods & Qt::ShiftModifier ? 1 : 0)
                                  | (mods & Qt::ControlModifier ? 2 : 0)
                                  | (mods & Qt::AltModifier ? 4 : 0);
                m_views->Form_KeyDown(key->key(), shift);
            }
        }
    }
    if (const commands::Hold *hold = m_holdButtons.value(watched)) {
        // Any mouse button acts; the press and the release, never the click.
        if (mousePress)
            m_console.press(QLatin1String(hold->name));
        else if (type == QEvent::MouseButtonRelease)
            m_console.release(QLatin1String(hold->name));
    }
    if (type == QEvent::MouseButtonDblClick && watched == m_image1)
        m_views->Image1_DblClick();
    return QWidget::eventFilter(watched, event);
}

qint16 MainWindow::extendedView() const
{
    return m_views->extendedView();
}

int MainWindow::windowHeightTwips() const
{
    return m_heightTwips;
}

// The views are drawn for a title bar and border of kDesignFrameTwips: each
// view's client area is its whole-window height less that, whatever frame the
// platform draws, so that every view shows exactly its bands.
void MainWindow::setWindowHeightTwips(int twips)
{
    m_heightTwips = twips;
    setFixedSize(width(), twipsToPixels(twips - kDesignFrameTwips, dpi()));
}

void MainWindow::placeAtStartUp()
{
    const QRect screenArea = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    winId(); // the platform window, and so its frame, exists from here on
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const double width = twipsToPixels(layout::kClientWidth, dpi()) + frame.left() + frame.right();
    const double designHeight
        = twipsToPixels(layout::kClientHeight, dpi()) + frame.top() + frame.bottom();
    move(screenArea.x() + qRound((screenArea.width() - width) / 2.0),
         screenArea.y() + qRound((screenArea.height() - designHeight) / 2.0));
    setWindowHeightTwips(Views::kNormal);
}
