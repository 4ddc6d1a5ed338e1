#pragma once

#include "catalogue/SongRecord.h"
#include "protocol/PacketHeader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <array>
#include <span>

struct QueConfig;

// The replies and pushes the server sends, one struct per packet: its size,
// the offsets of its fields, and both directions (the server encodes, a
// terminal decodes). Bytes a layout does not name are zero.
namespace Packet {

// How many bytes a reply really takes on the wire, from its first 20 bytes:
// ServerInfo and PageData are longer than their length field says.
qsizetype WireSize(QByteArrayView head);

// The catalogue's size and version and the queue options. 36 bytes are sent
// although the length field says 16.
struct ServerInfo
{
    static constexpr int kSize = 36;
    static constexpr quint32 kLength = 16;
    static constexpr int kSongCountOffset = 16;
    static constexpr int kTimestampOffset = 20; // 64 bits
    static constexpr int kPitchOffset = 28;
    static constexpr int kTempoOffset = 29;
    static constexpr int kSyncOffset = 30;
    static constexpr int kDeleteOffset = 31;
    static constexpr int kUnameOffset = 32;
    static constexpr int kRemoconOffset = 33; // low byte

    quint32 songCount = 0;
    quint64 timestamp = 0;
    bool pitch = false;
    bool tempo = false;
    bool sync = false;
    bool deleteByStation = false;
    bool customerName = false;
    quint8 remocon = 0;

    // The options as the settings hold them (Confirm is not sent).
    static ServerInfo From(quint32 songCount, quint64 timestamp, const QueConfig &config);
    QByteArray Encode() const;
    static ServerInfo Decode(QByteArrayView packet);
};

// AddResult and DelResult: a song number in a 68-byte packet.
struct NumberResult
{
    static constexpr int kSize = 68;
    static constexpr quint32 kLength = 52;
    static constexpr int kNumberOffset = 16;

    quint32 number = 0;

    QByteArray Encode(quint32 command) const;
    static NumberResult Decode(QByteArrayView packet);
};

// The catalogue after a load: the low 32 bits of its timestamp and its size.
struct LoadResult
{
    static constexpr int kSize = 68;
    static constexpr quint32 kLength = 52;
    static constexpr int kTimestampOffset = 20;
    static constexpr int kSongCountOffset = 24;

    quint32 timestamp = 0;
    quint32 songCount = 0;

    QByteArray Encode() const;
    static LoadResult Decode(QByteArrayView packet);
};

// A favourite list's 128 song numbers; byte 15 is 1 when no list has the name.
struct FavoriteListData
{
    static constexpr int kSize = 528;
    static constexpr quint32 kLength = 512;
    static constexpr int kNotFoundOffset = 15;
    static constexpr int kNumbersOffset = 16;
    static constexpr int kSongs = 128;

    bool found = false;
    std::array<quint32, kSongs> numbers{};

    QByteArray Encode() const;
    static FavoriteListData Decode(QByteArrayView packet);
};

// The outcome of a favourite-list change: param 0 on success, 1 on failure.
struct FavoriteResult
{
    static constexpr int kSize = 16;

    bool ok = false;

    QByteArray Encode(quint32 command) const;
    static FavoriteResult Decode(QByteArrayView packet);
};

// The last remote number key and the song numbers of the queue's head.
struct BookList
{
    static constexpr int kSize = 144;
    static constexpr quint32 kLength = 128;
    static constexpr int kNumberKeyOffset = 16;
    static constexpr int kNumbersOffset = 20;
    static constexpr int kRoom = 31; // song numbers that fit

    quint32 numberKey = 0;
    QList<quint32> numbers; // at most kRoom are sent

    QByteArray Encode() const;
    static BookList Decode(QByteArrayView packet);
};

// One song-book page: whole song records as held in memory (little-endian),
// and the page and page count, also little-endian. 3944 bytes are sent
// although the length field says 3920.
struct PageData
{
    static constexpr int kSize = 3944;
    static constexpr quint32 kLength = 3920;
    static constexpr int kCurrentPageOffset = 16;
    static constexpr int kPageCountOffset = 20;
    static constexpr int kRecordsOffset = 24;
    static constexpr int kSlots = 20;

    qint32 currentPage = 0;
    qint32 pageCount = 0;
    QList<SongRecord> songs; // decoded: the slots up to the first empty one

    // The page's songs fill the first slots (at most 20), the rest stay zero.
    static QByteArray Encode(std::span<const SongRecord> songs, qint32 page, qint32 pageCount);
    static PageData Decode(QByteArrayView packet);
};

// Up to eight songs of the catalogue in load order as compact text items, or
// the 24-byte end mark past the requested total.
struct MultiDownloadData
{
    static constexpr int kCountOffset = 12; // param: the number of items
    static constexpr int kStartOffset = 16;
    static constexpr int kItemsOffset = 20;
    static constexpr int kItemHeader = 10; // four lengths and the language code
    static constexpr int kMaxItems = 8;
    // The most units each text of an item carries: number, title, extra, artist.
    static constexpr int kMaxUnits[4] = {10, 48, 24, 24};
    static constexpr int kEndMarkSize = 24;
    static constexpr quint32 kEndMark = 0xFFFFFFFF;

    struct Item
    {
        QString number; // the song number in decimal
        QString title;
        QString extra;
        QString artist;
        QString language; // three units, zeros dropped
    };

    bool endMark = false;
    qint32 start = 0;
    QList<Item> items;

    // Up to eight songs that start at load position `start`.
    static QByteArray Encode(qint32 start, const QList<Item> &items);
    static QByteArray EncodeEndMark();
    static MultiDownloadData Decode(QByteArrayView packet);
};

// A text from the operator to a station: at most 40 units.
struct StationMessage
{
    static constexpr int kSize = 96;
    static constexpr quint32 kLength = 80;
    static constexpr int kTextOffset = 16;
    static constexpr int kTextUnits = 40;

    QString text;

    QByteArray Encode() const;
    static StationMessage Decode(QByteArrayView packet);
};

} // namespace Packet
