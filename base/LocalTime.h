#pragma once

#include <QDateTime>
#include <QtGlobal>

// A local date and time as a plain record (year, month, day of week, day,
// hour, minute, second, millisecond), so tables of records holding one stay
// plain data. All zero means "not set".
struct LocalTime
{
    quint16 year = 0;
    quint16 month = 0;
    quint16 dayOfWeek = 0; // 0 Sunday .. 6 Saturday
    quint16 day = 0;
    quint16 hour = 0;
    quint16 minute = 0;
    quint16 second = 0;
    quint16 millisecond = 0;

    bool isValid() const { return year != 0; }
    bool operator==(const LocalTime &) const = default;

    // The fields of a valid date and time; an invalid one gives all zero.
    static LocalTime From(const QDateTime &time)
    {
        if (!time.isValid())
            return {};
        const QDate d = time.date();
        const QTime t = time.time();
        return {quint16(d.year()),   quint16(d.month()),  quint16(d.dayOfWeek() % 7),
                quint16(d.day()),    quint16(t.hour()),   quint16(t.minute()),
                quint16(t.second()), quint16(t.msec())};
    }
    // The same moment as a QDateTime in local time; invalid when not set.
    QDateTime ToDateTime() const
    {
        if (!isValid())
            return {};
        return QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond));
    }
};
