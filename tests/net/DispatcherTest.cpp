#include "queue/FavoriteStore.h"
#include "queue/ReservationQueue.h"
#include "tests/net/InProcessServer.h"
#include "tests/support/Requests.h"

#include <QtEndian>

namespace {

// Commands carried out by a server in this process, with a two-song catalogue.
class DispatcherTest : public InProcessServer
{
protected:
    void PrepareDataFolder() override
    {
        WriteFileBytes(home.dataFolder() + QStringLiteral("/orvabook.txt"),
                       "\xEF\xBB\xBF"
                       "12|Love Song|Singer\n7|Seven|Sailors\n");
    }
    QByteArray Ask(MelodeckClient &client, const QByteArray &request)
    {
        client.Send(request);
        return client.ReadPacket().value_or(QByteArray());
    }
};

} // namespace

TEST_F(DispatcherTest, KeysWithoutLocalClientAreLoggedAndDropped)
{
    auto t = Terminal(0);
    t->Send(MelodeckClient::Request(Cmd::RemoteControlKey, 0x3FF) +
            MelodeckClient::Request(Cmd::RemoconNumberKey, 0xFFFFFFFF));
    ASSERT_TRUE(
        WaitUntil([&] { return CountLog(QStringLiteral("Remocon NumberKey (-1).")) == 1; }));
    EXPECT_EQ(CountLog(QStringLiteral("RemoteControl Key (3ff).")), 1);
    EXPECT_TRUE(t->Drain(50).isEmpty());
    // The last number key comes back in every book list.
    EXPECT_EQ(At(Ask(*t, MelodeckClient::Request(Cmd::RequestBookList)), 16), 0xFFFFFFFFu);
}

TEST_F(DispatcherTest, BookListIsLoggedOncePerStationAndQueueLength)
{
    auto a = Terminal(0);
    auto b = Terminal(1);
    const QByteArray request = MelodeckClient::Request(Cmd::RequestBookList);
    Ask(*a, request);
    Ask(*a, request);
    EXPECT_EQ(CountLog(QStringLiteral("RequestBookList 0 (0).")), 1);
    Ask(*b, request);
    EXPECT_EQ(CountLog(QStringLiteral("RequestBookList 1 (0).")), 1);
    Ask(*b, Add(12));
    const QByteArray list = Ask(*b, request);
    EXPECT_EQ(CountLog(QStringLiteral("RequestBookList 1 (1).")), 1);
    EXPECT_EQ(At(list, 20), 12u);
}

TEST_F(DispatcherTest, FullQueueAnswersZeroAndStillPushes)
{
    auto t = Terminal(0);
    auto local = Connect(QHostAddress::LocalHost);
    for (int i = 0; i < ReservationQueue::kCapacity; ++i)
        ASSERT_TRUE(app->queue().AddReservation(3, 0, 7, 0, 0, QString()));
    t->Send(Add(12));
    EXPECT_EQ(At(t->ReadPacket().value_or(QByteArray()), 16), 0u);
    const auto pushed = local->ReadPacket(10000);
    ASSERT_TRUE(pushed.has_value());
    EXPECT_EQ(pushed->size(), 16 + 52 * ReservationQueue::kCapacity);
    EXPECT_EQ(app->queue().count(), ReservationQueue::kCapacity);
}

TEST_F(DispatcherTest, BlockedTerminalCannotReserve)
{
    auto t = Terminal(0);
    ASSERT_TRUE(app->server().SetChannelBlocked(0, true));
    t->Send(Add(12));
    ASSERT_TRUE(WaitUntil(
        [&] { return CountLog(QStringLiteral("Blacking pcx 127.0.0.2 cmd 140h, len 68.")) == 1; }));
    EXPECT_TRUE(t->Drain(50).isEmpty());
    EXPECT_EQ(app->queue().count(), 0);
    EXPECT_EQ(app->queue().rows().rowCount(), 0);
}

TEST_F(DispatcherTest, QueueRowsFollowTerminalRequests)
{
    auto t = Terminal(0);
    auto u = Terminal(1);
    Ask(*t, Add(12));
    Ask(*u, MelodeckClient::Request(Cmd::RequestAdd, 1, U32(99) + QByteArray(48, '\0')));
    Ask(*u,
        MelodeckClient::Request(Cmd::RequestAdd, 1,
                                U32(7) + U32(quint32(-3)) + U32(2) + Name(QStringLiteral("Zoë"))));
    const RowTable &rows = app->queue().rows();
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.row(0).mid(3), (QStringList{u"1"_qs, u"7"_qs, u"Seven"_qs, u"Sailors"_qs,
                                               u"-3"_qs, u"2"_qs, u"Zoë"_qs}));
    // Numbered by the position each was inserted at; the head insert renumbers nothing.
    EXPECT_EQ(rows.cell(0, 0), u"1");
    EXPECT_EQ(rows.cell(1, 0), u"1");
    Ask(*t,
        MelodeckClient::Request(Cmd::RequestDel, 0, U32(7) + U32(quint32(-1)) + U32(quint32(-1))));
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.cell(0, 4), u"12");
}

TEST_F(DispatcherTest, FullFavoriteStoreRefusesNewLists)
{
    for (int i = 0; i < FavoriteStore::kCapacity; ++i)
        ASSERT_TRUE(app->favorites().CreateFavoriteList(QString::number(i)));
    auto t = Terminal(0);
    EXPECT_EQ(
        At(Ask(*t, MelodeckClient::Request(Cmd::NewFavoriteList, 0, Name(QStringLiteral("x")))),
           12),
        1u);
    t->Send(
        MelodeckClient::Request(Cmd::AddFavoriteCreate, 0, U32(12) + Name(QStringLiteral("y"))));
    ASSERT_TRUE(
        WaitUntil([&] { return CountLog(QStringLiteral("add favorite list(y 12).")) == 1; }));
    EXPECT_EQ(app->favorites().listCount(), FavoriteStore::kCapacity);
    EXPECT_FALSE(app->favorites().FindFavoriteList(QStringLiteral("y"), nullptr));
    // An existing list still takes songs through the same command.
    t->Send(
        MelodeckClient::Request(Cmd::AddFavoriteCreate, 0, U32(12) + Name(QStringLiteral("7"))));
    ASSERT_TRUE(
        WaitUntil([&] { return CountLog(QStringLiteral("add favorite list(7 12).")) == 1; }));
    EXPECT_EQ(app->favorites().rows().cell(7, 1), u"12");
}
