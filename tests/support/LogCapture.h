#pragma once

#include "base/EventLog.h"
#include "base/RowTable.h"

#include <QStringList>

// A log list of its own that receives the event log's lines while it lives.
class LogCapture : public RowTable
{
public:
    LogCapture() : RowTable({u"Time"_qs, u"Action"_qs}) { EventLog::Attach(this); }
    ~LogCapture() override { EventLog::Attach(nullptr); }

    QStringList Lines() const { return Messages(*this); }
    // The "Action" column of a log list.
    static QStringList Messages(const RowTable &rows)
    {
        QStringList lines;
        for (int row = 0; row < rows.rowCount(); ++row)
            lines.append(rows.cell(row, 1));
        return lines;
    }
};
