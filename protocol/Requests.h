#pragma once

#include "protocol/PacketHeader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>

// The requests a terminal sends, one struct per packet: its fields, the
// offsets they lie at, and both directions (a terminal encodes, the server
// decodes). Decoding reads a short packet as laid out, missing bytes as zero.
namespace Packet {

// Name fields on the wire: 20 UTF-16 units, big-endian, zero-padded.
constexpr int kNameUnits = 20;

// A request that is its header alone: RequestServerInfo, RequestBookList,
// RemoteControlKey (param: the key) and RemoconNumberKey (param: the number).
QByteArray EncodeHeaderOnly(quint32 command, quint32 param = 0);

// The terminal's song-book order, page size and current page (little-endian).
struct SetBookView
{
    static constexpr int kPayload = 76;
    static constexpr int kSortModeOffset = 16;
    static constexpr int kPageSizeOffset = 20;
    static constexpr int kCurrentPageOffset = 24;
    static constexpr int kSearchOffset = 28;
    static constexpr int kSearchBytes = 64;

    qint32 sortMode = 0;
    qint32 pageSize = 0;
    qint32 currentPage = 0;
    QByteArray searchText; // 8-bit characters, at most 64

    QByteArray Encode() const;
    static SetBookView Decode(QByteArrayView packet);
};

// Eight songs of the catalogue in load order from `start`.
struct MultiDownload
{
    static constexpr int kPayload = 8;
    static constexpr int kStartOffset = 16;
    static constexpr int kTotalOffset = 20;

    qint32 start = 0;
    qint32 total = 0; // the number of songs the terminal means to fetch in all

    QByteArray Encode() const;
    static MultiDownload Decode(QByteArrayView packet);
};

// A reservation: song, key, tempo and customer name; param 1 queues it first.
struct RequestAdd
{
    static constexpr int kPayload = 52;
    static constexpr int kNumberOffset = 16;
    static constexpr int kPitchOffset = 20;
    static constexpr int kTempoOffset = 24;
    static constexpr int kNameOffset = 28;
    static constexpr quint32 kAtHead = 1;

    quint32 position = 0; // param: kAtHead, anything else appends
    quint32 number = 0;
    qint32 pitch = 0;
    qint32 tempo = 0;
    QString customer;

    QByteArray Encode() const;
    static RequestAdd Decode(QByteArrayView packet);
};

// Deletes a reservation by number (index or count -1) or by position.
struct RequestDel
{
    static constexpr int kPayload = 12;
    static constexpr int kNumberOffset = 16;
    static constexpr int kIndexOffset = 20;
    static constexpr int kCountOffset = 24;

    quint32 number = 0;
    qint32 index = -1;
    qint32 count = -1; // the queue length the terminal saw

    QByteArray Encode() const;
    static RequestDel Decode(QByteArrayView packet);
};

// Asks the server to load another catalogue file.
struct LoadSongList
{
    static constexpr int kNameOffset = 28;
    static constexpr int kLengthBeforeName = 12;
    // The longest file name the server takes.
    static constexpr int kMaxNameUnits = 79;

    quint32 param = 0; // only logged
    quint32 length = 0;
    QString fileName; // (length - 12) / 2 units, as many as arrived

    QByteArray Encode() const;
    static LoadSongList Decode(QByteArrayView packet);
};

// RequestFavoriteList and NewFavoriteList: a list name.
struct FavoriteName
{
    static constexpr int kPayload = 40;
    static constexpr int kNameOffset = 16;

    QString name;

    QByteArray Encode(quint32 command) const;
    static FavoriteName Decode(QByteArrayView packet);
};

// Replaces the 128 song numbers of a list.
struct SetFavoriteList
{
    static constexpr int kPayload = 552;
    static constexpr int kNameOffset = 16;
    static constexpr int kNumbersOffset = 56;
    static constexpr int kSongs = 128;

    QString name;
    std::array<quint32, kSongs> numbers{};

    QByteArray Encode() const;
    static SetFavoriteList Decode(QByteArrayView packet);
};

// AddFavoriteList and AddFavoriteCreate: a song number and a list name.
struct AddFavorite
{
    static constexpr int kPayload = 44;
    static constexpr int kNumberOffset = 16;
    static constexpr int kNameOffset = 20;

    quint32 number = 0;
    QString name;

    QByteArray Encode(quint32 command) const;
    static AddFavorite Decode(QByteArrayView packet);
};

// The next, previous or same song-book page, in a sort order (little-endian).
struct RequestPage
{
    static constexpr int kPayload = 8;
    static constexpr int kDirectionOffset = 16;
    static constexpr int kSortModeOffset = 20;
    static constexpr qint32 kNext = 1;
    static constexpr qint32 kPrevious = 2;

    qint32 direction = 0;
    qint32 sortMode = 0;

    QByteArray Encode() const;
    static RequestPage Decode(QByteArrayView packet);
};

} // namespace Packet
