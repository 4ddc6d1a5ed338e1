#include "queue/ReservationQueue.h"

#include "catalogue/SongRecord.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <tuple>

namespace {

// The station of items the local client sends back, never taken back.
constexpr quint32 kEcho = 0x7777;

using Nums = QList<quint32>;
using Row = QStringList;

class ReservationQueueTest : public ::testing::Test
{
protected:
    void AddSong(quint32 number, const QString &title, const QString &artist)
    {
        SongRecord song;
        song.number = number;
        std::copy_n(title.utf16(), std::min<qsizetype>(title.size(), 48), song.title);
        std::copy_n(artist.utf16(), std::min<qsizetype>(artist.size(), 24), song.artist);
        songs[number] = song;
    }

    void SetUp() override
    {
        for (quint32 number : {1u, 2u, 3u, 5u, 7u, 9u, 12u})
            AddSong(number, u"Title %1"_qs.arg(number), u"Artist %1"_qs.arg(number));
    }

    // Appends songs for station 1 with no key, tempo or name.
    void Queue(std::initializer_list<quint32> numbers)
    {
        for (quint32 number : numbers)
            ASSERT_TRUE(queue.AddReservation(1, 0, number, 0, 0, QString()));
    }

    // The queue's numbers, checked against the view's "Song Number" column.
    Nums Queued() const
    {
        Nums rows;
        for (int r = 0; r < queue.rows().rowCount(); ++r)
            rows.append(queue.rows().cell(r, ReservationQueue::NumberColumn).toUInt());
        const Nums numbers = queue.Numbers(ReservationQueue::kCapacity);
        EXPECT_EQ(rows, numbers) << "the view mirrors the queue";
        return numbers;
    }

