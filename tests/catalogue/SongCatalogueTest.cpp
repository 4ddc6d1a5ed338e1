#include "catalogue/SongCatalogue.h"

#include "app/EventLog.h"
#include "app/RowTable.h"
#include "tests/catalogue/CodePageScope.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>

namespace {

QByteArray Le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(value, bytes.data());
    return bytes;
}

// The 8-byte header of a .dat or .idx file with the usual magic.
QByteArray Header(quint32 timestamp)
{
    return Hex("57 61 31 47") + Le32(timestamp);
}

// One 196-byte record; texts are written unit by unit, cut to their widths.
QByteArray RecordBytes(quint32 number, QStringView title, QStringView artist = {},
                       QStringView extra = {})
{
    QByteArray bytes(196, '\0');
    qToLittleEndian<quint32>(number, bytes.data());
    const auto put = [&bytes](QStringView text, int offset, int width) {
        for (int i = 0; i < qMin<int>(int(text.size()), width); ++i)
            qToLittleEndian<quint16>(text[i].unicode(), bytes.data() + offset + 2 * i);
    };
    put(title, 4, 48);
    put(artist, 100, 24);
    put(extra, 148, 24);
    return bytes;
}

// Language entries of 4 UTF-16LE units each.
QByteArray LanguageBytes(const QStringList &codes)
{
    QByteArray bytes;
    for (const QString &code : codes)
        for (int i = 0; i < 4; ++i)
            bytes += i < code.size() ? QByteArray(1, char(code[i].unicode())) + '\0'
                                     : QByteArray(2, '\0');
    return bytes;
}

// Expected lines written as one text, one entry a line.
QStringList Lines(const QString &text)
{
    return text.split(u'\n');
}

QByteArray Utf8WithMark(const QString &text)
{
    return Hex("EF BB BF") + text.toUtf8();
}

class SongCatalogueTest : public testing::Test
{
protected:
    // One catalogue for all tests, as the server has one for its whole run:
    // every test also checks that a load clears what the one before left.
    static void SetUpTestSuite() { s_catalogue = std::make_unique<SongCatalogue>(); }
    static void TearDownTestSuite() { s_catalogue.reset(); }
    void SetUp() override { EventLog::Attach(&m_log); }
    void TearDown() override { EventLog::Attach(nullptr); }

    SongCatalogue &Catalogue() { return *s_catalogue; }

    QString Write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        WriteFileBytes(path, bytes);
        return path;
    }

    void Load(const QString &path)
    {
        m_log.clear();
        Catalogue().LoadSongDatabase(path);
    }

    // The log lines of the last load, the elapsed milliseconds shown as "ms".
    QStringList Messages() const
    {
        static const QRegularExpression elapsed(QStringLiteral("songs \\(\\d+\\)\\.$"));
        QStringList lines;
        for (int row = 0; row < m_log.rowCount(); ++row)
            lines.append(m_log.cell(row, 1).replace(elapsed, QStringLiteral("songs (ms).")));
        return lines;
    }

    static QString Describe(const SongCatalogue &catalogue, const SongRecord &record)
    {
        const int position = int(&record - &catalogue.Record(0));
        return QStringLiteral("%1|%2|%3|%4|%5")
            .arg(record.number)
            .arg(record.TitleText(), record.ArtistText(), record.ExtraText(),
                 catalogue.Language(position));
    }

    // "number|title|artist|extra|language" for every song, in load order.
    QStringList Songs()
    {
        QStringList songs;
        for (int i = 0; i < int(Catalogue().songCount()); ++i)
            songs.append(Describe(Catalogue(), Catalogue().Record(i)));
        return songs;
    }

    // The records an index lists, in index order.
    QList<const SongRecord *> InOrder(int sortMode)
    {
        const SongRecord *const *index = Catalogue().IndexFor(sortMode);
        return QList<const SongRecord *>(index, index + Catalogue().songCount());
    }

    static std::unique_ptr<SongCatalogue> s_catalogue;
    RowTable m_log{{QStringLiteral("Time"), QStringLiteral("Action")}};
    QTemporaryDir m_dir;
    CodePageScope m_codePage{nullptr};
};

