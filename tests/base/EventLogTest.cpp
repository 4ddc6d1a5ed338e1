#include "base/EventLog.h"

#include "base/LineEcho.h"
#include "base/LocalClock.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(EventLog, StampsAtTheEdgesOfDayAndYear)
{
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0))), u"01 Jan 00:00:00");
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999))),
              u"31 Dec 23:59:59");
    EXPECT_EQ(FormatTimeStamp(QDateTime(QDate(2026, 12, 4), QTime(9, 7, 5))), u"04 Dec 09:07:05");
}

// The clock that looks the zone up once a second agrees with a full
// conversion, in a zone away from UTC, across a change of second.
TEST(EventLog, CachedLocalClockAgreesWithTheSystemConversion)
{
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "JST-9");
    // Start in a second the clock has not seen, so nothing cached before counts.
    const qint64 start = QDateTime::currentMSecsSinceEpoch() / 1000;
    while (QDateTime::currentMSecsSinceEpoch() / 1000 == start)
        QThread::msleep(5);
    for (int i = 0; i < 2; ++i) {
        const QDateTime before = QDateTime::currentDateTime();
        const QDateTime now = LocalClock::Now();
        const QString stamp = LocalClock::Stamp();
        const QDateTime after = QDateTime::currentDateTime();
        EXPECT_EQ(now.offsetFromUtc(), 9 * 3600);
        EXPECT_GE(now.toMSecsSinceEpoch(), before.toMSecsSinceEpoch());
        EXPECT_LE(now.toMSecsSinceEpoch(), after.toMSecsSinceEpoch());
        EXPECT_TRUE(stamp == FormatTimeStamp(before) || stamp == FormatTimeStamp(after))
            << stamp.toStdString();
        QThread::msleep(1000);
    }
    oldTz.isNull() ? qunsetenv("TZ") : qputenv("TZ", oldTz);
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
    for (int i = 5000; i <= 5002; ++i)
        WriteLog("line %d", i);
    const QStringList lines = log.Lines();
    EXPECT_EQ(lines.size(), 5000);
    EXPECT_EQ(lines.first() + u' ' + lines.mid(4998).join(u' '), u"line 1 line 4999 line 5002");
}

// A reader that stops reading never holds the writer up: what waits is
// bounded, whole lines are dropped oldest first, and once the reader reads
// again it gets one line with the count of those dropped, then whole lines in
// order, the newest last. A reader that went away only loses the lines.
TEST(EventLog, EchoNeverWaitsForItsReader)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    LineEcho echo(ends[1]);
    const int total = 100000;
    for (int i = 1; i <= total; ++i)
        echo.Append(QByteArray("line ") + QByteArray::number(i) + '\n');
    EXPECT_FALSE(echo.Flush());
    EXPECT_LE(echo.waiting(), LineEcho::kMaxWaiting);
    EXPECT_GT(echo.droppedLines(), 0);

    ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
    QByteArray received;
    char buffer[65536];
    for (bool done = false; !done;) {
        done = echo.Flush();
        for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
            received.append(buffer, got);
    }
    QList<QByteArray> lines = received.trimmed().split('\n');
    const qint64 dropped = echo.droppedLines();
    EXPECT_EQ(lines.takeFirst().split('\t').value(1),
              QByteArray::number(dropped) +
                  " log lines dropped: the reader of standard output was not reading.");
    EXPECT_EQ(lines.size() + dropped, total);
    int previous = 0;
    for (const QByteArray &line : lines) {
        ASSERT_TRUE(line.startsWith("line ")) << line.toStdString();
        const int number = line.mid(5).toInt();
        ASSERT_GT(number, previous);
        previous = number;
    }
    EXPECT_EQ(previous, total);

    ::close(ends[0]);
    echo.Append("unread\n");
    EXPECT_TRUE(echo.Flush());
    EXPECT_EQ(echo.droppedLines(), dropped + 1);
    ::close(ends[1]);
}

// A regular file never stops reading: it gets every line, however many one
// batch of events logs.
TEST(EventLog, EchoToAFileKeepsEveryLine)
{
    TempFolder dir;
    QFile file(dir.Path(u"out.log"_qs));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray line = QByteArray(200, 'x') + '\n';
    {
        LineEcho echo(file.handle());
        for (int i = 0; i < 30000; ++i) // 6 MB, in one batch: nothing flushes on the way
            echo.Append(line);
        EXPECT_TRUE(echo.Flush());
        EXPECT_EQ(echo.droppedLines(), 0);
    }
    EXPECT_EQ(ReadFileBytes(file.fileName()), line.repeated(30000));
}
