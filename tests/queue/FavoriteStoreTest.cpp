#include "queue/FavoriteStore.h"

#include "tests/support/FileSizeLimit.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using SongNumbers = FavoriteStore::SongNumbers;

class FavoriteStoreTest : public ::testing::Test
{
protected:
    QString FilePath() const { return home.dataFolder() + QStringLiteral("/Favorite.txt"); }

    void Create(std::initializer_list<const char16_t *> names)
    {
        for (const char16_t *name : names)
            ASSERT_TRUE(store.CreateFavoriteList(QString::fromUtf16(name)));
    }
    bool Add(const QString &name, quint32 number)
    {
        return store.AddSongToFavoriteList(name, number);
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
    static QStringList Rows(const FavoriteStore &from)
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
    WriteFileBytes(FilePath(), Utf16Le(u"Old|1\r\n", true));
    store.SaveFavoriteLists();
    EXPECT_TRUE(QFile::exists(FilePath()));
    EXPECT_EQ(ReadFileBytes(FilePath()), QByteArray());

    Create({u"Party"});
    ASSERT_TRUE(Add(u"Party"_qs, 1203) && Add(u"Party"_qs, 45));
    store.SaveFavoriteLists();
    // FF FE, "Party|1203,45", CR LF.
    EXPECT_EQ(ReadFileBytes(FilePath()), Hex("FFFE 5000 6100 7200 7400 7900 7C00 3100 3200 3000"
                                             "3300 2C00 3400 3500 0D00 0A00"));

    // A name with a bar comes back as a list named A without songs.
    Create({u"A|B"});
    ASSERT_TRUE(Add(u"A|B"_qs, 2));
    store.SaveFavoriteLists();
    EXPECT_EQ(ReadFileBytes(FilePath()), Utf16Le(u"Party|1203,45\r\nA|B|2\r\n", true));
    FavoriteStore next;
    next.LoadFavoriteLists();
    EXPECT_EQ(Rows(next), QStringList({"Party|1203,45", "A|"}));
}

TEST_F(FavoriteStoreTest, CreateAddAndFindFollowTheirRules)
{
    EXPECT_FALSE(Add(u"Party"_qs, 5));    // no lists at all
    Create({u"Party", u"party", u"Big"}); // names are case-sensitive
    EXPECT_FALSE(store.CreateFavoriteList(u"Party"_qs));
    EXPECT_TRUE(store.CreateFavoriteList(QString(39, u'n')));
    EXPECT_FALSE(store.CreateFavoriteList(QString(40, u'n')));
    EXPECT_EQ(store.listCount(), 4);

    EXPECT_FALSE(Add(u"Party"_qs, 0) || Add(u"Kids"_qs, 5));
    for (quint32 n : {1203u, 45u, 45u})
        EXPECT_TRUE(Add(u"Party"_qs, n));
    EXPECT_EQ(Find(u"Party"_qs), (SongNumbers{1203, 45}));
    EXPECT_EQ(Find(u"party"_qs), SongNumbers{});
    EXPECT_EQ(Find(u"Parties"_qs, false), SongNumbers{});

    for (quint32 n = 1; n <= 129; ++n)
        EXPECT_TRUE(Add(u"Big"_qs, n));
    const SongNumbers big = Find(u"Big"_qs);
    EXPECT_TRUE(big[0] == 1 && big[127] == 128);
    EXPECT_TRUE(store.rows().cell(2, FavoriteStore::SongsColumn).endsWith(u",127,128"));
}

TEST_F(FavoriteStoreTest, LoadAddsListsOfAnyEncodingAndSkipsLinesWithoutBar)
{
    WriteFileBytes(FilePath(), Utf16Le(u"Kids|\r\nKids|1, 2,,3\r\nx\r\n", true));
    store.LoadFavoriteLists();
    ASSERT_EQ(store.listCount(), 2);
    EXPECT_EQ(store.list(1).songNumbers, (SongNumbers{1, 2, 3}));
    EXPECT_EQ(Find(u"Kids"_qs), SongNumbers{}); // two lists share a name: the first

    // UTF-8 with mark, the last line without line end: "x" is 0 and ends the list.
    WriteFileBytes(FilePath(),
                   Hex("EFBBBF") + QStringLiteral(u"  Mix|x,5|99  \r\nCafé|-5").toUtf8());
    store.LoadFavoriteLists();
    EXPECT_EQ(store.list(2).songNumbers, (SongNumbers{0, 5}));
    EXPECT_EQ(Rows(store), QStringList({"Kids|", "Kids|1,2,3", "Mix|", u"Café|-5"_qs}));
    // Adding fills the place of the 0.
    ASSERT_TRUE(Add(u"Mix"_qs, 9));
    EXPECT_EQ(store.FileBytes(), Utf16Le(u"Kids|\r\nKids|1,2,3\r\nMix|9,5\r\nCafé|-5\r\n", true));
    // Bytes Windows-1252 lacks keep their line (and so the list) as control characters.
    WriteFileBytes(FilePath(), "Bar\x81\x8D|7\r\nOk|8\r\n");
    store.LoadFavoriteLists();
    EXPECT_EQ(Rows(store).mid(4), QStringList({u"Bar\u0081\u008D|7"_qs, u"Ok|8"_qs}));
}

// Replaces mark the file; one SaveIfDue writes it for all of them.
TEST_F(FavoriteStoreTest, ReplaceLogsAndSavesOnceDueDeleteKeepsOrderWithoutSaving)
{
    LogCapture log;
    EXPECT_FALSE(store.ReplaceFavoriteList(u"Party"_qs, {1}) ||
                 store.DeleteFavoriteList(u"Alpha"_qs));
    Create({u"Zed", u"Alpha", u"Party"});
    ASSERT_TRUE(Add(u"Party"_qs, 1));
    EXPECT_FALSE(QFile::exists(FilePath())); // creating and adding stay in memory

    EXPECT_TRUE(store.ReplaceFavoriteList(u"Zed"_qs, {4}));
    EXPECT_TRUE(store.ReplaceFavoriteList(u"Party"_qs, {5, 6}));
    EXPECT_FALSE(QFile::exists(FilePath()));
    store.SaveIfDue();
    store.SaveIfDue();
    EXPECT_EQ(store.saves(), 1);
    const QByteArray saved = Utf16Le(u"Zed|4\r\nAlpha|\r\nParty|5,6\r\n", true);
    EXPECT_EQ(ReadFileBytes(FilePath()), saved);
    EXPECT_EQ(Rows(store).last(), u"Party|5,6");

    EXPECT_TRUE(store.DeleteFavoriteList(u"Alpha"_qs) && !store.DeleteFavoriteList(u"Alpha"_qs));
    EXPECT_EQ(ReadFileBytes(FilePath()), saved);
    EXPECT_EQ(Rows(store), QStringList({"Zed|4", "Party|5,6"}));
    EXPECT_EQ(store.list(1).NameView(), u"Party");
    EXPECT_EQ(Find(u"Party"_qs), (SongNumbers{5, 6}));
    EXPECT_EQ(store.list(2).NameView(), u""); // the freed slot holds nothing

    ASSERT_TRUE(QFile::remove(FilePath()));
    EXPECT_FALSE(store.ReplaceFavoriteList(u"Nobody"_qs, {9}));
    store.SaveIfDue();
    EXPECT_FALSE(QFile::exists(FilePath()));
    // Every comparison is logged, with -1, 0 or 1.
    EXPECT_EQ(log.Lines(), (QStringList{"(Zed, Zed) result 0.", "(Zed, Party) result 1.",
                                        "(Alpha, Party) result -1.", "(Party, Party) result 0.",
                                        "(Zed, Nobody) result 1.", "(Party, Nobody) result 1."}));
}

TEST_F(FavoriteStoreTest, LoadStopsAtEveryCapacityAndAFailedSaveLeavesTheOldFileWhole)
{
    QString text = QString(45, u'N') + u'|';
    for (int n = 1; n <= 130; ++n)
        text += QString::number(n) + u',';
    text += u"\r\n";
    for (int i = 1; i <= FavoriteStore::kCapacity; ++i)
        text += QStringLiteral("L%1|%1\r\n").arg(i);
    WriteFileBytes(FilePath(), Utf16Le(text, true));

    store.LoadFavoriteLists();
    ASSERT_EQ(store.listCount(), FavoriteStore::kCapacity);
    EXPECT_TRUE(store.list(0).NameView() == QString(39, u'N') &&
                store.list(0).songNumbers[127] == 128 && store.list(4999).NameView() == u"L4999");
    EXPECT_EQ(store.rows().rowCount(), FavoriteStore::kCapacity);

    // A full store refuses a new list but still deletes one.
    EXPECT_TRUE(!store.CreateFavoriteList(u"New"_qs) && store.DeleteFavoriteList(u"L1"_qs) &&
                store.CreateFavoriteList(u"New"_qs));
    EXPECT_EQ(store.rows().cell(4999, FavoriteStore::NameColumn), u"New");

    // A failed save (writes beyond 1 KiB fail) leaves the old file whole and
    // no temporary file behind; with room again the same save goes through.
    const QByteArray old = ReadFileBytes(FilePath());
    {
        const FileSizeLimit full(1024);
        store.SaveFavoriteLists();
    }
    EXPECT_EQ(ReadFileBytes(FilePath()), old);
    EXPECT_EQ(QDir(home.dataFolder()).entryList(QDir::Files), QStringList{"Favorite.txt"});
    store.SaveFavoriteLists();
    EXPECT_EQ(ReadFileBytes(FilePath()), store.FileBytes());
    EXPECT_NE(store.FileBytes(), old);
}

} // namespace