std::unique_ptr<SongCatalogue> SongCatalogueTest::s_catalogue;

TEST_F(SongCatalogueTest, LoadsASingleSongLine)
{
    const quint32 before = SongCatalogue::YearTimestamp(QDateTime::currentDateTime());
    Load(Write(QStringLiteral("one.txt"), "12|Love Song|Singer"));
    const quint32 after = SongCatalogue::YearTimestamp(QDateTime::currentDateTime());

    EXPECT_EQ(Songs(), QStringList(QStringLiteral("12|Love Song|Singer||eng")));
    const quint64 timestamp = Catalogue().timestamp();
    EXPECT_TRUE((timestamp >= before && timestamp <= after) || after < before) << timestamp;
    EXPECT_EQ(
        Messages(),
        QStringList(QStringLiteral("timestamp %1, loaded 1 songs (ms).").arg(timestamp, 0, 16)));
}

TEST_F(SongCatalogueTest, SkipsLinesThatHoldNoSong)
{
    Load(Write(QStringLiteral("mixed.txt"), "0|Zero|Nobody\n"
                                            "no bar here\n"
                                            "7|\n"
                                            "  42  |  Spaced  |Artist|extra field\n"
                                            "-5|Minus|Sign\n"
                                            "abc|Letters|X\n"
                                            "\t+9|Plus|Y\t\r\n"
                                            "|No number|Z\n"
                                            "3|Title only\n"
                                            "99999999999|Big|B\n"));
    EXPECT_EQ(Songs(), Lines(QStringLiteral("7||||eng\n42|  Spaced  |Artist||eng\n"
                                            "4294967291|Minus|Sign||eng\n9|Plus|Y||eng\n"
                                            "3|Title only|||eng\n2147483647|Big|B||eng")));
    // Nothing of the skipped lines is left past the last song.
    const SongRecord &past = Catalogue().Record(int(Catalogue().songCount()));
    EXPECT_EQ(past.number, 0u);
    EXPECT_TRUE(past.TitleText().isEmpty());
    EXPECT_EQ(Catalogue().IndexFor(SongCatalogue::ByTitle)[Catalogue().songCount()], &past);
}

TEST_F(SongCatalogueTest, CutsTitlesAndArtistsToTheirWidths)
{
    const QString sixty = QStringLiteral("0123456789").repeated(6);
    const QString thirty = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCD");
    const QString fortyEight = QString(48, u'T');
    Load(Write(QStringLiteral("long.txt"),
               QStringLiteral("1|%1|%2\n2|%3|Me\n").arg(sixty, thirty, fortyEight).toUtf8()));
    EXPECT_EQ(Songs(),
              QStringList({QStringLiteral("1|%1|%2||eng").arg(sixty.left(48), thirty.left(24)),
                           QStringLiteral("2|%1|Me||eng").arg(fortyEight)}));
}

TEST_F(SongCatalogueTest, LanguageLinesSetTheLanguageOfTheSongsBelow)
{
    Load(Write(QStringLiteral("languages.txt"), "1|Before|A\n"
                                                "#kor\n"
                                                "2|Korean|B\n"
                                                "  # korean\n"
                                                "3|Still Korean|C\n"
                                                "#ko\n"
                                                "4|Unchanged|D\n"
                                                "#\tjpn\n"
                                                "5|No #1|E\n"));
    EXPECT_EQ(Songs(), Lines(QStringLiteral("1|Before|A||eng\n2|Korean|B||kor\n"
                                            "3|Still Korean|C||kor\n4|Unchanged|D||kor\n"
                                            "5|No #1|E||jpn")));
}

