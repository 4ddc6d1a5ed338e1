#include "tests/net/InProcessServer.h"

using ServerTest = InProcessServer;

// With the limit 3 a fourth terminal is admitted and a fifth refused; an
// address that keeps retrying is logged once, until another one is refused.
TEST_F(ServerTest, LimitAdmitsUsersPlusOneAndLogsARetryingAddressOnce)
{
    ASSERT_EQ(app->config().Users, 3);
    std::vector<std::unique_ptr<MelodeckClient>> terminals;
    for (int i = 0; i < 4; ++i)
        terminals.push_back(Terminal(i));
    EXPECT_TRUE(LastLog().endsWith(u"] user 3"));
    for (int n : {4, 4, 4, 4, 4, 5, 4})
        EXPECT_TRUE(Terminal(n)->WaitForClose());
    const QString refused = u"ConRequest from [127.0.0.%1] refused. All 3 Channeles allocated "
                            u"(max. users)."_qs;
    EXPECT_EQ(LogLines(u"refused"_qs),
              (QStringList{refused.arg(6), refused.arg(7), refused.arg(6)}));
    EXPECT_EQ(CountLog(u"Accepted ch"_qs), 4);
    for (auto &terminal : terminals)
        EXPECT_TRUE(terminal->IsConnected());
}

TEST_F(ServerTest, HardCeilingOfThirtyOthersLogsWithoutMaxUsers)
{
    app->config().Users = 30;
    std::vector<std::unique_ptr<MelodeckClient>> terminals;
    for (int i = 0; i < 31; ++i)
        terminals.push_back(Terminal(i));
    EXPECT_EQ(CountLog(u"Accepted ch"_qs), 31);
    EXPECT_TRUE(Terminal(31)->WaitForClose());
    EXPECT_EQ(LastLog(), u"ConRequest from [127.0.0.33] refused. All 31 Channeles allocated.");
}

// A freed slot is reused, lowest first; a terminal reconnecting from a live
// channel's address replaces that channel. The client rows follow, numbered
// without gaps, the local client shown as localhost.
TEST_F(ServerTest, SameAddressReplacesTheOldChannelAndStationsAreReused)
{
    auto a = Terminal(0);
    auto b = Terminal(1);
    auto local = Connect(QHostAddress::LocalHost);
    b->Disconnect();
    ASSERT_TRUE(WaitForLog(u"Client[0] 1 (127.0.0.3) : connection closed."_qs));
    ASSERT_TRUE(WaitUntil([&] { return app->clientRows().rowCount() == 2; }));
    EXPECT_EQ(app->clientRows().row(1), (QStringList{"1", "localhost", "On"}));
    auto c = Terminal(2);
    const quint16 oldPort = app->channels().at(0)->port;
    auto again = Terminal(0);
    EXPECT_TRUE(a->WaitForClose() && again->IsConnected());
    const QStringList log = LogLines();
    EXPECT_EQ(log[log.size() - 2],
              QStringLiteral("Client[0] 0 (127.0.0.2 - %1) : connection closed.").arg(oldPort));
    EXPECT_TRUE(log.last().startsWith(u"Accepted ch 0, s "));
    ASSERT_TRUE(WaitUntil([&] { return app->clientRows().rowCount() == 3; }));
    EXPECT_EQ(app->clientRows().row(1), (QStringList{"1", "127.0.0.4", "On"}));
    EXPECT_EQ(app->clientRows().row(2), (QStringList{"2", "localhost", "On"}));
    EXPECT_EQ(app->channels().size(), 3);
}

// The local client is never counted, yet checked itself: with a limit of 0
// and one terminal it is refused; a second local connection replaces the first.
TEST_F(ServerTest, LocalClientIsNotCountedButStillChecked)
{
    app->config().Users = 0;
    auto terminal = Terminal(0);
    EXPECT_TRUE(Connect(QHostAddress::LocalHost)->WaitForClose());
    EXPECT_EQ(LastLog(),
              u"ConRequest from [127.0.0.1] refused. All 0 Channeles allocated (max. users).");

    app->config().Users = 2;
    auto second = Terminal(1);
    auto local1 = Connect(QHostAddress::LocalHost);
    auto local2 = Connect(QHostAddress::LocalHost);
    EXPECT_TRUE(local1->WaitForClose() && local2->IsConnected() && second->IsConnected());
    EXPECT_EQ(app->channels().LocalClient()->station, 2);

    app->config().Users = -1;
    EXPECT_TRUE(Terminal(5)->WaitForClose());
}

