// orva_fuzz_seeds FOLDER: writes the seed corpora of the fuzz targets into
// FOLDER/<target>/, from the server's own packet encoders and file writers,
// so every seed is a valid input. Regenerate with:
//   cmake --build build --target orva_fuzz_seeds && build/orva_fuzz_seeds fuzz/corpus
#include "protocol/QueueWire.h"
#include "protocol/Requests.h"
#include "queue/FavoriteStore.h"
#include "tools/SongListWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>

namespace {

QString g_root;

void Seed(const char *target, const char *name, const QByteArray &bytes)
{
    const QString folder = g_root + u'/' + QLatin1String(target);
    QDir().mkpath(folder);
    QFile file(folder + u'/' + QLatin1String(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s/%s\n", target, name);
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A channel input: flags, four chunk sizes, then packets.
QByteArray Channel(quint8 flags, const char chunks[4], const QList<QByteArray> &packets)
{
    QByteArray bytes(1, char(flags));
    bytes.append(chunks, 4);
    for (const QByteArray &packet : packets)
        bytes += packet;
    return bytes;
}

void ChannelSeeds()
{
    using namespace Packet;
    const char whole[4] = {char(255), char(255), char(255), char(255)};
    const char split[4] = {0, 6, 30, char(200)};
    Seed(
        "channel", "book-pages",
        Channel(0, whole,
                {SetBookView{1, 4, 0, "love"}.Encode(), RequestPage{RequestPage::kNext, 2}.Encode(),
                 RequestPage{RequestPage::kPrevious, 0}.Encode(), MultiDownload{0, 5}.Encode()}));
    Seed("channel", "reserve-split",
         Channel(0, split,
                 {EncodeHeaderOnly(Cmd::RequestServerInfo),
                  RequestAdd{1, 7, 2, -1, QStringLiteral("Ann")}.Encode(),
                  RequestDel{12, -1, -1}.Encode(), RequestDel{7, 0, 3}.Encode(),
                  EncodeHeaderOnly(Cmd::RequestBookList)}));
    SetFavoriteList set{QStringLiteral("Party"), {}};
    set.numbers[0] = 31;
    set.numbers[1] = 12;
    Seed("channel", "favorites",
         Channel(0, split,
                 {FavoriteName{QStringLiteral("Party")}.Encode(Cmd::RequestFavoriteList),
                  FavoriteName{QStringLiteral("New")}.Encode(Cmd::NewFavoriteList), set.Encode(),
                  AddFavorite{7, QStringLiteral("Solo")}.Encode(Cmd::AddFavoriteList),
                  AddFavorite{12, QStringLiteral("Made")}.Encode(Cmd::AddFavoriteCreate)}));
    QueueWire edit{0, {{12, 3, 1, 0, 0, QStringLiteral("Bo")}}};
    QueueWire replace{1, {{7, 0, 0, 0, 0, {}}, {31, 0, 0, 0, 1, QStringLiteral("Cy")}}};
    Seed("channel", "local-queue-keys",
         Channel(1, whole,
                 {edit.Encode(Cmd::RequestSet), replace.Encode(Cmd::RequestSet),
                  EncodeHeaderOnly(Cmd::RemoteControlKey, 0x3FF),
                  EncodeHeaderOnly(Cmd::RemoconNumberKey, 1234),
                  EncodeHeaderOnly(Cmd::RequestBookList)}));
    Seed("channel", "full-state",
         Channel(2, whole,
                 {RequestAdd{0, 12, 0, 0, {}}.Encode(), RequestAdd{0, 7, 0, 0, {}}.Encode(),
                  RequestAdd{0, 7, 0, 0, {}}.Encode(),
                  FavoriteName{QStringLiteral("x")}.Encode(Cmd::NewFavoriteList),
                  FavoriteName{QStringLiteral("y")}.Encode(Cmd::NewFavoriteList)}));
    // Framing edges: a header no buffer can hold, an unknown command, a wrong magic.
    QByteArray oversize = EncodeHeaderOnly(Cmd::RequestAdd);
    qToBigEndian<quint32>(quint32(PacketHeader::kMaxPacket),
                          oversize.data() + PacketHeader::kLengthOffset);
    QByteArray badMagic = EncodeHeaderOnly(Cmd::RequestBookList);
    badMagic[0] = 'X';
    Seed("channel", "framing-edges",
         Channel(0, split,
                 {EncodeHeaderOnly(Cmd::RequestServerInfo), EncodeHeaderOnly(0x999),
                  oversize + badMagic}));
    Seed("channel", "bad-magic",
         Channel(0, whole, {EncodeHeaderOnly(Cmd::RequestBookList), badMagic}));
    Seed("channel", "load-list",
         Channel(0, whole, {LoadSongList{0, 0, QStringLiteral("orvabook.txt")}.Encode()}));
}

void CatalogueSeeds(const QString &scratch)
{
    const QList<CatalogueSong> songs = {
        {12, QStringLiteral("Love Song"), QStringLiteral("Singer"), {}, QStringLiteral("eng")},
        {7, QStringLiteral("The Seven"), QStringLiteral("Sailors"), QStringLiteral("x"),
         QStringLiteral("eng")},
        {31, QStringLiteral("\u00C9toile"), QStringLiteral("Chanteuse"), {}, QStringLiteral("fre")},
        {7, QStringLiteral("a seven"), QStringLiteral("\u6B4C\u624B"), {}, QStringLiteral("jpn")}};
    const struct
    {
        const char *name;
        SongListWriter::Encoding encoding;
        char codePage;
    } texts[] = {{"utf8-mark", SongListWriter::Encoding::Utf8WithMark, 0},
                 {"utf8", SongListWriter::Encoding::Utf8, 0},
                 {"utf16le", SongListWriter::Encoding::Utf16Le, 0},
                 {"ansi-1252", SongListWriter::Encoding::Ansi, 1}};
    for (const auto &text : texts) {
        const QString path = scratch + QStringLiteral("/list.txt");
        SongListWriter::WriteTextList(
            path, text.encoding == SongListWriter::Encoding::Ansi ? songs.first(3) : songs,
            text.encoding);
        Seed("songlist", text.name, QByteArray(1, text.codePage) + ReadAll(path));
    }
    Seed("songlist", "euc-jp", QByteArray(1, 3) + "5|\xB2\xCE|\xA4\xA2\n#jpn\n6|x|y|z\n");

    // Repeated to 1 MiB by the target: 262,144 lines against a capacity of 200,000.
    Seed("songlist", "over-capacity", QByteArray(1, char(0xF0)) + "1|a\n");

    const QString dat = scratch + QStringLiteral("/moxiinfo.dat");
    SongListWriter::WriteRecordFiles(dat, songs, 0x12345678);
    const QByteArray datBytes = ReadAll(dat);
    const QByteArray idxBytes = ReadAll(SongListWriter::LanguageFilePath(dat));
    QByteArray length(4, '\0');
    qToLittleEndian<quint32>(quint32(datBytes.size()), length.data());
    Seed("database", "pair", length + datBytes + idxBytes);
    qToLittleEndian<quint32>(quint32(datBytes.size() - 100), length.data());
    Seed("database", "short-record", length + datBytes.chopped(100) + idxBytes);
}

void FileSeeds()
{
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    Seed("favorites", "utf16le", utf16(QStringLiteral("Party|12,7,31\r\nSolo|\r\nEmpty|0,5\r\n")));
    Seed("favorites", "utf8", "Party|12, 7 ,x,9|tail\n\xEF\xBF\xBDname|1\nno bar\n");
    Seed("settings", "full",
         "; queue\r\n[QueConfig]\r\nTempo=1\r\nPitch=0\r\nSync=1\r\nConfirm=0\r\nDelete=1\r\n"
         "Uname=1\r\nRemocon=2\r\nUsers=30\r\n[Other]\r\nUsers=5\r\n");
    Seed("settings", "mark-quotes", "\xEF\xBB\xBF[queconfig]\nusers = \"12\"\nREMOCON=1\n# x\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orva_fuzz_seeds FOLDER\n");
        return 2;
    }
    g_root = QFile::decodeName(argv[1]);
    QTemporaryDir scratch;
    ChannelSeeds();
    CatalogueSeeds(scratch.path());
    FileSeeds();
    return 0;
}
