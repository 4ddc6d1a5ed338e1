#include "base/EventLog.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(EventLog, StampsAtTheEdgesOfDayAndYear)
{
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0))), u"01 Jan 00:00:00");
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999))),
              u"31 Dec 23:59:59");
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2026, 12, 4), QTime(9, 7, 5))), u"04 Dec 09:07:05");
}

TEST(EventLog, LineWithoutLogListLeavesNoTrace)
{
    WriteLog("nobody sees %d", 1);
    LogCapture log;
    WriteLog("seen %d", 2);
    EXPECT_EQ(log.Lines(), QStringList(u"seen 2"_qs));
}

// Arguments are inserted verbatim, never expanded again; an overlong message is cut.
TEST(EventLog, ArgumentsAreInsertedVerbatim)
{
    LogCapture log;
    WriteLog("Requested favorite list(%s).", "50%d %s");
    WriteLog("%s : unknown cmd %x, len %d.", "DpfHandleMsg", 0xABCu, 16);
    WriteLog("name %s", qUtf8Printable(QStringLiteral("Ünïcødé 歌")));
    WriteLog("%s", QByteArray(70000, 'x').constData());
    EXPECT_EQ(log.Lines().mid(0, 3),
              (QStringList{u"Requested favorite list(50%d %s)."_qs,
                           u"DpfHandleMsg : unknown cmd abc, len 16."_qs, u"name Ünïcødé 歌"_qs}));
    EXPECT_EQ(log.Lines()[3].size(), EventLog::kMaxMessage);
}

TEST(EventLog, FullListKeepsOldestRowsAndReplacesTheLast)
{
    LogCapture log;
    for (int i = 1; i <= 4999; ++i)
        WriteLog("line %d", i);
    ASSERT_EQ(log.rowCount(), 4999);
    WriteLog("line %d", 5000);
    EXPECT_EQ(log.rowCount(), 5000);
    WriteLog("line %d", 5001);
    WriteLog("line %d", 5002);
    EXPECT_EQ(log.rowCount(), 5000);
    EXPECT_EQ(log.cell(0, 1), u"line 1");
    EXPECT_EQ(log.cell(4998, 1), u"line 4999");
    EXPECT_EQ(log.cell(4999, 1), u"line 5002");
}
