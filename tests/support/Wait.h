#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <functional>

// Runs the event loop until `done` holds or the time is up; returns `done()`.
inline bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 3000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// Runs the event loop for a while, letting queued work finish.
inline void Pump(int ms)
{
    WaitUntil([] { return false; }, ms);
}
