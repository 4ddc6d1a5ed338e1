#include "queue/ReservationQueue.h"

#include "catalogue/SongRecord.h"
#include "tests/queue/QStringPrinter.h"
#include "tests/support/TempDir.h" // Hex

#include <QtEndian>
#include <gtest/gtest.h>
#include <map>

namespace {

// One RequestSet entry as a terminal or the local client sends it.
struct WireEntry
{
    quint32 number;
    qint16 pitch;
    qint16 tempo;
    qint16 index;
    QString name;
};

// A RequestSet packet declaring `declared` entries and carrying `entries`.
QByteArray SetPacket(quint16 mode, quint16 declared, const std::vector<WireEntry> &entries)
{
    QByteArray packet(16 + 52 * qsizetype(entries.size()), '\0');
    char *bytes = packet.data();
    memcpy(bytes, "ORVA", 4);
    qToBigEndian<quint32>(0x142, bytes + 4);
    qToBigEndian<quint32>(quint32(packet.size() - 16), bytes + 8);
    qToBigEndian<quint16>(mode, bytes + 12);
    qToBigEndian<quint16>(declared, bytes + 14);
    for (size_t i = 0; i < entries.size(); ++i) {
        char *wire = bytes + 16 + 52 * i;
        qToBigEndian<quint32>(entries[i].number, wire);
        qToBigEndian<qint16>(entries[i].pitch, wire + 4);
        qToBigEndian<qint16>(entries[i].tempo, wire + 6);
        qToBigEndian<quint16>(0x7777, wire + 8); // station bytes are not to be read
        qToBigEndian<qint16>(entries[i].index, wire + 10);
        for (int u = 0; u < entries[i].name.size() && u < 20; ++u)
            qToBigEndian<quint16>(entries[i].name[u].unicode(), wire + 12 + 2 * u);
    }
    return packet;
}

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
            AddSong(number, QStringLiteral("Title %1").arg(number),
                    QStringLiteral("Artist %1").arg(number));
    }

    // Appends songs for station 1 with no key, tempo or name.
    void Queue(std::initializer_list<quint32> numbers)
    {
        for (quint32 number : numbers)
            ASSERT_TRUE(queue.AddReservation(1, 0, number, 0, 0, QString()));
    }

    QList<quint32> Queued() const { return queue.Numbers(ReservationQueue::kCapacity); }

    // The view's "Song Number" column, which must mirror the queue.
    QList<quint32> RowNumbers() const
    {
        QList<quint32> numbers;
        for (int r = 0; r < queue.rows().rowCount(); ++r)
            numbers.append(queue.rows().cell(r, ReservationQueue::NumberColumn).toUInt());
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

using Nums = QList<quint32>;

TEST_F(ReservationQueueTest, HeadInsertGoesFirstAndKeepsIndexCells)
{
    Queue({1, 2, 3});
    ASSERT_TRUE(queue.AddReservation(4, 1, 9, 0, 0, QStringLiteral("N")));

    EXPECT_EQ(Queued(), (Nums{9, 1, 2, 3}));
    EXPECT_EQ(RowNumbers(), (Nums{9, 1, 2, 3}));
    EXPECT_EQ(queue.Numbers(2), (Nums{9, 1})); // BookList takes only the first ones
    EXPECT_EQ(queue.rows().cell(0, ReservationQueue::TitleColumn), QStringLiteral("Title 9"));
    EXPECT_EQ(queue.entry(0).station, 4u);
    // "Index" is the position at insertion; the rows behind are not renumbered.
    QStringList indexes;
    for (int r = 0; r < queue.rows().rowCount(); ++r)
        indexes << queue.rows().cell(r, ReservationQueue::IndexColumn);
    EXPECT_EQ(indexes, (QStringList{"1", "1", "2", "3"}));
}

TEST_F(ReservationQueueTest, AddWritesEveryCellOfTheRow)
{
    ASSERT_TRUE(queue.AddReservation(4, 0, 12, -2, 3, QStringLiteral("Abc")));

    EXPECT_EQ(queue.rows().row(0), (QStringList{"1", "", " 3 5  9:07:03", "4", "12", "Title 12",
                                                "Artist 12", "-2", "3", "Abc"}));
    EXPECT_EQ(queue.entry(0).reservedAt, now);
    EXPECT_FALSE(queue.entry(0).acceptedAt.isValid());

    // Month, day and hour are padded with spaces, not zeros.
    now = QDateTime(QDate(2024, 11, 28), QTime(23, 5, 9));
    Queue({1});
    EXPECT_EQ(queue.rows().cell(1, ReservationQueue::TimeColumn), QStringLiteral("1128 23:05:09"));
}

TEST_F(ReservationQueueTest, UnknownSongIsRefusedAndChangesNothing)
{
    Queue({1, 2});
    EXPECT_FALSE(queue.AddReservation(1, 0, 404, 0, 0, QString()));
    EXPECT_FALSE(queue.AddReservation(1, 1, 404, 0, 0, QString()));
    EXPECT_EQ(Queued(), (Nums{1, 2}));
    EXPECT_EQ(queue.rows().rowCount(), 2);

    songs.clear(); // an empty catalogue knows no song at all
    EXPECT_FALSE(queue.AddReservation(1, 0, 1, 0, 0, QString()));
    EXPECT_EQ(queue.count(), 2);
}

TEST_F(ReservationQueueTest, FullTitleOf48UnitsIsShownWhole)
{
    const QString title = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuv");
    ASSERT_EQ(title.size(), 48);
    AddSong(48, title, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWX"));
    ASSERT_TRUE(queue.AddReservation(1, 0, 48, 0, 0, QString()));
    EXPECT_EQ(queue.rows().cell(0, ReservationQueue::TitleColumn), title);
    EXPECT_EQ(queue.rows().cell(0, ReservationQueue::ArtistColumn),
              QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWX"));
}

TEST_F(ReservationQueueTest, AddRefusesWhenTheTableIsFull)
{
    for (int i = 0; i < ReservationQueue::kCapacity; ++i)
        ASSERT_TRUE(queue.AddReservation(1, i % 2, 5, 0, 0, QString()));
    EXPECT_FALSE(queue.AddReservation(1, 0, 7, 0, 0, QString()));
    EXPECT_FALSE(queue.AddReservation(1, 1, 7, 0, 0, QString()));
    EXPECT_EQ(queue.count(), ReservationQueue::kCapacity);
    EXPECT_EQ(queue.rows().rowCount(), ReservationQueue::kCapacity);
}

TEST_F(ReservationQueueTest, DeleteByNumberTakesTheFirstEntryOfAnyStation)
{
    ASSERT_TRUE(queue.AddReservation(1, 0, 2, 0, 0, QString()));
    ASSERT_TRUE(queue.AddReservation(1, 0, 5, 0, 0, QStringLiteral("first")));
    ASSERT_TRUE(queue.AddReservation(2, 0, 5, 0, 0, QStringLiteral("second")));

    // Either -1 asks for the search by number.
    EXPECT_TRUE(queue.DeleteReservation(5, -1, 3));
    EXPECT_EQ(Queued(), (Nums{2, 5}));
    EXPECT_EQ(queue.entry(1).CustomerText(), QStringLiteral("second"));
    EXPECT_EQ(RowNumbers(), (Nums{2, 5}));
    EXPECT_EQ(queue.rows().cell(1, ReservationQueue::CustomerColumn), QStringLiteral("second"));

    EXPECT_TRUE(queue.DeleteReservation(2, 1, -1));
    EXPECT_EQ(Queued(), (Nums{5}));
    EXPECT_FALSE(queue.DeleteReservation(9, -1, -1));
    EXPECT_EQ(Queued(), (Nums{5}));
}

TEST_F(ReservationQueueTest, DeleteByIndexChecksTheCountNotTheNumber)
{
    Queue({1, 2, 3, 5});
    EXPECT_FALSE(queue.DeleteReservation(3, 2, 5)); // stale: the queue holds 4
    EXPECT_EQ(Queued(), (Nums{1, 2, 3, 5}));

    ASSERT_TRUE(queue.DeleteReservation(5, 3, 4));
    // The index wins even when its entry holds another number.
    EXPECT_TRUE(queue.DeleteReservation(9, 1, 3));
    EXPECT_EQ(Queued(), (Nums{1, 3}));
    EXPECT_EQ(RowNumbers(), (Nums{1, 3}));
}

TEST_F(ReservationQueueTest, DeleteRefusesIndexOutsideTheQueueAndEmptyQueue)
{
    EXPECT_FALSE(queue.DeleteReservation(1, -1, -1));
    EXPECT_FALSE(queue.DeleteReservation(1, 0, 0));
    Queue({1, 2, 3});
    EXPECT_FALSE(queue.DeleteReservation(3, 3, 3));
    EXPECT_FALSE(queue.DeleteReservation(1, -2, 3));
    EXPECT_EQ(Queued(), (Nums{1, 2, 3}));
    EXPECT_EQ(queue.rows().rowCount(), 3);
}

TEST_F(ReservationQueueTest, OperatorDeleteUsesTheRowsSongNumber)
{
    Queue({5, 2, 5});
    // The selected third row shows 5: the first 5 in the queue goes.
    EXPECT_TRUE(queue.DeleteByNumber(2));
    EXPECT_EQ(Queued(), (Nums{2, 5}));
    EXPECT_EQ(RowNumbers(), (Nums{2, 5}));

    EXPECT_FALSE(queue.DeleteByNumber(2)); // no such row: nothing to push
    EXPECT_FALSE(queue.DeleteByNumber(-1));
    queue.rows().setCell(0, ReservationQueue::NumberColumn, QStringLiteral("x"));
    EXPECT_TRUE(queue.DeleteByNumber(0)); // a row was selected, but it reads as 0
    EXPECT_EQ(Queued(), (Nums{2, 5}));
}

TEST_F(ReservationQueueTest, EditModeChangesOnlyTheStationsOwnMatchingEntry)
{
    ASSERT_TRUE(queue.AddReservation(1, 0, 1, 0, 0, QStringLiteral("Ann")));
    ASSERT_TRUE(queue.AddReservation(2, 0, 2, 0, 0, QStringLiteral("Bob")));
    const QStringList untouched = queue.rows().row(0);
    now = now.addSecs(60);

    // Mode 0, one entry: song 1, pitch -3, tempo 2, index 0, name "Zed".
    const QByteArray edit = Hex("4F525641 00000142 00000034 0000 0001"
                                "00000001 FFFD 0002 0001 0000 005A 0065 0064") +
                            QByteArray(34, '\0');
    queue.ApplyQueueSet(2, edit); // station 2 does not own entry 0
    EXPECT_EQ(queue.entry(0).pitch, 0);
    EXPECT_EQ(queue.rows().row(0), untouched);

    queue.ApplyQueueSet(1, edit);
    EXPECT_EQ(queue.entry(0).pitch, -3);
    EXPECT_EQ(queue.entry(0).tempo, 2);
    EXPECT_EQ(queue.entry(0).CustomerText(), QStringLiteral("Zed"));
    EXPECT_EQ(queue.entry(0).reservedAt, now.addSecs(-60)); // an edit is no new reservation
    EXPECT_EQ(queue.rows().cell(0, ReservationQueue::KeyColumn), QStringLiteral("-3"));
    EXPECT_EQ(queue.rows().cell(0, ReservationQueue::TempoColumn), QStringLiteral("2"));
    EXPECT_EQ(queue.rows().cell(0, ReservationQueue::CustomerColumn), QStringLiteral("Zed"));

    // The number must still match the slot.
    queue.ApplyQueueSet(2, SetPacket(0, 1, {{9, 5, 5, 1, "X"}}));
    EXPECT_EQ(queue.entry(1).pitch, 0);
    EXPECT_EQ(queue.count(), 2);
}

TEST_F(ReservationQueueTest, ReplaceModeRewritesQueueAndRows)
{
    Queue({1, 2, 3});
    queue.AcceptEntry(0, now);
    now = now.addSecs(3600);

    queue.ApplyQueueSet(6, SetPacket(1, 2, {{7, -1, 4, 0, "Amy"}, {404, 2, 2, 1, "Ben"}}));

    EXPECT_EQ(Queued(), (Nums{7, 404}));
    EXPECT_EQ(queue.entry(0).station, 6u); // the sender's station, not the packet's bytes
    EXPECT_EQ(queue.entry(0).pitch, -1);
    EXPECT_EQ(queue.entry(0).reservedAt, now);
    EXPECT_FALSE(queue.entry(0).acceptedAt.isValid());
    EXPECT_EQ(queue.rows().row(0), (QStringList{"1", "", " 3 5 10:07:03", "6", "7", "Title 7",
                                                "Artist 7", "-1", "4", "Amy"}));
    // A song missing from the catalogue shows "???" and no key, tempo or name.
    EXPECT_EQ(queue.rows().row(1),
              (QStringList{"2", "", " 3 5 10:07:03", "6", "404", "???", "???", "", "", ""}));
    EXPECT_EQ(queue.rows().rowCount(), 2);
}

TEST_F(ReservationQueueTest, ReplaceWithNoEntriesEmptiesQueueAndRows)
{
    Queue({1, 2, 3});
    queue.ApplyQueueSet(1, Hex("4F525641 00000142 00000000 0001 0000"));
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.rows().rowCount(), 0);
}

TEST_F(ReservationQueueTest, ReplaceCutsCountToTheEntriesPresent)
{
    Queue({1});
    queue.ApplyQueueSet(1, SetPacket(1, 500, {{2, 0, 0, 0, ""}, {3, 0, 0, 1, ""}}));
    EXPECT_EQ(Queued(), (Nums{2, 3}));
    EXPECT_EQ(queue.rows().rowCount(), 2);

    // A trailing partial entry does not count either.
    queue.ApplyQueueSet(1, SetPacket(1, 2, {{5, 0, 0, 0, ""}, {7, 0, 0, 1, ""}}).chopped(1));
    EXPECT_EQ(Queued(), (Nums{5}));

    queue.ApplyQueueSet(1, QByteArray("ORVA")); // shorter than a header
    EXPECT_EQ(Queued(), (Nums{5}));
}

TEST_F(ReservationQueueTest, ReplaceSkipsIndexesOutsideTheTable)
{
    Queue({1, 2});
    queue.ApplyQueueSet(
        1, SetPacket(1, 3,
                     {{5, 0, 0, 1, ""}, {7, 0, 0, -1, ""}, {9, 0, 0, 5000, ""}, {3, 0, 0, 0, ""}}));
    // n = 3: entries 0..2 are read; slot 0 is not named by them and keeps song 1.
    EXPECT_EQ(queue.count(), 3);
    EXPECT_EQ(queue.entry(0).number, 1u);
    EXPECT_EQ(queue.entry(1).number, 5u);
    EXPECT_EQ(queue.rows().rowCount(), 3);
    EXPECT_EQ(queue.Numbers(3), (Nums{1, 5, 0}));
}

TEST_F(ReservationQueueTest, QueueListMatchesTheWireLayout)
{
    AddSong(1234, QStringLiteral("Song"), QStringLiteral("Singer"));
    ASSERT_TRUE(queue.AddReservation(3, 0, 1234, -2, 1, QStringLiteral("Abc")));
    AddSong(70000, QStringLiteral("Big"), QStringLiteral("Number"));
    ASSERT_TRUE(queue.AddReservation(65537, 0, 70000, 65538, -1, QString()));

    const QByteArray expected = Hex("4F525641 00008142 00000068 0001 0002"
                                    "000004D2 FFFE 0001 0003 0000 0041 0062 0063") +
                                QByteArray(34, '\0') + Hex("00011170 0002 FFFF 0001 0001") +
                                QByteArray(40, '\0');
    EXPECT_EQ(queue.BuildQueueList().toHex(' '), expected.toHex(' '));
}

TEST_F(ReservationQueueTest, QueueListOfThreeEntriesIs172Bytes)
{
    Queue({1, 2, 3});
    const QByteArray packet = queue.BuildQueueList();
    ASSERT_EQ(packet.size(), 172);
    EXPECT_EQ(qFromBigEndian<quint32>(packet.constData() + 8), 156u);
    EXPECT_EQ(qFromBigEndian<quint32>(packet.constData() + 12), 65539u);
    EXPECT_EQ(qFromBigEndian<quint16>(packet.constData() + 16 + 2 * 52 + 10), 2); // i of entry 2

    EXPECT_EQ(ReservationQueue(nullptr).BuildQueueList(),
              Hex("4F525641 00008142 00000000 0001 0000"));
}

TEST_F(ReservationQueueTest, QueueListCutsLongNamesToTwentyUnits)
{
    ASSERT_TRUE(queue.AddReservation(1, 0, 1, 0, 0, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY")));
    EXPECT_EQ(queue.entry(0).CustomerText(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"));
    const QByteArray packet = queue.BuildQueueList();
    ASSERT_EQ(packet.size(), 68);
    EXPECT_EQ(packet.mid(28),
              QByteArray("\0A\0B\0C\0D\0E\0F\0G\0H\0I\0J\0K\0L\0M\0N\0O\0P\0Q\0R\0S\0T", 40));
}

TEST_F(ReservationQueueTest, AcceptStampsEntryAndStatusCell)
{
    Queue({1, 2});
    const QDateTime accepted(QDate(2024, 12, 4), QTime(9, 7, 5));
    queue.AcceptEntry(1, accepted);
    EXPECT_EQ(queue.entry(1).acceptedAt, accepted);
    EXPECT_EQ(queue.rows().cell(1, ReservationQueue::StatusColumn),
              QStringLiteral("04 Dec 09:07:05"));
    EXPECT_TRUE(queue.rows().cell(0, ReservationQueue::StatusColumn).isEmpty());

    queue.AcceptEntry(2, accepted); // no entry behind that row
    queue.AcceptEntry(-1, accepted);
    EXPECT_EQ(queue.rows().rowCount(), 2);
    EXPECT_FALSE(queue.entry(0).acceptedAt.isValid());
}

} // namespace
