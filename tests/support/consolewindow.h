// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/mainwindow.h"
#include "app/refusalnotice.h"
#include "consoleprobe.h"
#include "fakeline.h"
#include "link/lineforms.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTest>
#include <map>

// The TXD rendering of a sent command text of printable characters and CR.
inline QString plainTrace(const QByteArray &sent)
{
    QString shown = QStringLiteral(" ");
    for (const char ch : sent)
        shown += ch == '\r' ? QStringLiteral("CR ") : QString(QLatin1Char(ch)) + QLatin1Char(' ');
    return shown;
}

inline ConsoleProbe probe(MainWindow &window)
{
    return ConsoleProbe(window.console());
}

// The real console window, its ports backed by lines the test chooses, its
// modal warnings recorded instead of shown.
class ConsoleWindow
{
public:
    // Lines made for each port number; ports without one get a FakeLine.
    std::map<int, QString> devices;
    std::map<int, QString> openFailures;
    std::map<int, FakeLine *> fakes;
    QStringList warnings;
    std::unique_ptr<MainWindow> window;

    MainWindow &start(bool show = true)
    {
        return start(
            [this](int port) -> std::unique_ptr<CommLine> {
                if (const auto it = devices.find(port); it != devices.end())
                    return makeDeviceLine(it->second);
                auto line = std::make_unique<FakeLine>(QStringLiteral("/dev/fake%1").arg(port));
                if (const auto it = openFailures.find(port); it != openFailures.end())
                    line->openFailure = it->second;
                fakes[port] = line.get();
                return line;
            },
            show);
    }

    // Starts on the lines `lines` makes.
    MainWindow &start(MSComm::LineFactory lines, bool show = true)
    {
        window = std::make_unique<MainWindow>(std::move(lines));
        window->setWarningBox([this](const QString &text) { warnings << text; });
        window->Form_Load();
        if (show) {
            window->show();
            if (!QTest::qWaitForWindowExposed(window.get()))
                qWarning("window not exposed");
        }
        return *window;
    }

    // Starts with port 1 on `device` and every band of the window shown.
    MainWindow &startFullView(const QString &device)
    {
        devices[1] = device;
        start();
        openFullView();
        return *window;
    }

    // Starts on the lines `lines` makes, every band of the window shown.
    MainWindow &startFullView(MSComm::LineFactory lines)
    {
        start(std::move(lines));
        openFullView();
        return *window;
    }

    template<typename T = QWidget>
    T *control(const QString &name) const
    {
        T *w = window->control<T>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }

    QString txd() const { return control<QLabel>(QStringLiteral("Label11"))->text(); }
    QString rxd() const { return control<QLabel>(QStringLiteral("Label12"))->text(); }
    QString statusLine() const { return control<QLabel>(QStringLiteral("Label22"))->text(); }

    void click(const QString &name) const
    {
        QTest::mouseClick(control(name), Qt::LeftButton);
    }
    void press(const QString &name, Qt::MouseButton button = Qt::LeftButton) const
    {
        QTest::mousePress(control(name), button);
    }
    void release(const QString &name, Qt::MouseButton button = Qt::LeftButton) const
    {
        QTest::mouseRelease(control(name), button);
    }
    // Clicks a control only if the operator could: shown, inside the client
    // area and not covered by anything else.
    bool clickVisible(const QString &name) const
    {
        QWidget *w = control(name);
        const QRect area(w->mapTo(window.get(), QPoint()), w->size());
        if (!w->isVisible() || !window->rect().contains(area)
            || window->childAt(area.center()) != w)
            return false;
        QTest::mouseClick(w, Qt::LeftButton);
        return true;
    }

    // Selects an option as the operator does, by clicking it.
    void choose(const QString &option) const { click(option); }

    // Opens the full view so every band can be clicked.
    void openFullView() const
    {
        QTest::keyClick(window.get(), Qt::Key_H, Qt::ControlModifier);
        QTest::mouseDClick(control(QStringLiteral("Image1")), Qt::LeftButton);
    }
};
