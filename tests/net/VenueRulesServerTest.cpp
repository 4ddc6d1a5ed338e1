#include "tests/net/InProcessServer.h"

namespace {

// A server whose "Moxi.ini" turns on fair turns, no duplicates and at most two
// songs a station; the catalogue holds songs 1..9.
class VenueRulesServerTest : public InProcessServer
{
protected:
    void PrepareDataFolder() override
    {
        QByteArray list;
        for (int n = 1; n <= 9; ++n)
            list += QByteArray::number(n) + "|Song " + QByteArray::number(n) + "|Band\n";
        WriteFileBytes(home.dataFolder() + u"/orvabook.txt"_qs, list);
        WriteFileBytes(home.dataFolder() + u"/Moxi.ini"_qs,
                       "[QueConfig]\r\nUsers=5\r\n[Venue]\r\nRotation=1\r\nNoDuplicates=1\r\n"
                       "MaxPerStation=2\r\n");
    }
};

// Terminals at stations 1..3 reserve in turn: refused adds answer 0 and say
// which rule refused them; the rest land by turns, in the window's rows and
// in the player's push alike.
TEST_F(VenueRulesServerTest, TerminalsGetFairTurnsAndTheGuardsRefuse)
{
    auto local = Connect(QHostAddress::LocalHost);
    std::vector<std::unique_ptr<MelodeckClient>> t;
    for (int i = 0; i < 3; ++i)
        t.push_back(Terminal(i));
    const std::tuple<int, quint32, quint32> steps[] = {
        {0, 1, 1}, {0, 2, 2}, {0, 3, 0}, // the third of station 1 is one too many
        {1, 2, 0},                       // song 2 is queued already
        {1, 4, 4}, {2, 5, 5}, {1, 6, 6},
    };
    for (const auto &[terminal, number, answer] : steps) {
        SCOPED_TRACE(number);
        EXPECT_EQ(Packet::NumberResult::Decode(Ask(*t[size_t(terminal)], Reserve(number))).number,
                  answer);
    }
    const QList<quint32> expected = {1, 4, 5, 2, 6};
    EXPECT_EQ(app->queue().Numbers(10), expected);
    QStringList rowNumbers;
    for (int i = 0; i < app->queue().rows().rowCount(); ++i)
        rowNumbers << app->queue().rows().cell(i, ReservationQueue::NumberColumn);
    EXPECT_EQ(rowNumbers, QStringList({"1", "4", "5", "2", "6"}));
    QList<quint32> pushed;
    EXPECT_TRUE(WaitUntil([&] {
        if (const auto packet = local->ReadPacket(50))
            pushed = QueuedNumbers(*packet);
        return pushed == expected;
    }));
    EXPECT_EQ(
        LogLines(u"Refused add"_qs),
        QStringList({u"Refused add number 3 from pcx 1: 2 songs queued (MaxPerStation)."_qs,
                     u"Refused add number 2 from pcx 2: already in the queue (NoDuplicates)."_qs}));
    // The rules leave the terminal options alone.
    EXPECT_EQ(app->config().Users, 5);
}

} // namespace
