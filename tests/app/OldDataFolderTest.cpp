#include "app/OldDataFolder.h"

#include "app/RARAZAdi.h"
#include "catalogue/SongCatalogue.h"
#include "client/MelodeckClient.h"
#include "protocol/Requests.h"
#include "queue/FavoriteStore.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ServerProcess.h"

#include <csignal>
#include <gtest/gtest.h>

namespace {

QString OldFolder(const QString &home)
{
    return home + u"/Documents/VOVIDA Zuziva"_qs;
}

// The names left in a folder, broken links included.
QStringList Left(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

void SetModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(time, QFile::FileModificationTime));
}

} // namespace

// Start-up moves the old folder's files and subfolders into the data folder,
// replacing older files of the same name but not newer ones, removes the old
// folder, and only then loads the options, the song book (the text list
// before the record file) and the favourite lists, and opens the listener.
TEST(OldDataFolder, StartUpMovesItsContentBeforeLoading)
{
    TempHome home;
    EnvScope port("ORVA_RS_PORT", QByteArray::number(FreePort()).constData());
    const QString old = OldFolder(home.path()), data = home.dataFolder();
    WriteFileBytes(old + u"/Moxi.ini"_qs, "[QueConfig]\r\nUsers=7\r\nRemocon=1\r\n");
    WriteFileBytes(old + u"/orvabook.txt"_qs, "5|Five|Band\n6|Six|Band\n");
    WriteFileBytes(old + u"/Favorite.txt"_qs, Utf16Le(u"Old|5\r\n", true));
    WriteFileBytes(old + u"/Songs/deeper/a.txt"_qs, "a");
    WriteFileBytes(data + u"/Moxi.ini"_qs, "[QueConfig]\r\nUsers=5\r\n");
    SetModified(data + u"/Moxi.ini"_qs, QDateTime::currentDateTime().addDays(-1));
    WriteFileBytes(data + u"/Favorite.txt"_qs, Utf16Le(u"Kids|6\r\n", true));
    SetModified(data + u"/Favorite.txt"_qs, QDateTime::currentDateTime().addSecs(60));
    WriteFileBytes(data + u"/moxiinfo.dat"_qs, "not a catalogue");

    RARAZAdi app;
    ASSERT_TRUE(app.InitInstance());
    EXPECT_FALSE(QFileInfo::exists(old));
    EXPECT_EQ(ReadFileBytes(data + u"/Songs/deeper/a.txt"_qs), "a");
    EXPECT_TRUE(app.config().Users == 7 && app.config().Remocon == 1);
    EXPECT_EQ(app.catalogue().songCount(), 2u);
    EXPECT_TRUE(app.favorites().FindFavoriteList(u"Kids"_qs, nullptr) &&
                !app.favorites().FindFavoriteList(u"Old"_qs, nullptr));
    const QStringList log = LogCapture::Messages(app.logRows());
    ASSERT_EQ(log.size(), 2) << log.join(u'\n').toStdString();
    EXPECT_TRUE(log[0].startsWith(u"timestamp "_qs) && log[0].contains(u"loaded 2 songs"_qs));
    EXPECT_TRUE(log[1].startsWith(u"MelodeckServer started port"_qs));
}

// What cannot be copied (a folder of its name in the way, a dangling link) is
// named on standard error and stays in the old folder; what was copied leaves it.
TEST(OldDataFolder, OnlyWhatFailedStaysInTheOldFolder)
{
    TempHome home;
    const QString old = OldFolder(home.path()), data = home.dataFolder();
    WriteFileBytes(old + u"/Moxi.ini"_qs, "[QueConfig]\r\nUsers=7\r\n");
    WriteFileBytes(old + u"/Favorite.txt"_qs, "lists");
    WriteFileBytes(old + u"/Songs/a.txt"_qs, "a");
    ASSERT_TRUE(QFile::link(old + u"/nowhere"_qs, old + u"/Songs/broken"_qs));
    WriteFileBytes(data + u"/Moxi.ini/in the way"_qs, "x");

    testing::internal::CaptureStderr();
    EXPECT_FALSE(OldDataFolder::MoveInto(old, data));
    const std::string errors = testing::internal::GetCapturedStderr();
    for (const QString &name : {u"/Moxi.ini"_qs, u"/Songs/broken"_qs})
        EXPECT_NE(errors.find("cannot copy " + (old + name).toStdString()), std::string::npos)
            << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2);
    EXPECT_EQ(Left(old), (QStringList{u"Moxi.ini"_qs, u"Songs"_qs}));
    EXPECT_EQ(Left(old + u"/Songs"_qs), QStringList{u"broken"_qs});
    EXPECT_EQ(ReadFileBytes(data + u"/Favorite.txt"_qs), "lists");
    EXPECT_EQ(ReadFileBytes(data + u"/Songs/a.txt"_qs), "a");
}

// As a technician sees it, with an old folder holding a dangling link: a
// favourite list saved after the first start is still there after the next.
TEST(OldDataFolder, AListSavedAfterAPartialMoveSurvivesTheNextStart)
{
    ServerProcess server;
    const QString old = OldFolder(server.home());
    WriteFileBytes(old + u"/orvabook.txt"_qs, "45|Two|B\n");
    WriteFileBytes(old + u"/Favorite.txt"_qs, Utf16Le(u"Old|45\r\n", true));
    ASSERT_TRUE(QFile::link(old + u"/nowhere"_qs, old + u"/broken"_qs));
    // Sends requests from a terminal and returns the last reply.
    const auto ask = [&server](const QByteArray &requests, int replies) {
        MelodeckClient terminal;
        EXPECT_TRUE(terminal.Connect(QHostAddress::LocalHost, server.port(), TerminalAddress(0)));
        terminal.Send(requests);
        QByteArray reply;
        for (int i = 0; i < replies; ++i)
            reply = terminal.ReadPacket().value_or(QByteArray());
        return reply;
    };
    const QByteArray listKids = Packet::FavoriteName{u"Kids"_qs}.Encode(Cmd::RequestFavoriteList);

    ASSERT_TRUE(server.Start());
    EXPECT_TRUE(
        server.StandardError().contains("cannot copy " + QFile::encodeName(old) + "/broken"));
    EXPECT_EQ(Left(old), QStringList{u"broken"_qs});
    ask(Packet::FavoriteName{u"Kids"_qs}.Encode(Cmd::NewFavoriteList) +
            Packet::AddFavorite{45, u"Kids"_qs}.Encode(Cmd::AddFavoriteList) + listKids,
        3);
    ASSERT_EQ(server.Stop(SIGTERM), 0);
    ASSERT_TRUE(server.Start());
    EXPECT_EQ(ask(listKids, 1).mid(12, 12), Hex("00000000 0000002D 00000000"));
}
