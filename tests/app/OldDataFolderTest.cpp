#include "app/OldDataFolder.h"

#include "app/RARAZAdi.h"
#include "catalogue/SongCatalogue.h"
#include "queue/FavoriteStore.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ServerProcess.h"

#include <gtest/gtest.h>

namespace {

QString OldFolder(const TempHome &home)
{
    return home.path() + u"/Documents/VOVIDA Zuziva"_qs;
}

} // namespace

// Start-up moves the old folder's files and subfolders into the data folder,
// replacing files of the same name, removes the old folder, and only then loads
// the options, the song book (the text list before the record file) and the
// favourite lists, and opens the listener.
TEST(OldDataFolder, StartUpMovesItsContentBeforeLoading)
{
    TempHome home;
    EnvScope port("ORVA_RS_PORT", QByteArray::number(FreePort()).constData());
    const QString old = OldFolder(home), data = home.dataFolder();
    WriteFileBytes(old + u"/Moxi.ini"_qs, "[QueConfig]\r\nUsers=7\r\nRemocon=1\r\n");
    WriteFileBytes(old + u"/orvabook.txt"_qs, "5|Five|Band\n6|Six|Band\n");
    WriteFileBytes(old + u"/Favorite.txt"_qs, Utf16Le(u"Kids|5\r\n", true));
    WriteFileBytes(old + u"/Songs/deeper/a.txt"_qs, "a");
    WriteFileBytes(data + u"/Moxi.ini"_qs, "[QueConfig]\r\nUsers=5\r\n");
    WriteFileBytes(data + u"/moxiinfo.dat"_qs, "not a catalogue");

    RARAZAdi app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_EQ(ReadFileBytes(data + u"/Songs/deeper/a.txt"_qs), "a");
    EXPECT_EQ(app.config().Users, 7);
    EXPECT_EQ(app.config().Remocon, 1);
    EXPECT_EQ(app.catalogue().songCount(), 2u);
    EXPECT_TRUE(app.favorites().FindFavoriteList(u"Kids"_qs, nullptr));
    const QStringList log = LogCapture::Messages(app.logRows());
    ASSERT_EQ(log.size(), 2) << log.join(u'\n').toStdString();
    EXPECT_TRUE(log[0].startsWith(u"timestamp "_qs) && log[0].contains(u"loaded 2 songs"_qs));
    EXPECT_TRUE(log[1].startsWith(u"MelodeckServer started port"_qs));
}

// A file that cannot be copied (a folder of its name is in the way) is named
// on standard error and the old folder stays whole; the rest is copied.
TEST(OldDataFolder, KeepsTheOldFolderWhenAFileCannotBeCopied)
{
    TempHome home;
    const QString old = OldFolder(home), data = home.dataFolder();
    WriteFileBytes(old + u"/Moxi.ini"_qs, "[QueConfig]\r\nUsers=7\r\n");
    WriteFileBytes(old + u"/Favorite.txt"_qs, "lists");
    WriteFileBytes(data + u"/Moxi.ini/in the way"_qs, "x");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(OldDataFolder::MoveInto(old, data));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("cannot copy " + (old + u"/Moxi.ini"_qs).toStdString()),
              std::string::npos)
        << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
    EXPECT_EQ(ReadFileBytes(old + u"/Moxi.ini"_qs), "[QueConfig]\r\nUsers=7\r\n");
    EXPECT_EQ(ReadFileBytes(old + u"/Favorite.txt"_qs), "lists");
    EXPECT_EQ(ReadFileBytes(data + u"/Favorite.txt"_qs), "lists");
}