TEST_F(SongCatalogueTest, EveryEncodingGivesTheSameSongs)
{
    const QStringList expected = {QStringLiteral(u"1|Café|Zoé||fra"),
                                  QStringLiteral(u"2|Noël|Ève||fra")};
    const QByteArray utf16 = Hex("FF FE 23 00 66 00 72 00 61 00 0D 00 0A 00"
                                 "31 00 7C 00 43 00 61 00 66 00 E9 00 7C 00 5A 00 6F 00 E9 00"
                                 "0D 00 0A 00 32 00 7C 00 4E 00 6F 00 EB 00 6C 00 7C 00 C8 00"
                                 "76 00 65 00 0D 00 0A 00");
    const QByteArray utf8 = Hex("23 66 72 61 0D 0A 31 7C 43 61 66 C3 A9 7C 5A 6F C3 A9 0D 0A"
                                "32 7C 4E 6F C3 AB 6C 7C C3 88 76 65 0D 0A");
    const QByteArray ansi = Hex("23 66 72 61 0D 0A 31 7C 43 61 66 E9 7C 5A 6F E9 0D 0A"
                                "32 7C 4E 6F EB 6C 7C C8 76 65 0D 0A");
    const QList<QPair<const char *, QByteArray>> files = {{"utf16.txt", utf16},
                                                          {"utf8.txt", Hex("EF BB BF") + utf8},
                                                          {"utf8-nomark.txt", utf8},
                                                          {"ansi.txt", ansi}};
    for (const auto &[name, bytes] : files) {
        Load(Write(QString::fromLatin1(name), bytes));
        EXPECT_EQ(Songs(), expected) << name;
    }
}

TEST_F(SongCatalogueTest, RecognisesExtensionsInAnyCase)
{
    const QString dat =
        Write(QStringLiteral("Upper.DAT"), Header(0x77) + RecordBytes(1, u"One", u"A"));
    Write(QStringLiteral("Upper.idx"), Header(0x77) + LanguageBytes({QStringLiteral("kor")}));
    Write(QStringLiteral("Upper.IDX"), Header(0x77) + LanguageBytes({QStringLiteral("jpn")}));
    Load(dat);
    EXPECT_EQ(Songs(), QStringList(QStringLiteral("1|One|A||kor")));

    Load(Write(QStringLiteral("List.Txt"), "5|Five|F"));
    EXPECT_EQ(Songs(), QStringList(QStringLiteral("5|Five|F||eng")));

    Load(Write(QStringLiteral("songs.csv"), "5|Five|F"));
    EXPECT_EQ(Catalogue().songCount(), 0u);
    EXPECT_EQ(Catalogue().timestamp(), 0u);
    EXPECT_EQ(Messages(), QStringList(QStringLiteral("timestamp 0, loaded 0 songs (ms).")));
}

TEST_F(SongCatalogueTest, UsesTheLanguageFileOnlyWhenItMatches)
{
    const QByteArray records =
        Header(0x1234) + RecordBytes(1, u"One") + RecordBytes(2, u"Two") + RecordBytes(3, u"Three");
    const QString dat = Write(QStringLiteral("cat.dat"), records);
    const QString idx = m_dir.filePath(QStringLiteral("cat.idx"));
    const QByteArray languages =
        LanguageBytes({QStringLiteral("kor"), QStringLiteral("jpnx"), QStringLiteral("es")});

    WriteFileBytes(idx, Header(0x1234) + languages);
    Load(dat);
    EXPECT_EQ(Songs(), QStringList({QStringLiteral("1|One|||kor"), QStringLiteral("2|Two|||jpn"),
                                    QStringLiteral("3|Three|||es")}));
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("Open moxiinfo.idx [1234 = 1234]."),
                                       QStringLiteral("timestamp 1234, loaded 3 songs (ms).")}));

    // Fewer entries than songs: the rest keep the default.
    WriteFileBytes(idx, Header(0x1234) + languages.left(8));
    Load(dat);
    EXPECT_EQ(Catalogue().Language(0), QStringLiteral("kor"));
    EXPECT_EQ(Catalogue().Language(1), QStringLiteral("eng"));

    WriteFileBytes(idx, Header(0x1235) + languages);
    Load(dat);
    EXPECT_EQ(Catalogue().Language(0), QStringLiteral("eng"));
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("Open moxiinfo.idx [1234 = 1235]."),
                                       QStringLiteral("timestamp 1234, loaded 3 songs (ms).")}));

    WriteFileBytes(idx, Hex("00 00 00 00") + Le32(0x1234) + languages);
    Load(dat);
    EXPECT_EQ(Catalogue().Language(0), QStringLiteral("eng"));

    ASSERT_TRUE(QFile::remove(idx));
    Load(dat);
    EXPECT_EQ(Catalogue().songCount(), 3u);
    EXPECT_EQ(Messages(), QStringList({QStringLiteral("Failed to open [%1].").arg(idx),
                                       QStringLiteral("timestamp 1234, loaded 3 songs (ms).")}));
}

