#include "catalogue/SongCatalogue.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QRegularExpression>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray Le32(quint32 value)
{
    value = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&value), 4);
}

// `text` as UTF-16LE, cut or zero-filled to `units` units.
QByteArray Field(QStringView text, qsizetype units)
{
    return Utf16Le(text.left(units)).leftJustified(2 * units, '\0');
}

// The 8-byte header of a .dat or .idx file; the usual magic is 57 61 31 47.
QByteArray Header(quint32 timestamp, quint32 magic = 0x47316157)
{
    return Le32(magic) + Le32(timestamp);
}

// One 196-byte record.
QByteArray RecordBytes(quint32 number, QStringView title, QStringView artist = {},
                       QStringView extra = {})
{
    return Le32(number) + Field(title, 48) + Field(artist, 24) + Field(extra, 24);
}

class SongCatalogueTest : public testing::Test
{
protected:
    // One catalogue for all tests, as the server has one for its whole run:
    // every test also checks that a load clears what the one before left.
    static void SetUpTestSuite() { s_catalogue = std::make_unique<SongCatalogue>(); }
    static void TearDownTestSuite() { s_catalogue.reset(); }
    void Load(const QString &path)
    {
        m_log.clear();
        cat.LoadSongDatabase(path);
    }

    // The log lines of the last load, the elapsed milliseconds shown as "ms".
    QStringList Messages() const
    {
        static const QRegularExpression elapsed(u"songs \\(\\d+\\)\\.$"_qs);
        return m_log.Lines().replaceInStrings(elapsed, u"songs (ms)."_qs);
    }

    // "number|title|artist|extra|language" for every song, in load order.
    QStringList Songs()
    {
        QStringList songs;
        for (int i = 0; i < int(cat.songCount()); ++i) {
            const SongRecord &s = cat.Record(i);
            songs << QString::number(s.number) + u'|' + s.TitleText() + u'|' + s.ArtistText() +
                         u'|' + s.ExtraText() + u'|' + cat.Language(i);
        }
        return songs;
    }

    // What a sort mode compares (the title key for titles), in index order.
    QStringList Order(int sortMode)
    {
        QStringList texts;
        for (quint32 i = 0; i < cat.songCount(); ++i) {
            const SongRecord &s = cat.Record(cat.SongAt(sortMode, int(i)));
            texts.append(QStringList{QString::number(s.number),
                                     SongCatalogue::TitleKey(s.TitleText()), s.ArtistText(),
                                     s.ExtraText()}[sortMode]);
        }
        return texts;
    }

    static std::unique_ptr<SongCatalogue> s_catalogue;
    SongCatalogue &cat = *s_catalogue;
    LogCapture m_log;
    TempFolder dir;
    EnvScope m_codePage{"ORVA_RS_CODEPAGE", nullptr};
};

std::unique_ptr<SongCatalogue> SongCatalogueTest::s_catalogue;

TEST_F(SongCatalogueTest, TextListsInEveryEncodingSkipNonSongLinesCutWidthsAndSetLanguages)
{
    const QString sixty = u"0123456789"_qs.repeated(6), thirty(30, u'é'), full(48, u'T');
    const QString text =
        QStringLiteral(
            u"8|First|F\n0|Zero|Nobody\nno bar here\n7|\n  42  |  Spaced  |Artist|extra field\n"
            u"-5|Minus|Sign\nabc|Letters|X\n\t+9|Plus|Y\t\r\n|No number|Z\n3|Title only\n"
            u"99999999999|Big|B\n  # korean\n1|%1|%2\n#\tjpn\n2|%3|Noël\n#ko\n5|No #1|E\n"
            u"#kor\n6|Last|F")
            .arg(sixty, thirty, full);
    const QStringList songs =
        QStringLiteral(
            u"8|First|F||eng\n7||||eng\n42|  Spaced  |Artist||eng\n4294967291|Minus|Sign||eng\n"
            u"9|Plus|Y||eng\n3|Title only|||eng\n2147483647|Big|B||eng\n1|%1|%2||kor\n"
            u"2|%3|Noël||jpn\n5|No #1|E||jpn\n6|Last|F||kor")
            .arg(sixty.left(48), thirty.left(24), full)
            .split(u'\n');
    // UTF-16LE and UTF-8 with their marks, UTF-8 without, and the ANSI code page.
    for (const QByteArray &bytes :
         {Utf16Le(text, true), Hex("EF BB BF") + text.toUtf8(), text.toUtf8(), text.toLatin1()}) {
        SCOPED_TRACE(bytes.left(3).toHex(' ').constData());
        const quint32 before = SongCatalogue::YearTimestamp(QDateTime::currentDateTime());
        Load(dir.Write("list.Txt", bytes));
        const quint32 after = SongCatalogue::YearTimestamp(QDateTime::currentDateTime());
        EXPECT_EQ(Songs(), songs);
        const quint64 stamp = cat.timestamp();
        EXPECT_TRUE((stamp >= before && stamp <= after) || after < before) << stamp;
        EXPECT_EQ(Messages(),
                  QStringList(u"timestamp %1, loaded 11 songs (ms)."_qs.arg(stamp, 0, 16)));
        // Nothing of the skipped lines is left past the last song.
        const SongRecord &past = cat.Record(int(cat.songCount()));
        EXPECT_TRUE(past.number == 0 && past.TitleText().isEmpty());
    }
}

