#include "base/DataPath.h"
#include "base/PrivateProfile.h"
#include "base/QueConfig.h"
#include "tests/support/TempDir.h"

#include <QFileInfo>
#include <gtest/gtest.h>

TEST(DataPath, FolderInDocumentsCreatedAndNamesJoined)
{
    TempHome home;
    EXPECT_EQ(DataPath(), home.dataFolder());
    EXPECT_TRUE(QFileInfo(home.dataFolder()).isDir());
    EXPECT_EQ(DataPath(QStringLiteral("Moxi.ini")),
              home.dataFolder() + QStringLiteral("/Moxi.ini"));
    EXPECT_EQ(DataPath(QStringLiteral("\\Moxi.ini")), DataPath(QStringLiteral("Moxi.ini")));
    EXPECT_EQ(DataPath(QStringLiteral("//\\Moxi.ini")), DataPath(QStringLiteral("Moxi.ini")));
}

TEST(DataPath, DocumentsFolderFromEnvironmentWins)
{
    TempHome home;
    qputenv("XDG_DOCUMENTS_DIR", QFile::encodeName(home.file(QStringLiteral("Docs"))));
    ResetDataPath();
    EXPECT_EQ(DataPath(), home.file(QStringLiteral("Docs/ORVA RS Server")));
    qunsetenv("XDG_DOCUMENTS_DIR");
}

class ProfileTest : public ::testing::Test
{
protected:
    TempHome home;
    QString path = home.file(QStringLiteral("test.ini"));
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
    const QString section = QStringLiteral("QueConfig");
    EXPECT_EQ(ini.GetString(section, QStringLiteral("Users"), QStringLiteral("x")), u"5");
    EXPECT_EQ(ini.GetString(section, QStringLiteral("remocon"), QStringLiteral("x")), u"1");
    EXPECT_EQ(ini.GetString(section, QStringLiteral("Tempo"), QStringLiteral("dflt")), u"dflt");
    EXPECT_EQ(ini.GetString(QStringLiteral("none"), QStringLiteral("Users"), QStringLiteral("d")),
              u"d");
}

TEST_F(ProfileTest, WriteReplacesTheLineInPlaceAndKeepsTheRest)
{
    WriteFileBytes(path, "; comment\n[A]\nx=1\n\n[QueConfig]\nUSERS=5\n; keep me\nTempo=0\n\n"
                         "[Z]\nz=2");
    ASSERT_TRUE(ini.WriteString(QStringLiteral("queconfig"), QStringLiteral("Users"),
                                QStringLiteral("12")));
    ASSERT_TRUE(
        ini.WriteString(QStringLiteral("QueConfig"), QStringLiteral("Sync"), QStringLiteral("1")));
    ASSERT_TRUE(ini.WriteString(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(ReadFileBytes(path), QByteArray("; comment\n[A]\nx=1\n\n[QueConfig]\nUsers=12\n"
                                              "; keep me\nTempo=0\nSync=1\r\n\n[Z]\nz=2\r\n"
                                              "[New]\r\nk=v\r\n"));
}

TEST_F(ProfileTest, WriteCreatesAMissingFile)
{
    ASSERT_TRUE(ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("1")));
    EXPECT_EQ(ReadFileBytes(path), QByteArray("[S]\r\nk=1\r\n"));
}

TEST_F(ProfileTest, UnwritableFileIsReportedAndLeftAlone)
{
    const QString folder = home.file(QStringLiteral("ro"));
    WriteFileBytes(folder + QStringLiteral("/x.ini"), "[S]\nk=1\n");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const PrivateProfile locked(folder + QStringLiteral("/x.ini"));
    const bool rootCanWriteAnyway = QFileInfo(folder).isWritable();
    if (!rootCanWriteAnyway) {
        EXPECT_FALSE(
            locked.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2")));
        EXPECT_EQ(ReadFileBytes(folder + QStringLiteral("/x.ini")), QByteArray("[S]\nk=1\n"));
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(Settings, MissingFileGivesLoadingDefaultsAndIsNotCreated)
{
    TempHome home;
    QueConfig config;
    EXPECT_FALSE(config.Tempo); // before loading every flag is off
    LoadSettings(config);
    EXPECT_TRUE(config.Tempo && config.Pitch && config.Sync && config.Confirm && config.Delete &&
                config.Uname);
    EXPECT_EQ(config.Remocon, 2);
    EXPECT_EQ(config.Users, 3);
    EXPECT_FALSE(QFileInfo::exists(DataPath(QStringLiteral("Moxi.ini"))));
}

TEST(Settings, ValuesParsedLikeAtoiAndUsersCapped)
{
    TempHome home;
    const QString ini = DataPath(QStringLiteral("Moxi.ini"));
    QueConfig config;
    for (const auto &[text, users] :
         {std::pair{"45", 30}, {"0", 0}, {"abc", 0}, {"-4", -4}, {" 12xyz", 12}}) {
        WriteFileBytes(ini, QByteArray("[QueConfig]\r\nUsers=") + text +
                                "\r\nTempo=2\r\n"
                                "Pitch=0\r\nRemocon=5\r\n");
        LoadSettings(config);
        EXPECT_EQ(config.Users, users) << text;
        EXPECT_TRUE(config.Tempo);
        EXPECT_FALSE(config.Pitch);
        EXPECT_EQ(config.Remocon, 5);
    }
}

TEST(Settings, SaveWritesAllEightKeysInOrderAndKeepsComments)
{
    TempHome home;
    const QString ini = DataPath(QStringLiteral("Moxi.ini"));
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
    EXPECT_EQ(again.Users, 7);
    EXPECT_FALSE(again.Pitch);
}
