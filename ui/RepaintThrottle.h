#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Lets a window repaint at most ten times a second. Every reservation and log
// line changes a list, and repainting the window costs about a millisecond,
// far more than the request that caused it: at display rate the repaints of a
// burst of requests would delay the terminals' replies. A change after a quiet
// spell is still painted at once; the changes of a burst share one repaint.
class RepaintThrottle : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPeriodMs = 100;

    // Throttles `window`'s repaints for as long as both live.
    explicit RepaintThrottle(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    QElapsedTimer m_sincePaint;
    QTimer m_deferred;
};