// Bytes that do not convert cost their characters, never a song, and the
// load says how many there were.
TEST_F(SongCatalogueTest, TextListWithBytesThatDoNotConvertKeepsEverySong)
{
    const QString path =
        dir.Write("cp.txt", "1|A\x81|X\n2|\x8D|X\r\n3|\x8F\x90|X\n4|Caf\xE9\x9D|Y\n");
    Load(path);
    EXPECT_EQ(Songs(), QStringList({u"1|A\u0081|X||eng"_qs, u"2|\u008D|X||eng"_qs,
                                    u"3|\u008F\u0090|X||eng"_qs, u"4|Café\u009D|Y||eng"_qs}));
    EXPECT_EQ(Messages().first(),
              u"Replaced 5 characters that do not convert in [%1] (code page 1252)."_qs.arg(path));
    EXPECT_EQ(Messages().size(), 2);
}

TEST_F(SongCatalogueTest, DatRecordsAsStoredWithLanguagesFromAMatchingLowerCaseIdx)
{
    // Number 0 is kept, a title may fill its width, and a last record cut short still counts.
    const QString full(48, u'T');
    const QString dat = dir.Write("cat.DAT", Header(0x1234) + RecordBytes(0, u"Zero", u"Z") +
                                                 RecordBytes(9, full, u"Artist", u"Extra") +
                                                 RecordBytes(77, u"ABCDEF").left(10));
    dir.Write("cat.IDX", Header(0x1234) + Field(u"fra", 4).repeated(3));
    const QString idx = dir.Path("cat.idx");
    const QByteArray languages = Field(u"kor", 4) + Field(u"jpnx", 4) + Field(u"es", 4);
    const QString opened = u"Open moxiinfo.idx [1234 = 1234]."_qs;
    const std::tuple<QByteArray, QString, QString> cases[] = {
        {Header(0x1234) + languages, "kor,jpn,es", opened},
        {Header(0x1234) + languages.left(8), "kor,eng,eng", opened},
        {Header(0x1235) + languages, "eng,eng,eng", "Open moxiinfo.idx [1234 = 1235]."},
        {Header(0x1234, 0) + languages, "eng,eng,eng", opened},
        {{}, "eng,eng,eng", "Failed to open [" + idx + "]."}};
    for (const auto &[bytes, codes, log] : cases) {
        SCOPED_TRACE(log.toStdString());
        QFile::remove(idx);
        if (!bytes.isEmpty())
            WriteFileBytes(idx, bytes);
        Load(dat);
        const QStringList language = codes.split(u',');
        EXPECT_EQ(Songs(), QStringList({"0|Zero|Z||" + language[0],
                                        "9|" + full + "|Artist|Extra|" + language[1],
                                        "77|ABC|||" + language[2]}));
        EXPECT_EQ(Messages(), QStringList({log, "timestamp 1234, loaded 3 songs (ms)."}));
    }
}

