#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Lets a window repaint at most once a display frame. Every reservation and
// log line changes a list, and a repaint costs more than handling the request
// that caused it; changes that arrive within one frame share one repaint.
class RepaintThrottle : public QObject
{
    Q_OBJECT
public:
    static constexpr int kFrameMs = 16;

    // Throttles `window`'s repaints for as long as both live.
    explicit RepaintThrottle(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    QElapsedTimer m_sincePaint;
    QTimer m_deferred;
};