    std::map<quint32, SongRecord> songs;
    QDateTime now{QDate(2024, 3, 5), QTime(9, 7, 3)};
    ReservationQueue queue{[this](quint32 number) -> const SongRecord * {
                               const auto found = songs.find(number);
                               return found == songs.end() ? nullptr : &found->second;
                           },
                           [this] { return now; }};
};

TEST_F(ReservationQueueTest, AddAppendsOrGoesFirstUntilFullFillingEveryCellAndAcceptStamps)
{
    AddSong(48, QString(47, u'T') + u'!', QString(24, u'a'));
    Queue({1, 2, 3});
    ASSERT_TRUE(queue.AddReservation(4, 1, 12, -2, 3, u"Abc"_qs));

    EXPECT_EQ(Queued(), (Nums{12, 1, 2, 3}));
    EXPECT_EQ(queue.Numbers(2), (Nums{12, 1})); // BookList takes only the first ones
    EXPECT_EQ(queue.rows().row(0), (Row{"1", "", " 3 5  9:07:03", "4", "12", "Title 12",
                                        "Artist 12", "-2", "3", "Abc"}));
    EXPECT_EQ(queue.entry(0).reservedAt.ToDateTime(), now);
    // "Index" is the position at insertion; the rows behind are not renumbered.
    for (int r = 1; r < 4; ++r)
        EXPECT_EQ(queue.rows().cell(r, ReservationQueue::IndexColumn), QString::number(r));

    // Unknown songs change nothing.
    EXPECT_FALSE(queue.AddReservation(1, 0, 404, 0, 0, {}) ||
                 queue.AddReservation(1, 1, 404, 0, 0, {}));
    EXPECT_EQ(Queued(), (Nums{12, 1, 2, 3}));

    // Month, day and hour are padded with spaces; a full 48-unit title is shown whole.
    now = QDateTime(QDate(2024, 11, 28), QTime(23, 5, 9));
    Queue({48});
    EXPECT_EQ(queue.rows().row(4).mid(2, 5),
              (Row{"1128 23:05:09", "1", "48", QString(47, u'T') + u'!', QString(24, u'a')}));

    // Accepting stamps the entry and its "Status" cell; rows without an entry are ignored.
    const QDateTime accepted(QDate(2024, 12, 4), QTime(9, 7, 5));
    for (int row : {1, 5, -1})
        queue.AcceptEntry(row, accepted);
    EXPECT_TRUE(queue.entry(1).acceptedAt.ToDateTime() == accepted &&
                !queue.entry(0).acceptedAt.isValid());
    EXPECT_EQ(queue.rows().cell(1, ReservationQueue::StatusColumn), u"04 Dec 09:07:05"_qs);
    EXPECT_TRUE(queue.rows().cell(0, ReservationQueue::StatusColumn).isEmpty());

    // A full table refuses both kinds of add.
    while (queue.count() < ReservationQueue::kCapacity)
        ASSERT_TRUE(queue.AddReservation(1, queue.count() % 2, 5, 0, 0, QString()));
    EXPECT_FALSE(queue.AddReservation(1, 0, 7, 0, 0, {}) ||
                 queue.AddReservation(1, 1, 7, 0, 0, {}));
    EXPECT_EQ(Queued().size(), ReservationQueue::kCapacity);
}

TEST_F(ReservationQueueTest, DeletesByNumberByIndexWithTheCurrentCountOrByRow)
{
    EXPECT_FALSE(queue.DeleteReservation(1, -1, -1) || queue.DeleteReservation(1, 0, 0)); // empty
    ASSERT_TRUE(queue.AddReservation(1, 0, 2, 0, 0, QString()));
    ASSERT_TRUE(queue.AddReservation(1, 0, 5, 0, 0, u"first"_qs));
    ASSERT_TRUE(queue.AddReservation(2, 0, 5, 0, 0, u"second"_qs));
    Queue({1, 3});

    // Either -1 asks for the first entry with the number, whatever its station.
    EXPECT_TRUE(queue.DeleteReservation(5, -1, 3));
    EXPECT_EQ(Queued(), (Nums{2, 5, 1, 3}));
    EXPECT_EQ(queue.rows().cell(1, ReservationQueue::CustomerColumn), u"second"_qs);
    EXPECT_TRUE(queue.DeleteReservation(2, 1, -1));
    EXPECT_FALSE(queue.DeleteReservation(9, -1, -1));
    EXPECT_EQ(Queued(), (Nums{5, 1, 3}));

    // An index needs the current count, then wins whatever number it holds.
    EXPECT_FALSE(queue.DeleteReservation(3, 2, 4) || // stale
                 queue.DeleteReservation(3, 3, 3) || queue.DeleteReservation(1, -2, 3));
    EXPECT_EQ(Queued(), (Nums{5, 1, 3}));
    EXPECT_TRUE(queue.DeleteReservation(9, 1, 3));
    EXPECT_EQ(Queued(), (Nums{5, 3}));

    // The operator's Delete takes the first entry with the selected row's number.
    Queue({5});
    EXPECT_TRUE(queue.DeleteByNumber(2));
    EXPECT_EQ(Queued(), (Nums{3, 5}));
    EXPECT_FALSE(queue.DeleteByNumber(2) || queue.DeleteByNumber(-1)); // no such row: no push
    queue.rows().setCell(0, ReservationQueue::NumberColumn, u"x"_qs);
    EXPECT_TRUE(queue.DeleteByNumber(0)); // a row was selected, but it reads as 0
    EXPECT_EQ(queue.Numbers(5), (Nums{3, 5}));
}

// An edit changes only the sender's own entry holding that song; a replace
// rewrites the whole queue for the sender's station.
TEST_F(ReservationQueueTest, QueueSetEditsTheStationsOwnEntryOrReplacesTheQueue)
{
    ASSERT_TRUE(queue.AddReservation(1, 0, 1, 0, 0, u"Ann"_qs));
    ASSERT_TRUE(queue.AddReservation(2, 0, 2, 0, 0, u"Bob"_qs));
    Queue({3});
    queue.AcceptEntry(0, now);
    const Row untouched = queue.rows().row(0);
    const QDateTime reserved = now;
    now = now.addSecs(60);

    const QList<QueueItem> edit{{1, -3, 2, kEcho, 0, u"Zed"_qs}};
    queue.ApplyQueueSet(2, false, edit);                           // station 2 does not own entry 0
    queue.ApplyQueueSet(2, false, {{9, 5, 5, kEcho, 1, u"X"_qs}}); // entry 1 holds song 2
    EXPECT_EQ(queue.rows().row(0), untouched);
    EXPECT_TRUE(queue.entry(0).pitch == 0 && queue.entry(1).pitch == 0);
    queue.ApplyQueueSet(1, false, edit);
    const QueueEntry &edited = queue.entry(0);
    EXPECT_TRUE(edited.pitch == -3 && edited.tempo == 2 && edited.CustomerText() == u"Zed");
    EXPECT_EQ(queue.entry(0).reservedAt.ToDateTime(), reserved); // an edit is no new reservation
    EXPECT_EQ(queue.rows().row(0).mid(7), (Row{"-3", "2", "Zed"}));

    now = now.addSecs(3540);
    queue.ApplyQueueSet(6, true,
                        {{7, -1, 4, kEcho, 0, u"Amy"_qs}, {404, 2, 2, kEcho, 1, u"Ben"_qs}});

    EXPECT_EQ(Queued(), (Nums{7, 404}));
    EXPECT_EQ(queue.entry(0).station, 6u); // the sender's station, not the packet's bytes
    EXPECT_EQ(queue.entry(0).reservedAt.ToDateTime(), now);
    EXPECT_FALSE(queue.entry(0).acceptedAt.isValid());
    EXPECT_EQ(queue.rows().row(0),
              (Row{"1", "", " 3 5 10:07:03", "6", "7", "Title 7", "Artist 7", "-1", "4", "Amy"}));
    // A song missing from the catalogue shows "???" and no key, tempo or name.
    EXPECT_EQ(queue.rows().row(1),
              (Row{"2", "", " 3 5 10:07:03", "6", "404", "???", "???", "", "", ""}));

    // Items naming a position outside 0..4999 are skipped, but count: slots 0 and 1 stay.
    queue.ApplyQueueSet(
        1, true, {{5, 0, 0, kEcho, 2, {}}, {7, 0, 0, kEcho, -1, {}}, {9, 0, 0, kEcho, 5000, {}}});
    EXPECT_EQ(Queued(), (Nums{7, 404, 5}));

    queue.ApplyQueueSet(1, true, {});
    EXPECT_EQ(Queued(), Nums{});
}

} // namespace
