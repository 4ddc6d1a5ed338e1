#include "base/LocalClock.h"

#include "base/EventLog.h"

QDateTime LocalClock::Now()
{
    const qint64 msecs = QDateTime::currentMSecsSinceEpoch();
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::OffsetFromUTC, SecondOf(msecs).offsetSeconds);
}

QString LocalClock::Stamp()
{
    return SecondOf(QDateTime::currentMSecsSinceEpoch()).stamp;
}

const LocalClock::Second &LocalClock::SecondOf(qint64 msecs)
{
    // Per thread, so a worker thread never races the event loop over it.
    thread_local Second current;
    const qint64 second = msecs >= 0 ? msecs / 1000 : (msecs - 999) / 1000;
    if (second != current.utcSecond) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(second * 1000, Qt::LocalTime);
        current = {second, local.offsetFromUtc(), FormatTimeStamp(local)};
    }
    return current;
}
