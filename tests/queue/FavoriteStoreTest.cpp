#include "queue/FavoriteStore.h"

#include "app/EventLog.h"
#include "tests/queue/QStringPrinter.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using SongNumbers = FavoriteStore::SongNumbers;

// A file as the store writes it: the mark FF FE, then `text` as UTF-16LE.
QByteArray Utf16File(const QString &text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        char unit[2];
        qToLittleEndian<quint16>(c.unicode(), unit);
        bytes.append(unit, 2);
    }
    return bytes;
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

    SongNumbers Find(const QString &name) const
    {
        SongNumbers numbers;
        numbers.fill(7);
        store.FindFavoriteList(name, &numbers);
        return numbers;
    }

    QStringList Names() const
    {
        QStringList names;
        for (int r = 0; r < store.rows().rowCount(); ++r)
            names << store.rows().cell(r, FavoriteStore::NameColumn);
        return names;
    }

    TempHome home;
    FavoriteStore store;
};

TEST_F(FavoriteStoreTest, SavesPartyAsOneUtf16Line)
{
    ASSERT_TRUE(store.CreateFavoriteList(QStringLiteral("Party")));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 1203));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 45));
    store.SaveFavoriteLists();

    // FF FE, "Party|1203,45", CR LF.
    EXPECT_EQ(ReadFileBytes(FilePath()).toHex(' '),
              Hex("FFFE 5000 6100 7200 7400 7900 7C00 3100 3200 3000 3300 2C00 3400 3500"
                  "0D00 0A00")
                  .toHex(' '));
    EXPECT_EQ(store.rows().row(0), (QStringList{"Party", "1203,45"}));
}

TEST_F(FavoriteStoreTest, EmptyStoreLoadsAndSavesNothing)
{
    store.LoadFavoriteLists(); // no file yet
    EXPECT_EQ(store.listCount(), 0);
    EXPECT_EQ(store.rows().rowCount(), 0);

    WriteFileBytes(FilePath(), Utf16File(QStringLiteral("Old|1\r\n")));
    store.SaveFavoriteLists();
    EXPECT_TRUE(QFile::exists(FilePath()));
    EXPECT_EQ(ReadFileBytes(FilePath()), QByteArray());
}

TEST_F(FavoriteStoreTest, AddingADuplicateOrToAFullListSucceedsWithoutChange)
{
    ASSERT_TRUE(store.CreateFavoriteList(QStringLiteral("Party")));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 1203));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 45));
    EXPECT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 45));
    EXPECT_EQ(Find(QStringLiteral("Party")), Songs({1203, 45}));

    ASSERT_TRUE(store.CreateFavoriteList(QStringLiteral("Big")));
    for (quint32 n = 1; n <= 128; ++n)
        ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Big"), n));
    EXPECT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Big"), 129));
    const SongNumbers big = Find(QStringLiteral("Big"));
    EXPECT_EQ(big[0], 1u);
    EXPECT_EQ(big[127], 128u);
    EXPECT_FALSE(store.rows().cell(1, FavoriteStore::SongsColumn).contains(u"129"));
    EXPECT_TRUE(store.rows().cell(1, FavoriteStore::SongsColumn).endsWith(u",127,128"));
}

TEST_F(FavoriteStoreTest, AddingSongZeroOrToAnUnknownNameFails)
{
    EXPECT_FALSE(store.AddSongToFavoriteList(QStringLiteral("Party"), 5)); // no lists at all
    ASSERT_TRUE(store.CreateFavoriteList(QStringLiteral("Party")));
    EXPECT_FALSE(store.AddSongToFavoriteList(QStringLiteral("Party"), 0));
    EXPECT_FALSE(store.AddSongToFavoriteList(QStringLiteral("Kids"), 5));
    EXPECT_EQ(Find(QStringLiteral("Party")), SongNumbers{});
}

TEST_F(FavoriteStoreTest, CreateRefusesNamesInUseButNotOtherCase)
{
    ASSERT_TRUE(store.CreateFavoriteList(QStringLiteral("Party")));
    EXPECT_FALSE(store.CreateFavoriteList(QStringLiteral("Party")));
    EXPECT_TRUE(store.CreateFavoriteList(QStringLiteral("party")));
    EXPECT_EQ(Names(), (QStringList{"Party", "party"}));

    EXPECT_TRUE(store.CreateFavoriteList(QString(39, u'n')));
    EXPECT_FALSE(store.CreateFavoriteList(QString(40, u'n')));
    EXPECT_EQ(store.listCount(), 3);
}