TEST_F(SongCatalogueTest, EveryFailedLoadLeavesAnEmptyCatalogue)
{
    struct CurrentFolder // where the default file is looked for
    {
        QString previous = QDir::currentPath();
        ~CurrentFolder() { QDir::setCurrent(previous); }
    } restore;
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder.txt"_qs)); // exists, cannot open
    const QString good = dir.Write("good.txt", "3|Three|C\n1|One|A\n2|Two|B");
    const std::pair<QString, QString> cases[] = {
        {dir.Write("other.dat", Header(0, 0xDEADBEEF) + RecordBytes(1, u"X")),
         "Invalid id [moxiinfo.dat] DEADBEEF."},
        {dir.Write("empty.dat", {}), "Invalid id [moxiinfo.dat] 0."},
        {dir.Path("folder.txt"), "Failed to open [" + dir.Path("folder.txt") + "]."},
        {dir.Path("absent/list.txt"), "Failed to open [moxiinfo.dat]."}, // the default file
        {dir.Write("songs.csv", "5|Five|F"), "timestamp 0, loaded 0 songs (ms)."},
        {QString(), QString()}}; // no path: emptied without a word
    for (const auto &[path, message] : cases) {
        SCOPED_TRACE(path.toStdString());
        Load(good);
        Load(path);
        EXPECT_EQ(Messages(), message.isNull() ? QStringList() : QStringList(message));
        EXPECT_TRUE(cat.songCount() == 0 && cat.timestamp() == 0 && !cat.FindSongByNumber(1) &&
                    cat.Record(0).number == 0 && cat.Language(0).isEmpty());
    }
    dir.Write("moxiinfo.dat", Header(0x42) + RecordBytes(8, u"Default"));
    Load(u"no-such-list.txt"_qs);
    EXPECT_EQ(Songs(), QStringList(u"8|Default|||eng"_qs));
}

// Titles sort by their key (one leading "A " or "The " dropped, ASCII
// upper-cased), artists and extras unit by unit, numbers as unsigned values.
// Equal keys may come in any order, so the keys are compared, not the songs.
TEST_F(SongCatalogueTest, IndexesSortByTheirOwnKeys)
{
    const QString x47(47, u'X'), e24(24, u'e');
    const QStringList titles =
        QStringLiteral(u"The Way,the way,Way,A Song,Sonata,An Apple,Theatre,apple pie,Élan,élan,"
                       u"Zebra,가요,Ｚ,The,A,Love,Love Me,Lovely,THE END,The A Team,"
                       u"Yesterday Once More,Yesterday Once,yesterday once more,"
                       u"Yesterday Once Mord,%1B,%1Ab")
            .arg(x47)
            .split(u',');
    const QStringList artists =
        u"abba,Beatles,ABBA,가수,Zed,,Johann Sebastian Bach,Johann Sebastian Bacg"_qs.split(u',');
    const QStringList extras = u"b,a,B,Ａ,,Ann,Anna,%1"_qs.arg(e24).split(u',');
    const quint32 numbers[] = {5, 3, 0xFFFFFFFF, 3, 1, 0, 7, 2};
    QByteArray bytes = Header(1);
    for (int i = 0; i < titles.size(); ++i) // songs 8 on: number 5, no artist or extra
        bytes += RecordBytes(i < 8 ? numbers[i] : 5, titles[i], artists.value(i), extras.value(i));
    Load(dir.Write("sorts.dat", bytes));

    EXPECT_EQ(Order(SongCatalogue::ByTitle),
              QStringLiteral(u"A,A TEAM,AN APPLE,APPLE PIE,END,LOVE,LOVE ME,LOVELY,SONATA,"
                             u"SONG,THE,THEATRE,WAY,WAY,WAY,%1A,%1B,YESTERDAY ONCE,"
                             u"YESTERDAY ONCE MORD,YESTERDAY ONCE MORE,YESTERDAY ONCE MORE,"
                             u"ZEBRA,ÉLAN,éLAN,가요,Ｚ")
                  .arg(x47)
                  .split(u','));
    const QStringList none(18, QString());
    EXPECT_EQ(Order(SongCatalogue::ByArtist),
              none + QStringLiteral(u",ABBA,Beatles,Johann Sebastian Bacg,Johann Sebastian Bach,"
                                    u"Zed,abba,가수")
                         .split(u','));
    EXPECT_EQ(Order(SongCatalogue::ByExtra),
              none + u",Ann,Anna,B,a,b,%1,Ａ"_qs.arg(e24).split(u','));
    EXPECT_EQ(Order(SongCatalogue::ByNumber), QStringList({"0", "1", "2", "3", "3"}) +
                                                  QStringList(19, u"5"_qs) +
                                                  QStringList({"7", "4294967295"}));
    // Any other sort mode means number order.
    const auto positions = [&](int sortMode) {
        QList<int> songs;
        for (int i = 0; i < int(cat.songCount()); ++i)
            songs.append(cat.SongAt(sortMode, i));
        return songs;
    };
    EXPECT_EQ(positions(7), positions(SongCatalogue::ByNumber));
    EXPECT_EQ(positions(-1), positions(SongCatalogue::ByNumber));
}

