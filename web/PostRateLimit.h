#pragma once

#include <QHash>
#include <QList>
#include <QString>

// At most so many POSTs a minute from one address: a sliding window of the
// times of each address's last requests. Addresses quiet for a minute are
// forgotten, so a flood of addresses costs no lasting memory.
class PostRateLimit
{
public:
    static constexpr int kPerMinute = 20;
    static constexpr qint64 kWindowMs = 60 * 1000;

    // Counts a POST at `nowMs` (a monotonic clock); false when the address has
    // already had kPerMinute in the last minute (the refused one is not counted).
    bool Allow(const QString &address, qint64 nowMs);

private:
    QHash<QString, QList<qint64>> m_times;
    qint64 m_lastSweep = 0;
};