TEST_F(FavoriteStoreTest, FindOfAnUnknownNameGivesZeros)
{
    ASSERT_TRUE(store.CreateFavoriteList(QStringLiteral("Party")));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 12));
    SongNumbers numbers;
    numbers.fill(7);
    EXPECT_FALSE(store.FindFavoriteList(QStringLiteral("Parties"), &numbers));
    EXPECT_EQ(numbers, SongNumbers{});
    EXPECT_TRUE(store.FindFavoriteList(QStringLiteral("Party"), &numbers));
    EXPECT_EQ(numbers, Songs({12}));
}

TEST_F(FavoriteStoreTest, LoadReadsNamesAndSongsAndSkipsLinesWithoutBar)
{
    // "Kids|", "Kids|1, 2,,3", "x", each with CR LF, in UTF-16LE.
    WriteFileBytes(FilePath(), Hex("FFFE 4B00 6900 6400 7300 7C00 0D00 0A00"
                                   "4B00 6900 6400 7300 7C00 3100 2C00 2000 3200 2C00 2C00"
                                   "3300 0D00 0A00"
                                   "7800 0D00 0A00"));
    store.LoadFavoriteLists();

    ASSERT_EQ(store.listCount(), 2);
    EXPECT_EQ(store.list(0).songNumbers, SongNumbers{});
    EXPECT_EQ(store.list(1).songNumbers, Songs({1, 2, 3}));
    // Two lists may share a name in a file; lookups find the first.
    EXPECT_EQ(Find(QStringLiteral("Kids")), SongNumbers{});
    EXPECT_EQ(store.rows().row(0), (QStringList{"Kids", ""}));
    EXPECT_EQ(store.rows().row(1), (QStringList{"Kids", "1,2,3"}));
}

TEST_F(FavoriteStoreTest, LoadReadsUtf8AndKeepsUnparsableSongsAsZero)
{
    // UTF-8 with mark: "  Mix|x,5|99  ", "Café|-5", the last line without line end.
    WriteFileBytes(FilePath(), Hex("EFBBBF 2020 4D69787C782C357C3939 2020 0D0A"
                                   "436166C3A97C2D35"));
    store.LoadFavoriteLists();

    ASSERT_EQ(store.listCount(), 2);
    EXPECT_EQ(store.list(0).NameView(), u"Mix");
    EXPECT_EQ(store.list(0).songNumbers, Songs({0, 5})); // "x" is 0 and ends the list
    EXPECT_EQ(store.rows().row(0), (QStringList{"Mix", ""}));
    EXPECT_EQ(store.list(1).NameView(), QStringLiteral("Caf\u00E9"));
    EXPECT_EQ(store.rows().row(1), (QStringList{QStringLiteral("Caf\u00E9"), "-5"}));

    // Adding fills the place of the 0.
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Mix"), 9));
    EXPECT_EQ(store.list(0).songNumbers, Songs({9, 5}));
    EXPECT_EQ(store.FileBytes(), Utf16File(QStringLiteral("Mix|9,5\r\nCaf\u00E9|-5\r\n")));
}

TEST_F(FavoriteStoreTest, NameWithBarComesBackAsListWithoutSongs)
{
    ASSERT_TRUE(store.CreateFavoriteList(QStringLiteral("A|B")));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("A|B"), 1));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("A|B"), 2));
    store.SaveFavoriteLists();
    EXPECT_EQ(ReadFileBytes(FilePath()), Utf16File(QStringLiteral("A|B|1,2\r\n")));

    FavoriteStore next;
    next.LoadFavoriteLists();
    ASSERT_EQ(next.listCount(), 1);
    EXPECT_EQ(next.list(0).NameView(), u"A");
    EXPECT_EQ(next.list(0).songNumbers, SongNumbers{});
    EXPECT_EQ(next.rows().row(0), (QStringList{"A", ""}));
}