TEST_F(SongCatalogueTest, TakesRecordsAsStored)
{
    // Number 0, a title filling its whole width (no terminator before the
    // artist), and a last record cut short after 10 bytes.
    const QByteArray bytes = Header(0x5EED) + RecordBytes(0, u"Zero", u"Z") +
                             RecordBytes(9, QString(48, u'T'), u"Artist", u"Extra") +
                             RecordBytes(77, u"ABCDEF").left(10);
    Load(Write(QStringLiteral("raw.dat"), bytes));
    EXPECT_EQ(Songs(), QStringList({QStringLiteral("0|Zero|Z||eng"),
                                    QStringLiteral("9|%1|Artist|Extra|eng").arg(QString(48, u'T')),
                                    QStringLiteral("77|ABC|||eng")}));
}

TEST_F(SongCatalogueTest, WrongMagicEmptiesTheCatalogue)
{
    Load(Write(QStringLiteral("good.txt"), "1|One|A"));
    ASSERT_EQ(Catalogue().songCount(), 1u);

    Load(Write(QStringLiteral("other.dat"), Hex("12 34 56 78 00 00 00 00") + RecordBytes(1, u"X")));
    EXPECT_EQ(Catalogue().songCount(), 0u);
    EXPECT_EQ(Messages(), QStringList(QStringLiteral("Invalid id [moxiinfo.dat] 78563412.")));

    Load(Write(QStringLiteral("empty.dat"), QByteArray()));
    EXPECT_EQ(Messages(), QStringList(QStringLiteral("Invalid id [moxiinfo.dat] 0.")));
}

TEST_F(SongCatalogueTest, AFailedLoadLeavesAnEmptyCatalogue)
{
    Load(Write(QStringLiteral("good.txt"), "3|Three|C\n1|One|A\n2|Two|B"));
    ASSERT_EQ(Catalogue().songCount(), 3u);

    // A folder passes the existence test but cannot be opened.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.txt")));
    const QString folder = m_dir.filePath(QStringLiteral("folder.txt"));
    Load(folder);
    EXPECT_EQ(Messages(), QStringList(QStringLiteral("Failed to open [%1].").arg(folder)));
    EXPECT_EQ(Catalogue().songCount(), 0u);
    EXPECT_EQ(Catalogue().timestamp(), 0u);
    for (int mode = 0; mode < 4; ++mode)
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Catalogue().IndexFor(mode)[i], &Catalogue().Record(i));
    EXPECT_EQ(Catalogue().Record(0).number, 0u);
    EXPECT_TRUE(Catalogue().Language(0).isEmpty());
    EXPECT_EQ(Catalogue().FindSongByNumber(1), nullptr);

    Load(Write(QStringLiteral("again.txt"), "1|One|A"));
    Load(QString());
    EXPECT_EQ(Catalogue().songCount(), 0u);
    EXPECT_TRUE(Messages().isEmpty()) << "no path: emptied without a word";
}

TEST_F(SongCatalogueTest, AMissingPathFallsBackToTheDefaultFile)
{
    // The default file is looked for in the current folder.
    struct CurrentFolder
    {
        QString previous = QDir::currentPath();
        ~CurrentFolder() { QDir::setCurrent(previous); }
    } restore;
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    Load(m_dir.filePath(QStringLiteral("absent/list.txt")));
    EXPECT_EQ(Messages(), QStringList(QStringLiteral("Failed to open [moxiinfo.dat].")));

    Write(QStringLiteral("moxiinfo.dat"), Header(0x42) + RecordBytes(8, u"Default"));
    Load(QStringLiteral("no-such-list.txt"));
    EXPECT_EQ(Songs(), QStringList(QStringLiteral("8|Default|||eng")));
}

