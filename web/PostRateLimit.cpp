#include "web/PostRateLimit.h"

bool PostRateLimit::Allow(const QString &address, qint64 nowMs)
{
    if (nowMs - m_lastSweep > kWindowMs) {
        m_lastSweep = nowMs;
        m_times.removeIf(
            [nowMs](const auto &it) { return nowMs - it.value().last() >= kWindowMs; });
    }
    QList<qint64> &times = m_times[address];
    while (!times.isEmpty() && nowMs - times.first() >= kWindowMs)
        times.removeFirst();
    if (times.size() >= kPerMinute)
        return false;
    times.append(nowMs);
    return true;
}