TEST_F(SongCatalogueTest, IgnoresSongsBeyondCapacityAndFindsTheFirstSongOfANumber)
{
    // Numbers 1..1000 over and over: the first song with number n is song n - 1.
    QByteArray list;
    QByteArray records = Header(2);
    for (int i = 0; i <= SongCatalogue::kCapacity; ++i) {
        list += QByteArray::number(i % 1000 + 1) + "|t|a\n";
        records += Le32(quint32(i % 1000 + 1)) + QByteArray(192, '\0');
    }
    // A different language for every song: past 65,536 the rest read as "eng".
    QByteArray languages;
    for (int i = 0; i <= SongCatalogue::kCapacity; ++i) {
        const char16_t code[] = {char16_t(u'a' + i % 26), char16_t(0x100 + i / 26 % 4000),
                                 char16_t(0x4E00 + i / 26 / 4000)};
        languages += Field(QStringView(code, 3), 4);
    }
    dir.Write("full.idx", Header(2) + languages);
    for (const QString &path : {dir.Write("full.txt", list), dir.Write("full.dat", records)}) {
        SCOPED_TRACE(path.toStdString());
        Load(path);
        EXPECT_EQ(cat.songCount(), quint32(SongCatalogue::kCapacity));
        for (quint32 number : {1u, 2u, 500u, 999u, 1000u})
            EXPECT_EQ(cat.FindSongByNumber(number), &cat.Record(int(number) - 1)) << number;
        EXPECT_EQ(cat.FindSongByNumber(1001), nullptr);
        EXPECT_EQ(cat.FindSongByNumber(0), nullptr);
        EXPECT_EQ(
            cat.Record(cat.SongAt(SongCatalogue::ByNumber, SongCatalogue::kCapacity - 1)).number,
            1000u);
        if (path.endsWith(u".dat")) {
            EXPECT_EQ(QStringList({cat.Language(0), cat.Language(65534), cat.Language(65535),
                                   cat.Language(SongCatalogue::kCapacity - 1)}),
                      QStringList({u"a\u0100\u4E00"_qs, u"o\u0AD8\u4E00"_qs, "eng", "eng"}));
            EXPECT_TRUE(Messages().contains(u"More than 65536 languages: the others read as eng."));
        }
    }
}

TEST_F(SongCatalogueTest, YearTimestampCountsHundredthsSinceNewYear)
{
    const auto at = [](int year, int month, int day, int hour, int minute, int second) {
        return SongCatalogue::YearTimestamp(
            QDateTime(QDate(year, month, day), QTime(hour, minute, second, 999)));
    };
    EXPECT_EQ(at(2023, 1, 1, 0, 0, 0), 0u);
    EXPECT_EQ(at(2023, 1, 1, 0, 0, 1), 100u);
    EXPECT_EQ(at(2023, 12, 31, 23, 59, 59), 3153599900u);
    EXPECT_EQ(at(2024, 12, 31, 23, 59, 59), 3162239900u);
    EXPECT_EQ(at(2000, 3, 1, 0, 0, 0), 60u * 8640000u);
    EXPECT_EQ(at(2100, 3, 1, 0, 0, 0), 59u * 8640000u);
    EXPECT_EQ(SongCatalogue::YearTimestamp(QDateTime()), 0u);
}

} // namespace
