#include "tests/support/ServerProcess.h"

#include "client/MelodeckClient.h"
#include "protocol/PacketHeader.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <QRegularExpression>
#include <QTcpServer>
#include <csignal>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<MelodeckClient> ConnectTerminal(const ServerProcess &server, int n)
{
    auto client = std::make_unique<MelodeckClient>();
    EXPECT_TRUE(client->Connect(QHostAddress::LocalHost, server.port(), TerminalAddress(n)));
    return client;
}

} // namespace

TEST(ServerProcess, StartsAnswersAndStopsOnSignal)
{
    ServerProcess server;
    server.WriteDataFile(QStringLiteral("Moxi.ini"),
                         "[QueConfig]\r\nTempo=0\r\nPitch=1\r\nSync=1\r\nConfirm=1\r\n"
                         "Delete=0\r\nUname=1\r\nRemocon=1\r\nUsers=3\r\n");
    ASSERT_TRUE(server.Start());
    const QRegularExpression startLine(
        QStringLiteral(R"(^\d\d [A-Z][a-z]{2} \d\d:\d\d:\d\d\tMelodeckServer started port (\d+) )"
                       R"(\[Version: [A-Z][a-z]{2} [ \d]\d \d{4} \d\d:\d\d:\d\d\]\.$)"));
    const QStringList started =
        server.LogLines().filter(QStringLiteral("MelodeckServer started port"));
    ASSERT_EQ(started.size(), 1);
    const auto match = startLine.match(started[0]);
    ASSERT_TRUE(match.hasMatch()) << started[0].toStdString();
    EXPECT_EQ(match.captured(1).toInt(), server.port());

    auto terminal = ConnectTerminal(server, 0);
    ASSERT_TRUE(server.WaitForLog(QStringLiteral("for client [ 127.0.0.2 - ")));
    EXPECT_TRUE(server.LogLines().last().endsWith(QStringLiteral("] user 0")));

    // RequestServerInfo and its 36-byte answer, byte for byte: empty catalogue,
    // then Pitch, Tempo, Sync, Delete, Uname, Remocon.
    terminal->Send(QByteArray::fromHex("4F525641000001100000000000000000"));
    const auto reply = terminal->ReadExactly(36);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->toHex().toStdString(), "4f525641000081100000001000000000"
                                            "00000000"         // songs
                                            "0000000000000000" // catalogue timestamp
                                            "0100010001010000");

    EXPECT_EQ(server.Stop(SIGTERM), 0);
    EXPECT_EQ(server.LogLines().last().section(u'\t', 1), u"MelodeckServer stopped.");
    EXPECT_TRUE(terminal->WaitForClose());
}

TEST(ServerProcess, InterruptAndHangupCloseCleanlyToo)
{
    for (int signalNumber : {SIGINT, SIGHUP}) {
        ServerProcess server;
        ASSERT_TRUE(server.Start());
        EXPECT_EQ(server.Stop(signalNumber), 0);
        EXPECT_EQ(server.CountLog(QStringLiteral("MelodeckServer stopped.")), 1);
    }
}

TEST(ServerProcess, TerminalLimitComesFromTheSettingsFile)
{
    ServerProcess server;
    server.WriteDataFile(QStringLiteral("Moxi.ini"), "[QueConfig]\r\nUsers=0\r\n");
    ASSERT_TRUE(server.Start());
    auto first = ConnectTerminal(server, 0);
    ASSERT_TRUE(server.WaitForLog(QStringLiteral("Accepted ch")));
    auto second = ConnectTerminal(server, 1);
    EXPECT_TRUE(second->WaitForClose());
    EXPECT_TRUE(server.WaitForLog(QStringLiteral(
        "ConRequest from [127.0.0.3] refused. All 0 Channeles allocated (max. users).")));
    EXPECT_TRUE(first->IsConnected());
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
    auto terminal = ConnectTerminal(first, 0);
    EXPECT_TRUE(first.WaitForLog(QStringLiteral("Accepted ch")));
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
    EXPECT_EQ(server.CountLog(QStringLiteral("MelodeckServer started")), 0);
    EXPECT_EQ(server.Stop(SIGTERM), 0);
}
