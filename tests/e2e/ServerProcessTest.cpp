#include "tests/support/ServerProcess.h"

#include "app/SingleInstance.h"
#include "client/MelodeckClient.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "tests/support/Wait.h"

#include <QDir>
#include <QRegularExpression>
#include <QTcpServer>
#include <csignal>
#include <gtest/gtest.h>

// The start line on standard output, the settings and catalogue of the data
// folder, the lock file while running, a reservation reaching the local
// client, and on SIGTERM a clean stop that saves the favourite lists.
TEST(ServerProcess, StartsServesAndStopsOnSignal)
{
    ServerProcess server;
    server.WriteDataFile(u"Moxi.ini"_qs, "[QueConfig]\r\nTempo=0\r\nRemocon=1\r\n");
    server.WriteDataFile(u"orvabook.txt"_qs, "1234|Love Song|Singer\r\n45|Two|B\r\n");
    ASSERT_TRUE(server.Start());
    const QRegularExpression startLine(
        QStringLiteral(R"(^\d\d [A-Z][a-z]{2} \d\d:\d\d:\d\d\tMelodeckServer started port (\d+) )"
                       R"(\[Version: [A-Z][a-z]{2} [ \d]\d \d{4} \d\d:\d\d:\d\d\]\.$)"));
    const QStringList started = server.LogLines().filter(u"started port"_qs);
    ASSERT_EQ(started.size(), 1);
    const auto match = startLine.match(started[0]);
    ASSERT_TRUE(match.hasMatch()) << started[0].toStdString();
    EXPECT_EQ(match.captured(1).toInt(), server.port());
    const QString lock = SingleInstance::LockPath(u"_MOXI_APP_123454321_-%1"_qs.arg(server.port()));
    EXPECT_TRUE(QFile::exists(lock));

    MelodeckClient terminal, local;
    ASSERT_TRUE(terminal.Connect(QHostAddress::LocalHost, server.port(), TerminalAddress(0)));
    ASSERT_TRUE(server.WaitForLog(u"for client [ 127.0.0.2 - "_qs));
    EXPECT_TRUE(server.LogLines().last().endsWith(u"] user 0"_qs));
    ASSERT_TRUE(local.Connect(QHostAddress::LocalHost, server.port(), QHostAddress::LocalHost));
    ASSERT_TRUE(WaitUntil([&] { return server.CountLog(u"Accepted ch"_qs) == 2; }));
    terminal.Send(Packet::EncodeHeaderOnly(Cmd::RequestServerInfo));
    const QByteArray info = terminal.ReadPacket().value_or(QByteArray());
    EXPECT_EQ(info.mid(16, 4), Hex("00000002"));
    EXPECT_EQ(info.mid(28, 6), Hex("01 00 01 01 01 01")); // Pitch, Tempo, Sync, Delete, ...

    terminal.Send(Packet::RequestAdd{0, 1234, -2, 0, u"Abc"_qs}.Encode());
    EXPECT_EQ(terminal.ReadPacket().value_or(QByteArray()),
              Hex("4F525641 00008140 00000034 00000000 000004D2") + QByteArray(48, '\0'));
    // QueueList, one entry: number, pitch, tempo, station, index and name.
    EXPECT_EQ(local.ReadPacket().value_or(QByteArray()),
              Hex("4F525641 00008142 00000034 00010001 000004D2 FFFE 0000 0000 0000"
                  "0041 0062 0063") +
                  QByteArray(34, '\0'));
    EXPECT_TRUE(server.WaitForLog(u"Requested add number 1234, pitch -2, tempo 0, name Abc."_qs));
    terminal.Send(Packet::FavoriteName{u"Kids"_qs}.Encode(Cmd::NewFavoriteList) +
                  Packet::AddFavorite{45, u"Kids"_qs}.Encode(Cmd::AddFavoriteList));
    for (int reply = 0; reply < 2; ++reply) // both handled before the stop
        EXPECT_EQ(terminal.ReadPacket().value_or(QByteArray()).size(), 16);

    EXPECT_EQ(server.Stop(SIGTERM), 0);
    EXPECT_EQ(server.LogLines().last().section(u'\t', 1), u"MelodeckServer stopped.");
    EXPECT_TRUE(terminal.WaitForClose() && !QFile::exists(lock));
    // The next start loads them: OldDataFolder.AListSavedAfterAPartialMoveSurvivesTheNextStart.
    EXPECT_EQ(ReadFileBytes(server.DataFile(u"Favorite.txt"_qs)), Utf16Le(u"Kids|45\r\n", true));
}

TEST(ServerProcess, InterruptAndHangupCloseCleanlyToo)
{
    for (int signalNumber : {SIGINT, SIGHUP}) {
        ServerProcess server;
        ASSERT_TRUE(server.Start());
        EXPECT_EQ(server.Stop(signalNumber), 0);
        EXPECT_EQ(server.CountLog(u"MelodeckServer stopped."_qs), 1);
    }
}

