#pragma once

#include <QDateTime>
#include <QString>

class RowTable;

// The operator's event log: time-stamped lines in the log list, mirrored to
// standard output so the server can be followed from a terminal.
class EventLog
{
public:
    static constexpr int kMaxRows = 5000;
    static constexpr int kMaxMessage = 65535;

    // The log list that receives lines; nullptr detaches it and lines are dropped.
    static void Attach(RowTable *rows);
    static RowTable *Rows();
    // Whether lines also go to standard output (on by default).
    static void SetEchoToStdout(bool echo);

    // Appends one line to the attached list as WriteLog does.
    static void Deliver(const QString &stamp, const QString &message);
};

// Formats a printf-style line and delivers it to the log list (and standard
// output); without a log list the line leaves no trace. Text arguments are
// passed as UTF-8 (qUtf8Printable) and are inserted verbatim.
void WriteLog(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);

// Developer trace to standard error; never reaches the operator.
void DebugTrace(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);

// "04 Dec 09:07:05": day, English month, time; no year, no milliseconds.
QString FormatTimeStamp(const QDateTime &time);
