#pragma once

#include <QDateTime>
#include <QString>

// The local date and time now, cheaply. Converting the system clock to local
// time makes the C library check the time-zone file on every call, which
// costs more than the rest of a request; the offset from UTC is therefore
// looked up once per second of the clock and reused within it. Offsets only
// change on a whole second, so every result is exact.
class LocalClock
{
public:
    // Now, with its milliseconds, at the local offset from UTC.
    static QDateTime Now();
    // The event log's stamp of now ("04 Dec 09:07:05"); one shared text per second.
    static QString Stamp();

private:
    struct Second
    {
        qint64 utcSecond = -1;
        int offsetSeconds = 0;
        QString stamp;
    };
    // The second holding `msecs` since the epoch, looked up when it is a new one.
    static const Second &SecondOf(qint64 msecs);
};
