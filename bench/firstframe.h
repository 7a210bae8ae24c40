// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "stats.h"

#include <QApplication>
#include <QFile>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <functional>

// Ends the event loop once the window's first expose has been painted and
// flushed: the expose repaints synchronously, so its return is the first frame.
class FirstFrame : public QObject
{
public:
    explicit FirstFrame(QWidget &window) : m_window(window) { qApp->installEventFilter(this); }
    bool painted() const { return m_painted; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_window && event->type() == QEvent::Paint)
            m_paintSeen = true;
        const bool ours = watched == m_window.windowHandle();
        if (!ours || m_painted
            || (event->type() != QEvent::Expose && event->type() != QEvent::UpdateRequest))
            return false;
        watched->event(event);
        if (m_paintSeen && m_window.windowHandle()->isExposed()) {
            m_painted = true;
            QCoreApplication::quit();
        }
        return true;
    }

private:
    QWidget &m_window;
    bool m_paintSeen = false;
    bool m_painted = false;
};

// Shows `window`, runs until its first frame, prints the marks and the
// resident memory; the child's exit code. `fontsRead` tells the Fonts mark.
inline int showAndReport(QWidget &window, double marks[Marks],
                         const std::function<double()> &fontsRead = {})
{
    const FirstFrame frame(window);
    window.show();
    QApplication::exec();
    if (!frame.painted())
        return 1;
    marks[Painted] = monotonicMs();
    if (fontsRead)
        marks[Fonts] = fontsRead();
    std::printf(fontsRead ? "marks beside" : "marks");
    for (int i = 0; i < Marks; ++i)
        std::printf(" %.3f", marks[i]);
    std::printf(" rss %lld\n", qlonglong(residentKb()));
    // BENCH_SMAPS=FILE keeps the memory map as it stands, for where the
    // resident pages lie (fonts, libraries, heap).
    if (qEnvironmentVariableIsSet("BENCH_SMAPS")) {
        QFile map(QStringLiteral("/proc/self/smaps"));
        QFile copy(qEnvironmentVariable("BENCH_SMAPS"));
        if (map.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly))
            copy.write(map.readAll());
    }
    std::fflush(stdout);
    return 0;
}
