#include "tests/net/InProcessServer.h"
#include "tools/SongListWriter.h"

#include <array>

namespace {

using Song = CatalogueSong;
using Encoding = SongListWriter::Encoding;

// 45 songs: titles that share a key, an article to drop or keep, a prefix.
QList<Song> BookSongs()
{
    QList<Song> songs = {{7, u"Abc"_qs, u"Xy"_qs, {}, u"eng"_qs},
                         {31, u"Abcd"_qs, u"Xy"_qs, {}, u"eng"_qs},
                         {12, u"The Way"_qs, u"Band"_qs, {}, u"eng"_qs},
                         {40, u"the way"_qs, u"band"_qs, {}, u"eng"_qs},
                         {3, u"Way"_qs, u"Band"_qs, {}, u"eng"_qs},
                         {99, u"A Song"_qs, u"Zed"_qs, {}, u"fra"_qs},
                         {5, u"An Apple"_qs, u"Ann"_qs, {}, u"fra"_qs},
                         {64, u"Theatre"_qs, u"Éric"_qs, {}, u"kor"_qs}};
    for (quint32 n = 100; songs.size() < 45; ++n)
        songs.append(
            {n, u"Song %1"_qs.arg(n * 7919 % 1000), u"Artist %1"_qs.arg(n % 5), {}, u"kor"_qs});
    return songs;
}

// A server with the 45-song book, asked by terminals and the local client.
class SongBookTest : public InProcessServer
{
protected:
    void PrepareDataFolder() override
    {
        QDir().mkpath(home.dataFolder());
        ASSERT_EQ(SongListWriter::WriteTextList(home.dataFolder() + u"/orvabook.txt"_qs,
                                                BookSongs(), Encoding::Utf8WithMark),
                  QString());
    }
    Packet::PageData Page(MelodeckClient &t, qint32 direction, qint32 mode)
    {
        return Packet::PageData::Decode(Ask(t, Packet::RequestPage{direction, mode}.Encode()));
    }
    // Every song of the catalogue through the download, in load order.
    QList<Packet::MultiDownloadData::Item> Download(MelodeckClient &client)
    {
        const quint32 total =
            Packet::ServerInfo::Decode(Ask(client, ServerInfoRequest())).songCount;
        QList<Packet::MultiDownloadData::Item> items;
        for (qint32 start = 0;; start += 8) {
            const auto reply = Packet::MultiDownloadData::Decode(
                Ask(client, Packet::MultiDownload{start, qint32(total)}.Encode()));
            if (reply.endMark || reply.items.isEmpty())
                return items;
            items += reply.items;
        }
    }
};

// The stored view: page sizes outside 1..20 become 20; the page count
// follows the song count; a negative page is kept as sent and shows nothing.
TEST_F(SongBookTest, BookViewClampsSizeAndCountsPages)
{
    auto t = Terminal(0);
    // Size and page sent; the page count and the songs shown (which tell the size stored).
    const std::array<qint32, 4> cases[] = {{0, 0, 3, 20}, {-5, 1, 3, 20}, {21, 2, 3, 5},
                                           {7, 6, 7, 3},  {1, 44, 45, 1}, {7, -3, 7, 0},
                                           {20, 3, 3, 0}};
    for (const auto &[size, page, pageCount, songsShown] : cases) {
        SCOPED_TRACE(size);
        t->Send(Packet::SetBookView{2, size, page, {}}.Encode());
        const auto shown = Page(*t, 0, 2);
        EXPECT_EQ(QList<int>({shown.pageCount, shown.currentPage, int(shown.songs.size())}),
                  QList<int>({pageCount, page, songsShown}));
    }
    // A fresh terminal has no page size yet: it cannot move and sees nothing.
    auto fresh = Terminal(1);
    EXPECT_EQ(Page(*fresh, Packet::RequestPage::kNext, 1).songs.size(), 0);
    app->catalogue().LoadSongDatabase(QString());
    t->Send(Packet::SetBookView{0, 10, 0, {}}.Encode());
    EXPECT_EQ(Page(*t, 0, 0).pageCount, 0);
    EXPECT_EQ(LastLog(), u"req page 0, cur 0, mode 0");
}

// Download replies: eight items from the start in load order, byte for byte;
// the end mark at or past the total; no items past the song count.
TEST_F(SongBookTest, DownloadRepliesAndTheirLogLines)
{
    auto t = Terminal(0);
    const QByteArray first = Ask(*t, Packet::MultiDownload{0, 45}.Encode());
    EXPECT_EQ(first.size(), 16 + 252);
    EXPECT_EQ(first.left(42).toHex(' '),
              Hex("4F525641 00008124 000000FC 00000008 00000000"
                  "01030002 0065 006E 0067 0037 0041 0062 0063 0058 0079")
                  .toHex(' '));
    EXPECT_EQ(CountLog(u"multi-download Start(0, 45)"_qs), 1);
    EXPECT_EQ(Packet::MultiDownloadData::Decode(Ask(*t, Packet::MultiDownload{40, 45}.Encode()))
                  .items.size(),
              5);
    EXPECT_EQ(CountLog(u"multi-download Done."_qs), 1);
    const QByteArray endMark = Hex("4F525641 00008124 00000004 00000000 FFFFFFFF 00000000");
    EXPECT_EQ(Ask(*t, Packet::MultiDownload{45, 45}.Encode()), endMark);
    EXPECT_EQ(Ask(*t, Packet::MultiDownload{-1, 10}.Encode()), endMark);
    EXPECT_EQ(Ask(*t, Packet::MultiDownload{120, 200}.Encode()),
              Hex("4F525641 00008124 00000004 00000000 00000078"));

    // Progress is logged at every 2,048th song below the total.
    QString big;
    for (int n = 1; n <= 2050; ++n)
        big += u"%1|T|A\n"_qs.arg(n);
    WriteFileBytes(home.file(u"big.txt"_qs), big.toUtf8());
    app->catalogue().LoadSongDatabase(home.file(u"big.txt"_qs));
    Ask(*t, Packet::MultiDownload{2048, 5000}.Encode());
    EXPECT_EQ(CountLog(u"multi-download Loading(2048, 5000)"_qs), 1);
    EXPECT_EQ(CountLog(u"multi-download Done."_qs), 2);
}

// A reload makes every terminal reconnect, the requester included, and keeps
// the local client; an empty catalogue or a refused name closes nothing.
TEST_F(SongBookTest, LoadSongListReconnectsTerminalsOnlyWhenSongsCameIn)
{
    auto a = Terminal(0);
    auto b = Terminal(1);
    auto local = Connect(QHostAddress::LocalHost);
    WriteFileBytes(home.file(u"empty.txt"_qs), "no songs here\n");
    WriteFileBytes(home.file(u"two.txt"_qs), "1|One|A\n2|Two|B\n");

    const auto load = [&](MelodeckClient &c, const QString &name) {
        return Packet::LoadResult::Decode(Ask(c, Packet::LoadSongList{5, 0, name}.Encode()));
    };
    EXPECT_EQ(load(*a, home.file(u"empty.txt"_qs)).songCount, 0u);
    EXPECT_EQ(load(*a, QString(80, u'x')).songCount, 0u); // refused: the empty catalogue stays
    EXPECT_EQ(CountLog(u"Requested load result 5, len 172, name xxx"_qs), 1);
    app->catalogue().LoadSongDatabase(home.file(u"two.txt"_qs));
    EXPECT_EQ(load(*a, QString(80, u'x')).songCount, 2u);
    EXPECT_TRUE(a->IsConnected() && b->IsConnected());
    EXPECT_EQ(CountLog(u"reconnected"_qs), 0);

    const auto reply = load(*a, home.file(u"two.txt"_qs));
    EXPECT_TRUE(reply.songCount == 2 && reply.timestamp == quint32(app->catalogue().timestamp()));
    EXPECT_TRUE(a->WaitForClose() && b->WaitForClose());
    EXPECT_EQ(CountLog(u"LoadSongList, Melodeck reconnected actived."_qs), 1);
    EXPECT_EQ(CountLog(u"Closed client"_qs), 2);
    EXPECT_TRUE(local->IsConnected());
    EXPECT_EQ(Packet::ServerInfo::Decode(Ask(*local, ServerInfoRequest())).songCount, 2u);
}

// The songs written as an ANSI list come back whole through the download.
// (UTF-8, UTF-16 and .dat files round-trip through the same writer and loader
// in CatalogueToolTest.)
TEST_F(SongBookTest, AnsiListDownloadsTheSongsItHolds)
{
    auto local = Connect(QHostAddress::LocalHost);
    QStringList expected;
    for (const Song &s : BookSongs())
        expected << u"%1|%2|%3|%4"_qs.arg(s.number).arg(s.title, s.artist, s.language);
    const QString path = home.file(u"ansi.txt"_qs);
    ASSERT_EQ(SongListWriter::WriteTextList(path, BookSongs(), Encoding::Ansi), QString());
    local->Send(Packet::LoadSongList{0, 0, path}.Encode());
    ASSERT_TRUE(local->ReadPacket().has_value());
    QStringList items;
    for (const auto &item : Download(*local))
        items << item.number + u'|' + item.title + u'|' + item.artist + u'|' + item.language;
    EXPECT_EQ(items, expected);
}

} // namespace
