#include "base/EventLog.h"

#include "base/LineEcho.h"
#include "base/LocalClock.h"
#include "base/RowTable.h"

#include <QDebug>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <unistd.h>

namespace {
RowTable *g_rows = nullptr;
bool g_echo = true;

// The event log's copy on standard output, made when the first line is.
LineEcho &StandardOutput()
{
    static LineEcho echo(STDOUT_FILENO);
    return echo;
}
} // namespace

void EventLog::Attach(RowTable *rows)
{
    g_rows = rows;
}

RowTable *EventLog::Rows()
{
    return g_rows;
}

void EventLog::SetEchoToStdout(bool echo)
{
    g_echo = echo;
}

void EventLog::Deliver(const QString &stamp, const QString &message)
{
    if (!g_rows)
        return;
    // A full list keeps its oldest lines and lets the newest replace the last
    // row, in place: a view then repaints one row instead of moving 5,000.
    if (g_rows->rowCount() >= kMaxRows) {
        g_rows->setCell(g_rows->rowCount() - 1, 0, stamp);
        g_rows->setCell(g_rows->rowCount() - 1, 1, message);
    } else {
        g_rows->appendRow({stamp, message});
    }
    if (g_echo)
        StandardOutput().Append((stamp + u'\t' + message + u'\n').toUtf8());
}

void WriteLog(const char *format, ...)
{
    if (!g_rows)
        return;
    const QString stamp = LocalClock::Stamp();
    // Formatted as bytes, then decoded once into a text of exactly its size.
    // QString::vasprintf grows its result step by step, and the steps it
    // leaves behind cost each stored row twice its size in the heap.
    char small[512];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    QByteArray large;
    if (length >= int(sizeof small)) {
        large.resize(length);
        std::vsnprintf(large.data(), size_t(length) + 1, format, again);
    }
    va_end(again);
    QString message =
        QString::fromUtf8(large.isEmpty() ? small : large.constData(), std::max(length, 0));
    if (message.size() > EventLog::kMaxMessage) {
        message.truncate(EventLog::kMaxMessage);
        message.squeeze();
    }
    EventLog::Deliver(stamp, message);
}

void DebugTrace(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const QString text = QString::vasprintf(format, args);
    va_end(args);
    qDebug().noquote() << text;
}

QString FormatTimeStamp(const QDateTime &time)
{
    static const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate date = time.date();
    const QTime clock = time.time();
    const int month = date.month();
    const char *name = (month >= 1 && month <= 12) ? kMonths[month - 1] : "";
    return QString::asprintf("%02d %s %02d:%02d:%02d", date.day(), name, clock.hour(),
                             clock.minute(), clock.second());
}
