#include "base/VenueConfig.h"
#include "catalogue/SongRecord.h"
#include "queue/ReservationQueue.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using Stations = QList<quint32>;

// Every song number is in the catalogue; the entries' song is their order of adding.
class VenueRulesTest : public ::testing::Test
{
protected:
    SongRecord song;
    ReservationQueue queue{[this](quint32 n) {
        song.number = n;
        return &song;
    }};
    VenueConfig rules;
    quint32 next = 1;

    Stations QueuedStations() const
    {
        Stations stations;
        for (int i = 0; i < queue.count(); ++i)
            stations.append(queue.entry(i).station);
        return stations;
    }
    void Add(quint32 station, int positionFlag = 0)
    {
        ASSERT_TRUE(queue.AddByRules(rules, station, positionFlag, next++, 0, 0, QString()));
    }
};

// Fair turns, worked by hand: each row starts from a queue of stations
// (added plainly, in order), adds from the given stations in turn with
// Rotation on, and ends with the stations in the order shown.
TEST_F(VenueRulesTest, RotationPlacesAStationsNthSongAfterEveryOtherStationsNth)
{
    const std::tuple<const char *, Stations, Stations, Stations> cases[] = {
        {"into an empty queue", {}, {1, 1, 1, 2, 2, 3}, {1, 2, 3, 1, 2, 1}},
        {"a station that joins late", {1, 2, 1, 2, 1, 2}, {3, 3}, {1, 2, 3, 1, 2, 3, 1, 2}},
        {"the head is never displaced", {1, 1, 1}, {2}, {1, 2, 1, 1}},
        {"behind a lone head", {2}, {1}, {2, 1}},
        {"a station already ahead goes last", {1, 2, 3}, {1}, {1, 2, 3, 1}},
        {"equal turns keep arrival order", {1, 2, 1, 2}, {3, 3, 3}, {1, 2, 3, 1, 2, 3, 3}},
    };
    for (const auto &[name, before, adds, after] : cases) {
        SCOPED_TRACE(name);
        queue.ApplyQueueSet(0, true, {});
        rules.Rotation = false;
        for (quint32 station : before)
            Add(station);
        rules.Rotation = true;
        for (quint32 station : adds)
            Add(station);
        EXPECT_EQ(QueuedStations(), after);
        // Every view row sits with its entry.
        for (int i = 0; i < queue.count(); ++i)
            EXPECT_EQ(queue.rows().cell(i, ReservationQueue::StationColumn),
                      QString::number(after[i]));
    }
}

// The head flag and the local client's queue set keep their meaning: the
// rule only decides where an ordinary add lands.
TEST_F(VenueRulesTest, HeadFlagAndLocalClientReorderBetweenAdds)
{
    rules.Rotation = true;
    for (quint32 station : {1, 1, 2})
        Add(station);
    ASSERT_EQ(QueuedStations(), (Stations{1, 2, 1}));
    Add(3, 1);
    EXPECT_EQ(QueuedStations(), (Stations{3, 1, 2, 1}));
    // The local client (station 0) sends the queue back reordered: every
    // entry is now its own, so station 1's next song is its first again.
    QList<QueueItem> items;
    for (int i : {3, 2, 1, 0})
        items.append({queue.entry(i).number, 0, 0, 0, 3 - i, QString()});
    queue.ApplyQueueSet(0, true, items);
    Add(1);
    EXPECT_EQ(QueuedStations(), (Stations{0, 1, 0, 0, 0}));
    rules.Rotation = false;
    Add(1);
    EXPECT_EQ(QueuedStations().last(), 1u);
}

// Duplicates and a station's limit refuse an add; off (the default) they never do.
TEST_F(VenueRulesTest, GuardsRefuseDuplicatesAndFullStations)
{
    for (quint32 station : {1, 1, 2})
        Add(station); // songs 1, 2, 3
    using R = ReservationQueue::Refusal;
    const std::tuple<bool, int, quint32, quint32, R> cases[] = {
        {false, 0, 1, 2, R::None},        {true, 0, 1, 2, R::Duplicate}, {true, 0, 3, 9, R::None},
        {false, 2, 1, 9, R::StationFull}, {false, 2, 2, 9, R::None},     {false, 3, 1, 9, R::None},
        {true, 2, 1, 2, R::Duplicate},    {false, 1, 3, 9, R::None},
    };
    for (const auto &[noDuplicates, maxPerStation, station, number, expected] : cases) {
        SCOPED_TRACE(testing::Message() << noDuplicates << maxPerStation << station << number);
        rules.NoDuplicates = noDuplicates;
        rules.MaxPerStation = maxPerStation;
        EXPECT_EQ(queue.CheckRules(rules, station, number), expected);
    }
}

} // namespace