TEST_F(FavoriteStoreTest, ReplaceLogsComparisonsAndSavesAtOnceDeleteDoesNot)
{
    RowTable log({QStringLiteral("Time"), QStringLiteral("Action")});
    EventLog::Attach(&log);
    EXPECT_FALSE(store.ReplaceFavoriteList(QStringLiteral("Party"), Songs({1})));
    for (const char *name : {"Zed", "Alpha", "Party"})
        ASSERT_TRUE(store.CreateFavoriteList(QString::fromLatin1(name)));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("Party"), 1));
    EXPECT_FALSE(QFile::exists(FilePath())); // creating and adding stay in memory

    EXPECT_TRUE(store.ReplaceFavoriteList(QStringLiteral("Party"), Songs({5, 6})));
    const QByteArray saved = Utf16File(QStringLiteral("Zed|\r\nAlpha|\r\nParty|5,6\r\n"));
    EXPECT_EQ(ReadFileBytes(FilePath()), saved);
    EXPECT_EQ(store.rows().row(2), (QStringList{"Party", "5,6"}));
    ASSERT_EQ(log.rowCount(), 3);
    EXPECT_EQ(log.cell(0, 1), QStringLiteral("(Zed, Party) result 1."));
    EXPECT_EQ(log.cell(1, 1), QStringLiteral("(Alpha, Party) result -1."));
    EXPECT_EQ(log.cell(2, 1), QStringLiteral("(Party, Party) result 0."));

    EXPECT_TRUE(store.DeleteFavoriteList(QStringLiteral("Zed")));
    EXPECT_EQ(ReadFileBytes(FilePath()), saved);

    ASSERT_TRUE(QFile::remove(FilePath()));
    EXPECT_FALSE(store.ReplaceFavoriteList(QStringLiteral("Nobody"), Songs({9})));
    EXPECT_FALSE(QFile::exists(FilePath()));
    EXPECT_EQ(log.rowCount(), 5);
    EXPECT_EQ(log.cell(4, 1), QStringLiteral("(Party, Nobody) result 1."));
}

TEST_F(FavoriteStoreTest, DeleteKeepsTheOrderOfTheOthers)
{
    EXPECT_FALSE(store.DeleteFavoriteList(QStringLiteral("B")));
    for (const char *name : {"A", "B", "C"})
        ASSERT_TRUE(store.CreateFavoriteList(QString::fromLatin1(name)));
    ASSERT_TRUE(store.AddSongToFavoriteList(QStringLiteral("C"), 3));

    EXPECT_TRUE(store.DeleteFavoriteList(QStringLiteral("B")));
    EXPECT_FALSE(store.DeleteFavoriteList(QStringLiteral("B")));
    EXPECT_EQ(store.listCount(), 2);
    EXPECT_EQ(Names(), (QStringList{"A", "C"}));
    EXPECT_EQ(store.list(1).NameView(), u"C");
    EXPECT_EQ(Find(QStringLiteral("C")), Songs({3}));
    EXPECT_EQ(store.list(2).NameView(), u""); // the freed slot holds nothing
}

TEST_F(FavoriteStoreTest, LoadStopsAtEveryCapacity)
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
}

TEST_F(FavoriteStoreTest, SaveIntoAnUnwritableFolderLeavesTheOldFileWhole)
{
    const QString folder = home.file(QStringLiteral("locked"));
    const QString path = folder + QStringLiteral("/Favorite.txt");
    const QByteArray old = Utf16File(QStringLiteral("Old|1,2\r\n"));
    WriteFileBytes(path, old);
    FavoriteStore locked(path);
    locked.LoadFavoriteLists();
    ASSERT_TRUE(locked.CreateFavoriteList(QStringLiteral("New")));

    const auto writable = QFile::permissions(folder);
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    QFile probe(folder + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QFile::setPermissions(folder, writable);
        GTEST_SKIP() << "folder permissions do not bind this user";
    }
    locked.SaveFavoriteLists();
    QFile::setPermissions(folder, writable);

    EXPECT_EQ(ReadFileBytes(path), old);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"Favorite.txt"});
}

TEST_F(FavoriteStoreTest, SaveOntoAFullDiskLeavesTheOldFileWhole)
{
    const QByteArray old = Utf16File(QStringLiteral("Old|1,2\r\n"));
    WriteFileBytes(FilePath(), old);
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(store.CreateFavoriteList(QStringLiteral("List number %1").arg(i)));

    // A file-size limit stands in for a full disk: writes beyond 1 KiB fail.
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
}

} // namespace
