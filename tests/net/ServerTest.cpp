#include "tests/net/InProcessServer.h"

#include <QTcpSocket>

using ServerTest = InProcessServer;

TEST_F(ServerTest, LimitAdmitsUsersPlusOneAndLogsARetryingAddressOnce)
{
    ASSERT_EQ(app->config().Users, 3);
    std::vector<std::unique_ptr<MelodeckClient>> terminals;
    for (int i = 0; i < 4; ++i)
        terminals.push_back(Terminal(i));
    EXPECT_TRUE(LastLog().endsWith(QStringLiteral("] user 3")));
    EXPECT_EQ(CountLog(QStringLiteral("Accepted ch")), 4);

    for (int retry = 0; retry < 5; ++retry)
        EXPECT_TRUE(Terminal(4)->WaitForClose());
    EXPECT_EQ(CountLog(QStringLiteral(
                  "ConRequest from [127.0.0.6] refused. All 3 Channeles allocated (max. users).")),
              1);
    EXPECT_TRUE(Terminal(5)->WaitForClose());
    EXPECT_TRUE(Terminal(4)->WaitForClose());
    EXPECT_EQ(CountLog(QStringLiteral("ConRequest from [127.0.0.6] refused")), 2);
    EXPECT_EQ(CountLog(QStringLiteral("ConRequest from [127.0.0.7] refused")), 1);
    for (auto &terminal : terminals)
        EXPECT_TRUE(terminal->IsConnected());
}

TEST_F(ServerTest, HardCeilingOfThirtyOthersLogsWithoutMaxUsers)
{
    app->config().Users = 30;
    std::vector<std::unique_ptr<MelodeckClient>> terminals;
    for (int i = 0; i < 31; ++i)
        terminals.push_back(Terminal(i));
    EXPECT_EQ(CountLog(QStringLiteral("Accepted ch")), 31);
    EXPECT_TRUE(Terminal(31)->WaitForClose());
    EXPECT_EQ(LastLog(), u"ConRequest from [127.0.0.33] refused. All 31 Channeles allocated.");
}

TEST_F(ServerTest, SameAddressReplacesTheOldChannelAndStationsAreReused)
{
    auto a = Terminal(0);
    auto b = Terminal(1);
    auto c = Terminal(2);
    b->Disconnect();
    ASSERT_TRUE(WaitUntil([&] {
        return CountLog(QStringLiteral("Client[0] 1 (127.0.0.3) : connection closed.")) == 1;
    }));
    auto d = Terminal(3);
    EXPECT_EQ(app->channels().channels().size(), 3);
    EXPECT_EQ(app->channels().channels()[1]->addressText, u"127.0.0.5");

    const quint16 oldPort = app->channels().channels()[0]->port;
    auto again = Terminal(0);
    const QStringList lines{app->logRows().cell(app->logRows().rowCount() - 2, 1), LastLog()};
    EXPECT_EQ(lines[0],
              QStringLiteral("Client[0] 0 (127.0.0.2 - %1) : connection closed.").arg(oldPort));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Accepted ch 0, s ")));
    EXPECT_TRUE(a->WaitForClose());
    EXPECT_EQ(app->channels().channels()[0]->station, 0);
    EXPECT_TRUE(again->IsConnected());
}

TEST_F(ServerTest, LocalClientIsNotCountedButStillChecked)
{
    app->config().Users = 0;
    auto terminal = Terminal(0);
    auto local = Connect(QHostAddress::LocalHost);
    EXPECT_TRUE(local->WaitForClose()); // one other terminal exceeds a limit of 0
    EXPECT_EQ(LastLog(),
              u"ConRequest from [127.0.0.1] refused. All 0 Channeles allocated (max. users).");

    app->config().Users = 2; // two other terminals fit; the local client is not one of them
    auto second = Terminal(1);
    auto local1 = Connect(QHostAddress::LocalHost);
    auto local2 = Connect(QHostAddress::LocalHost); // replaces the first
    EXPECT_TRUE(local1->WaitForClose());
    EXPECT_TRUE(local2->IsConnected());
    EXPECT_TRUE(second->IsConnected());
    EXPECT_EQ(app->channels().LocalClient()->station, 2);

    app->config().Users = -1;
    EXPECT_TRUE(Terminal(5)->WaitForClose());
}

TEST_F(ServerTest, ClientRowsFollowConnectsAndDisconnects)
{
    auto a = Terminal(0);
    auto local = Connect(QHostAddress::LocalHost);
    ASSERT_TRUE(WaitUntil([&] { return app->clientRows().rowCount() == 2; }));
    EXPECT_EQ(app->clientRows().row(0), (QStringList{u"0"_qs, u"127.0.0.2"_qs, u"On"_qs}));
    EXPECT_EQ(app->clientRows().row(1), (QStringList{u"1"_qs, u"localhost"_qs, u"On"_qs}));
    a->Disconnect();
    ASSERT_TRUE(WaitUntil([&] { return app->clientRows().rowCount() == 1; }));
    EXPECT_EQ(app->clientRows().row(0), (QStringList{u"0"_qs, u"localhost"_qs, u"On"_qs}));
}

TEST_F(ServerTest, PacketsSplitAcrossReceivesAndSeveralInOne)
{
    auto t = Terminal(0);
    const QByteArray request = ServerInfoRequest();
    t->Send(request.left(10));
    Pump(30);
    t->Send(request.mid(10) + request + request.left(3));
    ASSERT_TRUE(t->ReadPacket().has_value());
    ASSERT_TRUE(t->ReadPacket().has_value());
    EXPECT_TRUE(t->Drain(50).isEmpty());
    t->Send(request.mid(3));
    EXPECT_TRUE(t->ReadPacket().has_value());
}