TEST_F(SongCatalogueTest, TitleKeysDropOneArticleAndUpperCaseAscii)
{
    EXPECT_EQ(SongCatalogue::TitleKey(u"The Way"), QStringLiteral("WAY"));
    EXPECT_EQ(SongCatalogue::TitleKey(u"tHe x"), QStringLiteral("X"));
    EXPECT_EQ(SongCatalogue::TitleKey(u"a Song"), QStringLiteral("SONG"));
    EXPECT_EQ(SongCatalogue::TitleKey(u"An Apple"), QStringLiteral("AN APPLE"));
    EXPECT_EQ(SongCatalogue::TitleKey(u"Theatre"), QStringLiteral("THEATRE"));
    EXPECT_EQ(SongCatalogue::TitleKey(u"The"), QStringLiteral("THE"));
    EXPECT_EQ(SongCatalogue::TitleKey(u"The A Team"), QStringLiteral("A TEAM"));
    EXPECT_EQ(SongCatalogue::TitleKey(u"ça va été"), QStringLiteral(u"çA VA éTé"));
}

TEST_F(SongCatalogueTest, SortsTitlesByTheirKeys)
{
    const QString x47(47, u'X');
    const QStringList titles =
        QStringLiteral(u"The Way,the way,Way,A Song,Sonata,An Apple,Theatre,apple pie,Élan,élan,"
                       u"Zebra,가요,Ｚ,The,A,Love,Love Me,Lovely,THE END,The A Team,"
                       u"Yesterday Once More,Yesterday Once,yesterday once more,"
                       u"Yesterday Once Mord,%1B,%1Ab")
            .arg(x47)
            .split(u',');
    QString list;
    for (int i = 0; i < titles.size(); ++i)
        list += QStringLiteral("%1|%2|x\n").arg(i + 1).arg(titles[i]);
    Load(Write(QStringLiteral("titles.txt"), Utf8WithMark(list)));
    ASSERT_EQ(Catalogue().songCount(), quint32(titles.size()));

    // Equal keys may come in any order, so the keys are compared, not the titles.
    QStringList keys;
    for (const SongRecord *record : InOrder(SongCatalogue::ByTitle))
        keys.append(SongCatalogue::TitleKey(record->TitleText()));
    EXPECT_EQ(keys, QStringLiteral(u"A,A TEAM,AN APPLE,APPLE PIE,END,LOVE,LOVE ME,LOVELY,SONATA,"
                                   u"SONG,THE,THEATRE,WAY,WAY,WAY,%1A,%1B,YESTERDAY ONCE,"
                                   u"YESTERDAY ONCE MORD,YESTERDAY ONCE MORE,YESTERDAY ONCE MORE,"
                                   u"ZEBRA,ÉLAN,éLAN,가요,Ｚ")
                        .arg(x47)
                        .split(u','));
}

TEST_F(SongCatalogueTest, SortsArtistsAndExtrasAsCaseSensitiveUnits)
{
    const QStringList artists =
        QStringLiteral(u"abba,Beatles,ABBA,가수,Zed,,Johann Sebastian Bach,Johann Sebastian Bacg")
            .split(u',');
    const QStringList extras =
        QStringLiteral(u"b,a,B,Ａ,,Ann,Anna,%1").arg(QString(24, u'e')).split(u',');
    QByteArray bytes = Header(1);
    for (int i = 0; i < artists.size(); ++i)
        bytes += RecordBytes(quint32(i + 1), u"t", artists[i], extras[i]);
    Load(Write(QStringLiteral("columns.dat"), bytes));

    QStringList artistOrder;
    for (const SongRecord *record : InOrder(SongCatalogue::ByArtist))
        artistOrder.append(record->ArtistText());
    EXPECT_EQ(artistOrder,
              QStringLiteral(u",ABBA,Beatles,Johann Sebastian Bacg,Johann Sebastian Bach,Zed,abba,"
                             u"가수")
                  .split(u','));
    QStringList extraOrder;
    for (const SongRecord *record : InOrder(SongCatalogue::ByExtra))
        extraOrder.append(record->ExtraText());
    EXPECT_EQ(extraOrder,
              QStringLiteral(u",Ann,Anna,B,a,b,%1,Ａ").arg(QString(24, u'e')).split(u','));
    // Any other sort mode means number order.
    EXPECT_EQ(Catalogue().IndexFor(7), Catalogue().IndexFor(SongCatalogue::ByNumber));
    EXPECT_EQ(Catalogue().IndexFor(-1), Catalogue().IndexFor(SongCatalogue::ByNumber));
}

