#include "queue/FavoriteStore.h"

#include "base/EventLog.h"
#include "tests/queue/QStringPrinter.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using SongNumbers = FavoriteStore::SongNumbers;
using Row = QStringList;

// A file as the store writes it: the mark FF FE, then `text` as UTF-16LE.
QByteArray Utf16File(const QString &text)
{
    return QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom)(text);
}

SongNumbers Songs(std::initializer_list<quint32> numbers)
{
    SongNumbers songs{};
    std::copy(numbers.begin(), numbers.end(), songs.begin());
    return songs;
}

class FavoriteStoreTest : public ::testing::Test
{
protected:
    void TearDown() override { EventLog::Attach(nullptr); }

    QString FilePath() const { return home.dataFolder() + QStringLiteral("/Favorite.txt"); }

    void Create(std::initializer_list<const char *> names)
    {
        for (const char *name : names)
            ASSERT_TRUE(store.CreateFavoriteList(QString::fromUtf8(name)));
    }

    // The numbers FindFavoriteList gives, starting from a filled array.
    SongNumbers Find(const QString &name, bool found = true) const
    {
        SongNumbers numbers;
        numbers.fill(7);
        EXPECT_EQ(store.FindFavoriteList(name, &numbers), found) << name.toStdString();
        return numbers;
    }

    // The view's rows, one "name|songs" text each.
    QStringList Rows(const FavoriteStore &from) const
    {
        QStringList rows;
        for (int r = 0; r < from.rows().rowCount(); ++r)
            rows << from.rows().row(r).join(u'|');
        return rows;
    }

    TempHome home;
    FavoriteStore store;
};

TEST_F(FavoriteStoreTest, SavesUtf16LinesThatLoadBackAndNoListsAsAnEmptyFile)
{
    store.LoadFavoriteLists(); // no file yet
    EXPECT_EQ(store.listCount(), 0);
    WriteFileBytes(FilePath(), Utf16File(QStringLiteral("Old|1\r\n")));
    store.SaveFavoriteLists();
    EXPECT_TRUE(QFile::exists(FilePath()));
    EXPECT_EQ(ReadFileBytes(FilePath()), QByteArray());

    Create({"Party"});
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 1203));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 45));
    store.SaveFavoriteLists();
    // FF FE, "Party|1203,45", CR LF.
    EXPECT_EQ(ReadFileBytes(FilePath()).toHex(' '),
              Hex("FFFE 5000 6100 7200 7400 7900 7C00 3100 3200 3000 3300 2C00 3400 3500"
                  "0D00 0A00")
                  .toHex(' '));
    EXPECT_EQ(Rows(store), QStringList("Party|1203,45"));

    // A name with a bar comes back as a list without songs.
    Create({"A|B"});
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("A|B"), 2));
    store.SaveFavoriteLists();
    EXPECT_EQ(ReadFileBytes(FilePath()), Utf16File(QStringLiteral("Party|1203,45\r\nA|B|2\r\n")));
    FavoriteStore next;
    next.LoadFavoriteLists();
    EXPECT_EQ(Rows(next), QStringList({"Party|1203,45", "A|"}));
    EXPECT_EQ(next.list(1).NameView(), u"A");
    EXPECT_EQ(next.list(1).songNumbers, SongNumbers{});
}

TEST_F(FavoriteStoreTest, CreateAddAndFindFollowTheirRules)
{
    EXPECT_FALSE(store.AddSongToFavoriteList(QStringLiteral("Party"), 5)); // no lists at all
    Create({"Party", "party", "Big"}); // names are case-sensitive
    EXPECT_FALSE(store.CreateFavoriteList(QStringLiteral("Party")));
    EXPECT_TRUE(store.CreateFavoriteList(QString(39, u'n')));
    EXPECT_FALSE(store.CreateFavoriteList(QString(40, u'n')));
    EXPECT_EQ(store.listCount(), 4);

    EXPECT_FALSE(store.AddSongToFavoriteList(QStringLiteral("Party"), 0));
    EXPECT_FALSE(store.AddSongToFavoriteList(QStringLiteral("Kids"), 5));
    for (quint32 n : {1203u, 45u, 45u})
        EXPECT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), n));
    EXPECT_EQ(Find(QStringLiteral("Party")), Songs({1203, 45}));
    EXPECT_EQ(Find(QStringLiteral("party")), SongNumbers{});
    EXPECT_EQ(Find(QStringLiteral("Parties"), false), SongNumbers{});

    for (quint32 n = 1; n <= 129; ++n)
        EXPECT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Big"), n));
    const SongNumbers big = Find(QStringLiteral("Big"));
    EXPECT_EQ(big[0], 1u);
    EXPECT_EQ(big[127], 128u);
    EXPECT_TRUE(store.rows().cell(2, FavoriteStore::SongsColumn).endsWith(u",127,128"));
}