TEST_F(ServerTest, BadMagicDropsEverythingHeld)
{
    auto t = Terminal(0);
    const quint16 port = app->channels().channels()[0]->port;
    t->Send(QByteArray("ABCD") + ServerInfoRequest().mid(4) + ServerInfoRequest());
    ASSERT_TRUE(WaitUntil([&] { return CountLog(QStringLiteral("invalid msg id")) == 1; }));
    EXPECT_EQ(LastLog(), QStringLiteral("DpfHandleMsg : ERROR. invalid msg id 44434241 from "
                                        "127.0.0.2 - %1.")
                             .arg(port));
    EXPECT_TRUE(t->Drain(50).isEmpty());
    t->Send(ServerInfoRequest()); // the next receive starts afresh
    EXPECT_TRUE(t->ReadPacket().has_value());
}

TEST_F(ServerTest, UnknownCommandDropsTheRestOfTheReceive)
{
    auto t = Terminal(0);
    t->Send(ServerInfoRequest() + MelodeckClient::Request(0x999, 0, QByteArray(4, 'x')) +
            ServerInfoRequest());
    EXPECT_TRUE(t->ReadPacket().has_value());
    ASSERT_TRUE(WaitUntil([&] { return CountLog(QStringLiteral("unknown cmd")) == 1; }));
    EXPECT_EQ(LastLog(), u"DpfHandleMsg : unknown cmd 999, len 20.");
    EXPECT_TRUE(t->Drain(50).isEmpty());
    // Reply codes sent by a terminal are unknown too.
    t->Send(MelodeckClient::Request(Cmd::ServerInfo));
    ASSERT_TRUE(
        WaitUntil([&] { return CountLog(QStringLiteral("unknown cmd 8110, len 16.")) == 1; }));
}

TEST_F(ServerTest, BlockedChannelLogsEachPacketAndAnswersNothing)
{
    auto t = Terminal(0);
    auto local = Connect(QHostAddress::LocalHost);
    EXPECT_FALSE(app->server().SetChannelBlocked(7, true));
    ASSERT_TRUE(app->server().SetChannelBlocked(0, true));
    ASSERT_TRUE(app->server().SetChannelBlocked(1, true));
    t->Send(ServerInfoRequest() + ServerInfoRequest());
    local->Send(ServerInfoRequest());
    ASSERT_TRUE(WaitUntil([&] { return CountLog(QStringLiteral("Blacking pcx")) == 3; }));
    EXPECT_EQ(CountLog(QStringLiteral("Blacking pcx 127.0.0.2 cmd 110h, len 16.")), 2);
    EXPECT_EQ(LastLog(), u"Blacking pcx localhost cmd 110h, len 16.");
    EXPECT_TRUE(t->Drain(50).isEmpty());
    ASSERT_TRUE(app->server().SetChannelBlocked(0, false));
    t->Send(ServerInfoRequest());
    EXPECT_TRUE(t->ReadPacket().has_value());
}

TEST_F(ServerTest, OversizeHeaderClosesTheChannel)
{
    auto fits = Terminal(0);
    auto huge = Terminal(1);
    auto wraps = Terminal(2);
    const quint16 port = app->channels().channels()[1]->port;
    fits->Send(Hex("4F525641 00000001 00003FF0 00000000") + QByteArray(100, '\0'));
    huge->Send(Hex("4F525641 00000001 00003FF1 00000000"));
    wraps->Send(Hex("4F525641 00000001 FFFFFFF8 00000000"));
    EXPECT_TRUE(huge->WaitForClose());
    EXPECT_TRUE(wraps->WaitForClose());
    EXPECT_EQ(CountLog(QStringLiteral("Closed client 1 (127.0.0.3 - %1).").arg(port)), 1);
    EXPECT_TRUE(fits->IsConnected()); // an allowed size just waits for its bytes
    ASSERT_TRUE(WaitUntil([&] { return app->clientRows().rowCount() == 1; }));
}

TEST_F(ServerTest, ServerInfoCarriesTheQueueOptionsInTheirBytes)
{
    QueConfig &config = app->config();
    config = QueConfig{};
    config.Tempo = true; // the box labelled key control: byte 29
    config.Uname = true;
    config.Confirm = true; // never sent
    config.Remocon = 0x101;
    auto t = Terminal(0);
    t->Send(ServerInfoRequest());
    const auto reply = t->ReadPacket();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(*reply, Hex("4F525641 00008110 00000010 00000000 00000000 0000000000000000"
                          "00 01 00 00 01 01 0000"));
}

TEST_F(ServerTest, TerminalThatStopsReadingIsClosedOnceRepliesBackUp)
{
    QTcpSocket lazy;
    lazy.setReadBufferSize(1);
    lazy.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    ASSERT_TRUE(lazy.bind(TerminalAddress(0), 0));
    lazy.connectToHost(QHostAddress::LocalHost, app->server().port());
    ASSERT_TRUE(WaitUntil([&] { return CountLog(QStringLiteral("Accepted ch")) == 1; }));
    auto other = Terminal(1);

    // Far more replies than the kernel buffers and the 1 MiB allowance hold.
    QByteArray burst;
    for (int i = 0; i < 4096; ++i)
        burst += ServerInfoRequest();
    const QString closed = QStringLiteral("Client[0] 0 (127.0.0.2) : connection closed.");
    for (int round = 0; round < 400 && CountLog(closed) == 0; ++round) {
        lazy.write(burst);
        Pump(5);
    }
    EXPECT_EQ(CountLog(closed), 1);
    // The other terminal is still served.
    other->Send(ServerInfoRequest());
    EXPECT_TRUE(other->ReadPacket().has_value());
}