// A reader of standard output that goes away (a pager quit) costs nothing:
// the server goes on logging into the broken pipe, serving, and stops cleanly.
TEST(ServerProcess, GoneOutputReaderCostsNothing)
{
    ServerProcess server;
    QProcess reader; // takes the server's output and ends at once
    server.process().setStandardOutputProcess(&reader);
    reader.start(u"true"_qs);
    ASSERT_TRUE(reader.waitForFinished(5000));
    ASSERT_TRUE(server.Launch(FreePort()));
    MelodeckClient terminal;
    ASSERT_TRUE(WaitUntil(
        [&] {
            return terminal.Connect(QHostAddress::LocalHost, server.port(), TerminalAddress(0));
        },
        10000));
    for (int request = 0; request < 3; ++request) { // each is logged into the broken pipe
        terminal.Send(Packet::RequestAdd{0, 1, 0, 0, {}}.Encode());
        EXPECT_EQ(terminal.ReadPacket().value_or(QByteArray()).size(), 68);
    }
    EXPECT_EQ(server.Stop(SIGTERM), 0);
}

TEST(ServerProcess, SecondCopyOnThePortEndsWithAMessage)
{
    ServerProcess first;
    ASSERT_TRUE(first.Start());
    ServerProcess second;
    ASSERT_TRUE(second.Launch(first.port()));
    ASSERT_TRUE(second.process().waitForFinished(10000));
    EXPECT_EQ(second.process().exitCode(), 1);
    EXPECT_TRUE(
        second.StandardError().contains("The program already is in the process of executing."));
    // The first copy is untouched.
    MelodeckClient terminal;
    EXPECT_TRUE(terminal.Connect(QHostAddress::LocalHost, first.port(), TerminalAddress(0)));
    EXPECT_TRUE(first.WaitForLog(u"Accepted ch"_qs));

    // A copy that crashed leaves its lock behind; the next one takes it over.
    EXPECT_EQ(first.Stop(SIGKILL), -1);
    EXPECT_TRUE(
        QFile::exists(SingleInstance::LockPath(u"_MOXI_APP_123454321_-%1"_qs.arg(first.port()))));
    ServerProcess third;
    ASSERT_TRUE(third.Launch(first.port()));
    EXPECT_TRUE(third.WaitForLog(u"MelodeckServer started port"_qs, 10000))
        << third.StandardError().toStdString();
}

TEST(ServerProcess, TakenPortIsExplainedOnStandardError)
{
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::AnyIPv4, 0));
    ServerProcess server;
    ASSERT_TRUE(server.Launch(squatter.serverPort()));
    const QByteArray expected =
        "cannot listen on port " + QByteArray::number(squatter.serverPort());
    ASSERT_TRUE(WaitUntil([&] { return server.StandardError().contains(expected); }, 10000));
    EXPECT_EQ(server.CountLog(u"MelodeckServer started"_qs), 0);
    EXPECT_EQ(server.Stop(SIGTERM), 0);
}

// A server killed outright in the middle of favourite-list replacements, each
// of which saves the file, leaves the file as it was before or after one of
// them: never cut, never mixed.
TEST(ServerProcess, KilledWhileSavingLeavesOldOrNewFavorites)
{
    const auto fileOf = [](quint32 first) {
        QStringList numbers;
        for (quint32 n = first; n < first + 128; ++n)
            numbers.append(QString::number(n));
        return Utf16Le(u"Big|"_qs + numbers.join(u',') + u"\r\n"_qs, true);
    };
    const QByteArray before = fileOf(1), after = fileOf(1001);
    for (int attempt = 0; attempt < 4; ++attempt) {
        SCOPED_TRACE(attempt);
        ServerProcess server;
        server.WriteDataFile(u"Favorite.txt"_qs, before);
        ASSERT_TRUE(server.Start());
        MelodeckClient terminal;
        ASSERT_TRUE(terminal.Connect(QHostAddress::LocalHost, server.port(), TerminalAddress(0)));
        QByteArray burst;
        for (int i = 0; i < 200; ++i) {
            Packet::SetFavoriteList set{u"Big"_qs, {}};
            for (quint32 n = 0; n < 128; ++n)
                set.numbers[n] = (i % 2 ? 1001 : 1) + n;
            burst += set.Encode();
        }
        terminal.Send(burst);
        ASSERT_TRUE(server.WaitForLog(u"(Big, Big) result 0."_qs));
        Pump(attempt * 7);
        EXPECT_EQ(server.Stop(SIGKILL), -1);
        const QByteArray left = ReadFileBytes(server.DataFile(u"Favorite.txt"_qs));
        EXPECT_TRUE(left == before || left == after) << left.size();
        EXPECT_EQ(QDir(server.DataFile(QString())).entryList(QDir::Files),
                  QStringList{u"Favorite.txt"_qs});
    }
}