TEST_F(FavoriteStoreTest, LoadAddsListsOfAnyEncodingAndSkipsLinesWithoutBar)
{
    WriteFileBytes(FilePath(), Utf16File(QStringLiteral("Kids|\r\nKids|1, 2,,3\r\nx\r\n")));
    store.LoadFavoriteLists();
    ASSERT_EQ(store.listCount(), 2);
    EXPECT_EQ(store.list(1).songNumbers, Songs({1, 2, 3}));
    EXPECT_EQ(Find(QStringLiteral("Kids")), SongNumbers{}); // two lists share a name: the first

    // UTF-8 with mark, the last line without line end: "x" is 0 and ends the list.
    WriteFileBytes(FilePath(),
                   Hex("EFBBBF") + QStringLiteral(u"  Mix|x,5|99  \r\nCafé|-5").toUtf8());
    store.LoadFavoriteLists();
    EXPECT_EQ(store.list(2).songNumbers, Songs({0, 5}));
    EXPECT_EQ(Rows(store),
              QStringList({"Kids|", "Kids|1,2,3", "Mix|", QStringLiteral(u"Café|-5")}));
    // Adding fills the place of the 0.
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Mix"), 9));
    EXPECT_EQ(store.FileBytes(),
              Utf16File(QStringLiteral(u"Kids|\r\nKids|1,2,3\r\nMix|9,5\r\nCafé|-5\r\n")));
}

TEST_F(FavoriteStoreTest, ReplaceLogsAndSavesAtOnceDeleteKeepsOrderWithoutSaving)
{
    RowTable log({QStringLiteral("Time"), QStringLiteral("Action")});
    EventLog::Attach(&log);
    EXPECT_FALSE(store.ReplaceFavoriteList(QStringLiteral("Party"), Songs({1})));
    EXPECT_FALSE(store.DeleteFavoriteList(QStringLiteral("Alpha")));
    Create({"Zed", "Alpha", "Party"});
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 1));
    EXPECT_FALSE(QFile::exists(FilePath())); // creating and adding stay in memory

    EXPECT_TRUE(store.ReplaceFavoriteList(QStringLiteral("Party"), Songs({5, 6})));
    const QByteArray saved = Utf16File(QStringLiteral("Zed|\r\nAlpha|\r\nParty|5,6\r\n"));
    EXPECT_EQ(ReadFileBytes(FilePath()), saved);
    EXPECT_EQ(store.rows().row(2), (Row{"Party", "5,6"}));
    ASSERT_EQ(log.rowCount(), 3);
    EXPECT_EQ(log.cell(0, 1), QStringLiteral("(Zed, Party) result 1."));
    EXPECT_EQ(log.cell(1, 1), QStringLiteral("(Alpha, Party) result -1."));
    EXPECT_EQ(log.cell(2, 1), QStringLiteral("(Party, Party) result 0."));

    EXPECT_TRUE(store.DeleteFavoriteList(QStringLiteral("Alpha")));
    EXPECT_FALSE(store.DeleteFavoriteList(QStringLiteral("Alpha")));
    EXPECT_EQ(ReadFileBytes(FilePath()), saved);
    EXPECT_EQ(Rows(store), QStringList({"Zed|", "Party|5,6"}));
    EXPECT_EQ(store.list(1).NameView(), u"Party");
    EXPECT_EQ(Find(QStringLiteral("Party")), Songs({5, 6}));
    EXPECT_EQ(store.list(2).NameView(), u""); // the freed slot holds nothing

    ASSERT_TRUE(QFile::remove(FilePath()));
    EXPECT_FALSE(store.ReplaceFavoriteList(QStringLiteral("Nobody"), Songs({9})));
    EXPECT_FALSE(QFile::exists(FilePath()));
    ASSERT_EQ(log.rowCount(), 5);
    EXPECT_EQ(log.cell(4, 1), QStringLiteral("(Party, Nobody) result 1."));
}

TEST_F(FavoriteStoreTest, LoadStopsAtEveryCapacityAndAFailedSaveLeavesTheOldFileWhole)
{
    QString text = QString(45, u'N') + u'|';
    for (int n = 1; n <= 130; ++n)
        text += QString::number(n) + u',';
    text += u"\r\n";
    for (int i = 1; i <= FavoriteStore::kCapacity; ++i)
        text += QStringLiteral("L%1|%1\r\n").arg(i);
    WriteFileBytes(FilePath(), Utf16File(text));

    store.LoadFavoriteLists();
    ASSERT_EQ(store.listCount(), FavoriteStore::kCapacity);
    EXPECT_EQ(store.list(0).NameView(), QString(39, u'N'));
    EXPECT_EQ(store.list(0).songNumbers[127], 128u);
    EXPECT_EQ(store.list(4999).NameView(), u"L4999");
    EXPECT_EQ(store.rows().rowCount(), FavoriteStore::kCapacity);

    // A full store refuses a new list but still deletes one.
    EXPECT_FALSE(store.CreateFavoriteList(QStringLiteral("New")));
    EXPECT_TRUE(store.DeleteFavoriteList(QStringLiteral("L1")));
    EXPECT_TRUE(store.CreateFavoriteList(QStringLiteral("New")));
    EXPECT_EQ(store.rows().cell(4999, FavoriteStore::NameColumn), QStringLiteral("New"));

    // A failed save leaves the old file whole. A file-size limit stands in for a full
    // disk: writes beyond 1 KiB fail.
    const QByteArray old = ReadFileBytes(FilePath());
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1024;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    store.SaveFavoriteLists();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadFileBytes(FilePath()), old);
    EXPECT_EQ(QDir(home.dataFolder()).entryList(QDir::Files), QStringList{"Favorite.txt"});
    // Once there is room again the same save goes through.
    store.SaveFavoriteLists();
    EXPECT_EQ(ReadFileBytes(FilePath()), store.FileBytes());
    EXPECT_NE(store.FileBytes(), old);
}

} // namespace