TEST_F(SongCatalogueTest, SortsNumbersUnsignedAndFindsTheFirstLoaded)
{
    QByteArray bytes = Header(1) + RecordBytes(5, u"five") + RecordBytes(3, u"first three") +
                       RecordBytes(0xFFFFFFFF, u"max") + RecordBytes(3, u"second three") +
                       RecordBytes(1, u"one") + RecordBytes(0, u"zero");
    Load(Write(QStringLiteral("numbers.dat"), bytes));
    QList<quint32> numbers;
    for (const SongRecord *record : InOrder(SongCatalogue::ByNumber))
        numbers.append(record->number);
    EXPECT_EQ(numbers, QList<quint32>({0, 1, 3, 3, 5, 0xFFFFFFFF}));
    ASSERT_NE(Catalogue().FindSongByNumber(3), nullptr);
    EXPECT_EQ(Catalogue().FindSongByNumber(3)->TitleText(), QStringLiteral("first three"));
    ASSERT_NE(Catalogue().FindSongByNumber(0xFFFFFFFF), nullptr);
    EXPECT_EQ(Catalogue().FindSongByNumber(0xFFFFFFFF)->TitleText(), QStringLiteral("max"));
    ASSERT_NE(Catalogue().FindSongByNumber(0), nullptr);
    EXPECT_EQ(Catalogue().FindSongByNumber(4), nullptr);

    // Many repeats of each number: still the first one loaded.
    QByteArray list;
    for (int i = 0; i < 1000; ++i)
        list += QStringLiteral("%1|song %2|a\n").arg(i % 37 + 1).arg(i).toLatin1();
    Load(Write(QStringLiteral("repeats.txt"), list));
    for (quint32 number = 1; number <= 37; ++number) {
        const SongRecord *found = Catalogue().FindSongByNumber(number);
        ASSERT_NE(found, nullptr) << number;
        EXPECT_EQ(found->TitleText(), QStringLiteral("song %1").arg(number - 1));
    }
    EXPECT_EQ(Catalogue().FindSongByNumber(38), nullptr);
}

TEST_F(SongCatalogueTest, IgnoresSongsBeyondCapacity)
{
    const int lines = SongCatalogue::kCapacity + 1;
    QByteArray list;
    for (int i = 1; i <= lines; ++i)
        list += QByteArray::number(i) + "|t|a\n";
    Load(Write(QStringLiteral("full.txt"), list));
    EXPECT_EQ(Catalogue().songCount(), quint32(SongCatalogue::kCapacity));
    EXPECT_EQ(Catalogue().Record(SongCatalogue::kCapacity - 1).number, 200000u);
    EXPECT_EQ(Catalogue().FindSongByNumber(200001), nullptr);

    QByteArray records = Header(2) + QByteArray(qsizetype(lines) * 196, '\0');
    for (int i = 0; i < lines; ++i)
        qToLittleEndian<quint32>(quint32(i + 1), records.data() + 8 + qsizetype(i) * 196);
    const QString dat = Write(QStringLiteral("full.dat"), records);
    Write(QStringLiteral("full.idx"), Header(2) + QByteArray(qsizetype(lines) * 8, 'k'));
    Load(dat);
    EXPECT_EQ(Catalogue().songCount(), quint32(SongCatalogue::kCapacity));
    EXPECT_EQ(Catalogue().FindSongByNumber(200001), nullptr);
    EXPECT_EQ(Catalogue().IndexFor(SongCatalogue::ByNumber)[SongCatalogue::kCapacity - 1]->number,
              200000u);
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