// A partial header and a partial payload wait for the rest; several packets
// in one receive are handled in order.
TEST_F(ServerTest, PacketsSplitAcrossReceivesAndSeveralInOne)
{
    auto t = Terminal(0);
    const QByteArray add = Reserve(12), info = ServerInfoRequest();
    // A receive may end one byte into a packet: that byte is kept too.
    for (const QByteArray &piece : {add.left(1), add.mid(1, 15), add.mid(16, 40)}) {
        t->Send(piece);
        Pump(30);
    }
    t->Send(add.mid(56) + info + info.left(1));
    EXPECT_EQ(At(t->ReadPacket().value_or(QByteArray()), 4), Cmd::AddResult);
    EXPECT_EQ(At(t->ReadPacket().value_or(QByteArray()), 4), Cmd::ServerInfo);
    EXPECT_TRUE(t->Drain(50).isEmpty());
    EXPECT_EQ(Ask(*t, info.mid(1)).size(), Packet::ServerInfo::kSize);
    EXPECT_EQ(app->queue().count(), 1);
}

// Held bytes that cannot be handled are logged and dropped with everything
// behind them; the next receive starts afresh.
TEST_F(ServerTest, BadMagicOrUnknownCommandDropsTheRestOfTheReceive)
{
    auto t = Terminal(0);
    const quint16 port = app->channels().at(0)->port;
    const QByteArray info = ServerInfoRequest();
    const std::tuple<QByteArray, int, QString> cases[] = {
        {"ABCD" + info.mid(4) + info, 0,
         QStringLiteral("DpfHandleMsg : ERROR. invalid msg id 44434241 from 127.0.0.2 - %1.")
             .arg(port)},
        {info + MelodeckClient::Request(0x999, 0, "xxxx") + info, 1,
         u"DpfHandleMsg : unknown cmd 999, len 20."_qs},
        // Reply codes sent by a terminal are unknown too.
        {MelodeckClient::Request(Cmd::ServerInfo) + info, 0,
         u"DpfHandleMsg : unknown cmd 8110, len 16."_qs}};
    for (const auto &[bytes, replies, log] : cases) {
        SCOPED_TRACE(log.toStdString());
        t->Send(bytes);
        ASSERT_TRUE(WaitForLog(log));
        EXPECT_EQ(t->Drain(50).size(), replies * Packet::ServerInfo::kSize);
        EXPECT_EQ(Ask(*t, info).size(), Packet::ServerInfo::kSize);
    }
}

// Every packet of a blocked channel is logged ("localhost" for the local
// client) and has no other effect: no reply, no reservation, no push.
TEST_F(ServerTest, BlockedChannelLogsEachPacketAndDoesNothingElse)
{
    auto t = Terminal(0);
    auto local = Connect(QHostAddress::LocalHost);
    EXPECT_FALSE(app->server().SetChannelBlocked(7, true));
    ASSERT_TRUE(app->server().SetChannelBlocked(0, true));
    ASSERT_TRUE(app->server().SetChannelBlocked(1, true));
    t->Send(ServerInfoRequest() + Reserve(12));
    local->Send(ServerInfoRequest());
    ASSERT_TRUE(WaitForLog(u"Blacking pcx"_qs, 3));
    EXPECT_EQ(LogLines(u"Blacking pcx"_qs).mid(0, 2),
              (QStringList{"Blacking pcx 127.0.0.2 cmd 110h, len 16.",
                           "Blacking pcx 127.0.0.2 cmd 140h, len 68."}));
    EXPECT_EQ(LastLog(), u"Blacking pcx localhost cmd 110h, len 16.");
    EXPECT_TRUE(t->Drain(50).isEmpty());
    EXPECT_TRUE(local->Drain(0).isEmpty());
    EXPECT_EQ(app->queue().count(), 0);
    ASSERT_TRUE(app->server().SetChannelBlocked(0, false));
    EXPECT_EQ(Ask(*t, ServerInfoRequest()).size(), Packet::ServerInfo::kSize);
}

// A header declaring a packet that can never fit the 16,384-byte buffer (or
// whose total wraps) closes the channel; the largest that fits just waits.
TEST_F(ServerTest, OversizeHeaderClosesTheChannel)
{
    auto fits = Terminal(0);
    auto huge = Terminal(1);
    auto wraps = Terminal(2);
    const quint16 port = app->channels().at(1)->port;
    fits->Send(Hex("4F525641 00000001 00003FF0 00000000") + QByteArray(100, '\0'));
    huge->Send(Hex("4F525641 00000001 00003FF1 00000000"));
    wraps->Send(Hex("4F525641 00000001 FFFFFFF8 00000000"));
    EXPECT_TRUE(huge->WaitForClose() && wraps->WaitForClose());
    EXPECT_EQ(CountLog(QStringLiteral("Closed client 1 (127.0.0.3 - %1).").arg(port)), 1);
    EXPECT_TRUE(fits->IsConnected());
    ASSERT_TRUE(WaitUntil([&] { return app->clientRows().rowCount() == 1; }));
}
