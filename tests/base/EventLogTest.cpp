#include "base/EventLog.h"

#include "base/RowTable.h"

#include <gtest/gtest.h>

class EventLogTest : public ::testing::Test
{
protected:
    void SetUp() override { EventLog::Attach(&rows); }
    void TearDown() override { EventLog::Attach(nullptr); }
    RowTable rows{{QStringLiteral("Time"), QStringLiteral("Action")}};
};

TEST(EventLogStamp, EdgesOfDayAndYear)
{
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0))), u"01 Jan 00:00:00");
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999))),
              u"31 Dec 23:59:59");
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2026, 12, 4), QTime(9, 7, 5))), u"04 Dec 09:07:05");
}

TEST(EventLogDetached, LineWithoutLogListLeavesNoTrace)
{
    RowTable rows{{QStringLiteral("Time"), QStringLiteral("Action")}};
    WriteLog("nobody sees %d", 1);
    EventLog::Attach(&rows);
    WriteLog("seen %d", 2);
    EventLog::Attach(nullptr);
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.cell(0, 1), u"seen 2");
}

TEST_F(EventLogTest, ArgumentsAreInsertedVerbatim)
{
    WriteLog("Requested favorite list(%s).", "50%d %s");
    WriteLog("%s : unknown cmd %x, len %d.", "DpfHandleMsg", 0xABCu, 16);
    WriteLog("name %s", qUtf8Printable(QStringLiteral("Ünïcødé 歌")));
    EXPECT_EQ(rows.cell(0, 1), u"Requested favorite list(50%d %s).");
    EXPECT_EQ(rows.cell(1, 1), u"DpfHandleMsg : unknown cmd abc, len 16.");
    EXPECT_EQ(rows.cell(2, 1), QStringLiteral("name Ünïcødé 歌"));
}

TEST_F(EventLogTest, FullListKeepsOldestRowsAndReplacesTheLast)
{
    for (int i = 1; i <= 4999; ++i)
        WriteLog("line %d", i);
    ASSERT_EQ(rows.rowCount(), 4999);
    WriteLog("line %d", 5000);
    EXPECT_EQ(rows.rowCount(), 5000);
    WriteLog("line %d", 5001);
    WriteLog("line %d", 5002);
    EXPECT_EQ(rows.rowCount(), 5000);
    EXPECT_EQ(rows.cell(0, 1), u"line 1");
    EXPECT_EQ(rows.cell(4998, 1), u"line 4999");
    EXPECT_EQ(rows.cell(4999, 1), u"line 5002");
}

TEST_F(EventLogTest, OverlongMessageIsCut)
{
    const QByteArray huge(70000, 'x');
    WriteLog("%s", huge.constData());
    EXPECT_EQ(rows.cell(0, 1).size(), EventLog::kMaxMessage);
}
