#include "mainwindow.h"

#include "commands/pressandhold.h"
#include "commands/senders.h"
#include "layoutbuilder.h"
#include "layoutdesign.h"
#include "link/traffic.h"
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
    : QWidget(parent), m_comm(std::move(lines)), m_notice(new RefusalNotice(this))
{
    // Button faces show their colours in every style through the palette of
    // the Fusion style.
    if (QApplication::style()->name() != QLatin1String("fusion"))
        QApplication::setStyle(QStringLiteral("Fusion"));
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(layout::kCaption));
    m_comm.setObjectName(QStringLiteral("MSComm1"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(layout::kWindowBackground));
    setPalette(palette);

    m_controls = buildLayout(this, dpi());
    buildTimers();

    m_traffic = std::make_unique<Traffic>(m_state, m_comm,
                                          TrafficLines{control<QLabel>(QStringLiteral("Label11")),
                                                       control<QLabel>(QStringLiteral("Label12")),
                                                       control<QLabel>(QStringLiteral("Label22"))},
                                          m_timer2, m_timer4);
    const SenderTimers timers{m_timer1, m_timer2, m_timer4};
    m_sender = std::make_unique<CommandSender>(m_state, *m_traffic, timers);
    m_pressAndHold = std::make_unique<PressAndHold>(m_state, *m_traffic, m_comm, timers);
    m_views = std::make_unique<Views>(*this, *control<QPushButton>(QStringLiteral("Command34")),
                                      m_timer3);
    m_warningBox = [this](const QString &description) {
        QMessageBox::warning(this, windowTitle(), description);
    };

    connect(m_traffic.get(), &Traffic::refused, m_notice, &RefusalNotice::tell);
    connect(&m_comm, &MSComm::lineLost, m_notice, &RefusalNotice::tellNow);
    wireControls();
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

QTimer &MainWindow::timer(int n)
{
    QTimer *timers[] = {&m_timer1, &m_timer2, &m_timer3, &m_timer4};
    return *timers[n - 1];
}

void MainWindow::buildTimers()
{
    // Precise timers: the coarse default drifts a 500 ms interval by 5 %.
    const int intervals[] = {200, 500, 5000, 1000};
    for (int n = 1; n <= 4; ++n) {
        QTimer &t = timer(n);
        t.setObjectName(QStringLiteral("Timer%1").arg(n));
        t.setTimerType(Qt::PreciseTimer);
        t.setInterval(intervals[n - 1]);
    }
    connect(&m_timer1, &QTimer::timeout, this, [this] { m_pressAndHold->Timer1_Timer(); });
    connect(&m_timer3, &QTimer::timeout, this, &MainWindow::Timer3_Timer);
}

void MainWindow::wireControls()
{
    for (const commands::OneShot &button : commands::oneShots()) {
        auto *w = control<QPushButton>(button.name);
        Q_ASSERT_X(w, qPrintable(button.name), "every one-shot button is in the layout");
        connect(w, &QPushButton::clicked, this, [this, &button] { m_sender->click(button); });
    }
    for (const commands::Hold &hold : commands::holds()) {
        QWidget *w = control(QString::fromLatin1(hold.name));
        Q_ASSERT_X(w, hold.name, "every press-and-hold button is in the layout");
        m_holdButtons.insert(w, &hold);
    }
    for (const commands::Address &address : commands::addresses()) {
        auto *option = control<QRadioButton>(QString::fromLatin1(address.option));
        connect(option, &QRadioButton::toggled, this, [this, &address](bool checked) {
            if (checked)
                m_state.AddressPrefix = QString::fromLatin1(address.prefix);
        });
    }

    const auto portOption = [this](const char *name, qint16 n, qint16 m) {
        auto *option = control<QRadioButton>(QString::fromLatin1(name));
        connect(option, &QRadioButton::toggled, this, [this, n, m](bool checked) {
            if (checked)
                switchPort(n, m);
        });
        // Choosing the selected port again reopens it when it is closed.
        connect(option, &QRadioButton::pressed, this,
                [this, option] { m_optionWasSelected = option->isChecked(); });
        connect(option, &QRadioButton::clicked, this, [this, n, m] {
            if (std::exchange(m_optionWasSelected, false) && !m_comm.portOpen())
                switchPort(n, m);
        });
    };
    portOption("Option1", 1, 2);
    portOption("Option2", 2, 1);

    const auto speedOption = [this](const char *name, const char *settings) {
        auto *option = control<QRadioButton>(QString::fromLatin1(name));
        connect(option, &QRadioButton::toggled, this, [this, settings](bool checked) {
            if (checked)
                chooseSpeed(QString::fromLatin1(settings));
        });
    };
    speedOption("Option9", "19200,N,8,1");
    speedOption("Option10", "9600,N,8,1");

    const auto onClick = [this](const char *name, auto handler) {
        connect(control<QPushButton>(QString::fromLatin1(name)), &QPushButton::clicked, this,
                handler);
    };
    onClick("Command33", [this] { Command33_Click(); });
    onClick("Command34", [this] { m_views->Command34_Click(); });
    onClick("Command16", [this] { Command16_Click(); });
    onClick("Command95",
            [this] { m_sender->sendManual(control<QLineEdit>(QStringLiteral("Text1"))->text()); });
    onClick("Command96", [this] { Command96_Click(); });
}

void MainWindow::Form_Load()
{
    m_state.CommSettings = QStringLiteral("19200,N,8,1");
    m_state.AddressPrefix.clear();
    placeAtStartUp();
    m_state.RepeatCode = 0;
    m_state.ReplyPending = 0;
    m_state.RecvBuffer.clear();
    m_comm.setCommPort(1);
    m_comm.setSettings(m_state.CommSettings);
    auto *com1 = control<QRadioButton>(QStringLiteral("Option1"));
    if (m_comm.setPortOpen(true)) {
        com1->setChecked(true);
        return;
    }
    // Port 1 is missing or in use: say so once and stay up with the port
    // closed; the port panel opens it, or the other port, later.
    m_warningBox(m_comm.errorDescription());
    const QSignalBlocker quiet(com1);
    com1->setChecked(true);
}

void MainWindow::switchPort(qint16 n, qint16 m)
{
    QString failure;
    const auto attempt = [&](bool ok) {
        if (!ok)
            failure = m_comm.errorDescription();
        return ok;
    };
    if (m_comm.portOpen())
        attempt(m_comm.setPortOpen(false));
    attempt(m_comm.setCommPort(n));
    // The port opens whenever it is closed, also after an earlier failure.
    if (failure.isEmpty())
        attempt(m_comm.setPortOpen(true));

    if (!failure.isEmpty()) {
        m_warningBox(failure);
        m_comm.setCommPort(m);
        return;
    }
    control(QStringLiteral("Frame8"))->hide();
}

void MainWindow::chooseSpeed(const QString &settings)
{
    const QString previous = m_state.CommSettings;
    m_state.CommSettings = settings;
    if (!m_comm.setSettings(m_state.CommSettings)) {
        m_state.CommSettings = previous;
        // The option captioned with the speed still in force is marked again.
        const QString baud = previous.section(u',', 0, 0);
        for (auto *option : control(QStringLiteral("Frame13"))->findChildren<QRadioButton *>()) {
            const QSignalBlocker quiet(option);
            option->setChecked(option->text() == baud);
        }
        m_warningBox(m_comm.errorDescription());
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
    m_comm.setPortOpen(false);
    close();
    emit ended();
}

void MainWindow::Command96_Click()
{
    control<QLineEdit>(QStringLiteral("Text1"))->clear();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_comm.setPortOpen(false);
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
            m_pressAndHold->press(*hold);
        else if (type == QEvent::MouseButtonRelease)
            m_pressAndHold->release(*hold);
    }
    if (type == QEvent::MouseButtonDblClick && watched == m_image1)
        m_views->Image1_DblClick();
    return QWidget::eventFilter(watched, event);
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
