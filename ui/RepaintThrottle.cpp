#include "ui/RepaintThrottle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

RepaintThrottle::RepaintThrottle(QWidget *window) : QObject(window), m_window(window)
{
    m_deferred.setSingleShot(true);
    // The repaint held back is asked for again once the period is over; Qt
    // keeps the dirty region meanwhile and sends no other request.
    connect(&m_deferred, &QTimer::timeout, this, [this] {
        QCoreApplication::postEvent(m_window, new QEvent(QEvent::UpdateRequest),
                                    Qt::LowEventPriority);
    });
    window->installEventFilter(this);
}

// Passes a repaint request on when a period has gone by since the last one,
// else holds it until then.
bool RepaintThrottle::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window || event->type() != QEvent::UpdateRequest)
        return false;
    const qint64 wait = m_sincePaint.isValid() ? kPeriodMs - m_sincePaint.elapsed() : 0;
    if (wait > 0) {
        if (!m_deferred.isActive())
            m_deferred.start(int(wait));
        return true;
    }
    m_sincePaint.start();
    return false;
}
