#include "web/SongSearch.h"

#include "base/GuestWebConfig.h"
#include "catalogue/SongCatalogue.h"
#include "tests/support/ServerProcess.h"

namespace {

// Search matches number, title or artist as a case-insensitive substring, in
// number order and pages, in any script; a reload is searched anew.
TEST(SongSearch, FindsByNumberTitleOrArtistInPages)
{
    TempFolder folder;
    SongCatalogue catalogue;
    catalogue.LoadSongDatabase(
        folder.Write(u"a.txt"_qs, "30|Звезда по имени|Кино\n12|Love Song|Singer\n7|愛のうた|カナ\n"
                                  "120|사랑해요|가수\n8|ЗВЁЗДЫ|Band\n"));
    SongSearch search(catalogue);
    const struct
    {
        QString query;
        int page, size;
        int total;
        QList<quint32> numbers;
    } cases[] = {
        {u""_qs, 0, 2, 5, {7, 8}},          {u""_qs, 2, 2, 5, {120}},
        {u"12"_qs, 0, 10, 2, {12, 120}},    {u"love"_qs, 0, 10, 1, {12}},
        {u"SINGER"_qs, 0, 10, 1, {12}},     {u"звезд"_qs, 0, 10, 1, {30}},
        {u"звёзд"_qs, 0, 10, 1, {8}},       {u"カナ"_qs, 0, 10, 1, {7}},
        {u"사랑"_qs, 0, 10, 1, {120}},      {u"n"_qs, 1, 1, 2, {12}},
        {u"song\tsinger"_qs, 0, 10, 0, {}}, {u"nothing"_qs, 0, 10, 0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.query.toStdString());
        const SongSearch::Page page = search.Find(c.query, c.page, c.size);
        EXPECT_EQ(page.total, c.total);
        QList<quint32> numbers;
        for (const int position : page.positions)
            numbers.append(catalogue.Record(position).number);
        EXPECT_EQ(numbers, c.numbers);
    }
    // A reload is searched anew; a query too broad is counted only so far.
    QByteArray many = "5|Another Love|X\n";
    for (int n = 1000; n < 2100; ++n)
        many += QByteArray::number(n) + "|Song|Band\n";
    catalogue.LoadSongDatabase(folder.Write(u"b.txt"_qs, many));
    EXPECT_EQ(search.Find(u"love"_qs, 0, 10).positions, QList<int>({0}));
    const SongSearch::Page broad = search.Find(u"band"_qs, 99, 10);
    EXPECT_EQ(broad.total, SongSearch::kMaxCounted);
    EXPECT_TRUE(broad.more);
    EXPECT_EQ(catalogue.Record(broad.positions.last()).number, 1999u);
}

// Section "GuestWeb": defaults when missing, bad values read safely, and a
// save reads back the same.
TEST(GuestWebConfig, LoadsDefaultsBadValuesAndSavedOnes)
{
    TempHome home;
    const auto load = [&](const QByteArray &ini) {
        WriteFileBytes(home.dataFolder() + u"/Moxi.ini"_qs, ini);
        GuestWebConfig config;
        LoadGuestWebSettings(config);
        return config;
    };
    EXPECT_EQ(load(""), GuestWebConfig());
    const GuestWebConfig odd = load("[GuestWeb]\r\nPort=70000\r\nMaxPerGuest=-4\r\nEnabled=0\r\n");
    EXPECT_EQ(odd.Port, GuestWebConfig::kDefaultPort);
    EXPECT_EQ(odd.MaxPerGuest, 0);
    EXPECT_FALSE(odd.Enabled);
    const GuestWebConfig saved{false, 8080, false, 42, 5, u"12 34"_qs};
    SaveGuestWebSettings(saved);
    GuestWebConfig read;
    LoadGuestWebSettings(read);
    EXPECT_EQ(read, saved);
    EXPECT_TRUE(ReadFileBytes(home.dataFolder() + u"/Moxi.ini"_qs).contains("[GuestWeb]"));
}

} // namespace
