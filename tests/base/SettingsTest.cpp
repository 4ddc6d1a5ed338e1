#include "base/DataPath.h"
#include "base/PrivateProfile.h"
#include "base/QueConfig.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

TEST(DataPath, FolderInDocumentsCreatedAndNamesJoined)
{
    TempHome home;
    EXPECT_EQ(DataPath(), home.dataFolder());
    EXPECT_TRUE(QFileInfo(home.dataFolder()).isDir());
    for (const char *name : {"Moxi.ini", "\\Moxi.ini", "//\\Moxi.ini"})
        EXPECT_EQ(DataPath(QString::fromLatin1(name)), home.dataFolder() + u"/Moxi.ini"_qs) << name;
    // A Documents folder named in the environment wins.
    const EnvScope documents("XDG_DOCUMENTS_DIR", QFile::encodeName(home.file(u"Docs"_qs)));
    ResetDataPath();
    EXPECT_EQ(DataPath(), home.file(u"Docs/ORVA RS Server"_qs));
}

class ProfileTest : public ::testing::Test
{
protected:
    TempHome home;
    QString path = home.file(u"test.ini"_qs);
    PrivateProfile ini{path};
};

TEST_F(ProfileTest, ReadsHandEditedFileWithoutRegardToCase)
{
    WriteFileBytes(path, "\xEF\xBB\xBF; venue settings\r\n"
                         "[other]\r\nusers=9\r\n"
                         "[queconfig]\r\n"
                         "  USERS = 5 \r\n"
                         "; Remocon=1\r\n"
                         "Remocon=\"1\"\n"
                         "Users=7\n");
    const QString section = u"QueConfig"_qs;
    EXPECT_EQ(ini.GetString(section, u"Users"_qs, u"x"_qs), u"5");
    EXPECT_EQ(ini.GetString(section, u"remocon"_qs, u"x"_qs), u"1");
    EXPECT_EQ(ini.GetString(section, u"Tempo"_qs, u"dflt"_qs), u"dflt");
    EXPECT_EQ(ini.GetString(u"none"_qs, u"Users"_qs, u"d"_qs), u"d");
}

TEST_F(ProfileTest, WriteCreatesTheFileOrReplacesTheLineInPlaceKeepingTheRest)
{
    ASSERT_TRUE(ini.WriteString(u"S"_qs, u"k"_qs, u"1"_qs));
    EXPECT_EQ(ReadFileBytes(path), QByteArray("[S]\r\nk=1\r\n"));

    WriteFileBytes(path, "; comment\n[A]\nx=1\n\n[QueConfig]\nUSERS=5\n; keep me\nTempo=0\n\n"
                         "[Z]\nz=2");
    ASSERT_TRUE(ini.WriteString(u"queconfig"_qs, u"Users"_qs, u"12"_qs));
    ASSERT_TRUE(ini.WriteString(u"QueConfig"_qs, u"Sync"_qs, u"1"_qs));
    ASSERT_TRUE(ini.WriteString(u"New"_qs, u"k"_qs, u"v"_qs));
    EXPECT_EQ(ReadFileBytes(path), QByteArray("; comment\n[A]\nx=1\n\n[QueConfig]\nUsers=12\n"
                                              "; keep me\nTempo=0\nSync=1\r\n\n[Z]\nz=2\r\n"
                                              "[New]\r\nk=v\r\n"));
}

// A disk that fills up while the file is rewritten: the old file stays whole
// and the failure is reported, also for a file far smaller than any buffer.
TEST_F(ProfileTest, FailedWriteIsReportedAndLeavesTheFileWhole)
{
    const QString file = home.file(u"x.ini"_qs);
    WriteFileBytes(file, "[S]\nk=1\n");
    const auto write = [&] { return PrivateProfile(file).WriteString(u"S"_qs, u"k"_qs, u"2"_qs); };
    EXPECT_FALSE((FileSizeLimit(4), write())); // the limit lasts while the write runs
    EXPECT_EQ(ReadFileBytes(file), QByteArray("[S]\nk=1\n"));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), QStringList{u"x.ini"_qs});
}

TEST(Settings, MissingFileGivesLoadingDefaultsAndIsNotCreated)
{
    TempHome home;
    QueConfig config;
    EXPECT_FALSE(config.Tempo); // before loading every flag is off
    LoadSettings(config);
    EXPECT_TRUE(config.Tempo && config.Pitch && config.Sync && config.Confirm && config.Delete &&
                config.Uname);
    EXPECT_TRUE(config.Remocon == 2 && config.Users == 3);
    EXPECT_FALSE(QFileInfo::exists(DataPath(u"Moxi.ini"_qs)));
}

TEST(Settings, ValuesParsedLikeAtoiAndUsersCapped)
{
    TempHome home;
    QueConfig config;
    for (const auto &[text, users] :
         {std::pair{"45", 30}, {"0", 0}, {"abc", 0}, {"-4", -4}, {" 12xyz", 12}}) {
        WriteFileBytes(DataPath(u"Moxi.ini"_qs), QByteArray("[QueConfig]\r\nUsers=") + text +
                                                     "\r\nTempo=2\r\nPitch=0\r\nRemocon=5\r\n");
        LoadSettings(config);
        EXPECT_EQ(config.Users, users) << text;
        EXPECT_TRUE(config.Tempo && !config.Pitch && config.Remocon == 5);
    }
}

TEST(Settings, SaveWritesAllEightKeysInOrderAndKeepsComments)
{
    TempHome home;
    const QString ini = DataPath(u"Moxi.ini"_qs);
    WriteFileBytes(ini, "; set by the venue\r\n[QueConfig]\r\nTempo=2\r\n");
    QueConfig config;
    LoadSettings(config);
    config.Pitch = false;
    config.Users = 7;
    SaveSettings(config);
    EXPECT_EQ(ReadFileBytes(ini), QByteArray("; set by the venue\r\n[QueConfig]\r\nTempo=1\r\n"
                                             "Pitch=0\r\nSync=1\r\nConfirm=1\r\nDelete=1\r\n"
                                             "Uname=1\r\nRemocon=2\r\nUsers=7\r\n"));
    QueConfig again;
    LoadSettings(again);
    EXPECT_TRUE(again.Users == 7 && !again.Pitch);
}
