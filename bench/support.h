// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <utility>

#include "stats.h"
#include "tests/support/ptypair.h"

#include <unistd.h>

// The master side of a pseudo-terminal; the console (or a serial server in
// front of it) opens the slave. Every carriage return that arrives is
// timestamped in milliseconds of the monotonic clock.
class FarEnd : public QObject
{
public:
    bool open()
    {
        m_master = openRawPty(&m_slavePath);
        if (m_master < 0)
            return false;
        m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FarEnd::collect);
        return true;
    }

    ~FarEnd() override
    {
        if (m_master >= 0)
            ::close(m_master);
    }

    QString slavePath() const { return m_slavePath; }
    double now() const { return monotonicMs(); }
    QList<double> take()
    {
        collect();
        return std::exchange(m_arrivals, {});
    }

    // Runs the event loop until the next carriage return arrives; its time,
    // or -1 after `timeoutMs`.
    double awaitCommand(int timeoutMs)
    {
        collect();
        if (m_arrivals.isEmpty()) {
            QEventLoop loop;
            m_loop = &loop;
            QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec();
            m_loop = nullptr;
        }
        return m_arrivals.isEmpty() ? -1 : m_arrivals.takeFirst();
    }

private:
    void collect()
    {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0) {
            const double at = now();
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] == '\r')
                    m_arrivals.append(at);
            }
        }
        if (m_loop && !m_arrivals.isEmpty())
            m_loop->quit();
    }

    int m_master = -1;
    QString m_slavePath;
    QSocketNotifier *m_notifier = nullptr;
    QList<double> m_arrivals;
    QEventLoop *m_loop = nullptr;
};

inline void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// A mouse press or release delivered as the platform would, through the
// application, where the window's filter sees it.
inline void mouse(QWidget *button, QEvent::Type type)
{
    const QPointF pos = QRectF(button->rect()).center();
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, pos, button->mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(button, &event);
}
