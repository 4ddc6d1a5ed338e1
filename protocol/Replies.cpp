#include "protocol/Replies.h"

#include "base/QueConfig.h"
#include "protocol/PacketReader.h"
#include "protocol/PacketWriter.h"

#include <algorithm>

namespace Packet {

namespace {

PacketWriter Reply(int size, quint32 command, quint32 length, quint32 param = 0)
{
    return PacketWriter(size, command, length, param);
}

quint32 Command(const PacketReader &packet)
{
    return packet.u32(PacketHeader::kCommandOffset);
}

} // namespace

qsizetype WireSize(QByteArrayView head)
{
    const PacketReader packet(head);
    if (head.size() < PacketHeader::kSize)
        return PacketHeader::kSize;
    const quint32 length = packet.u32(PacketHeader::kLengthOffset);
    switch (Command(packet)) {
    case Cmd::ServerInfo:
        return ServerInfo::kSize;
    case Cmd::PageData:
        return PageData::kSize;
    case Cmd::MultiDownloadData:
        if (length == 4 &&
            packet.u32(MultiDownloadData::kStartOffset) == MultiDownloadData::kEndMark)
            return MultiDownloadData::kEndMarkSize;
        break;
    }
    return qsizetype(length) + PacketHeader::kSize;
}

ServerInfo ServerInfo::From(quint32 songCount, quint64 timestamp, const QueConfig &config)
{
    return {songCount,   timestamp,     config.Pitch, config.Tempo,
            config.Sync, config.Delete, config.Uname, quint8(config.Remocon)};
}

QByteArray ServerInfo::Encode() const
{
    PacketWriter packet = Reply(kSize, Cmd::ServerInfo, kLength);
    packet.putU32(kSongCountOffset, songCount);
    packet.putU32(kTimestampOffset, quint32(timestamp >> 32));
    packet.putU32(kTimestampOffset + 4, quint32(timestamp));
    packet.putU8(kPitchOffset, pitch);
    packet.putU8(kTempoOffset, tempo);
    packet.putU8(kSyncOffset, sync);
    packet.putU8(kDeleteOffset, deleteByStation);
    packet.putU8(kUnameOffset, customerName);
    packet.putU8(kRemoconOffset, remocon);
    return packet.packet();
}

ServerInfo ServerInfo::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    const quint64 timestamp =
        (quint64(packet.u32(kTimestampOffset)) << 32) | packet.u32(kTimestampOffset + 4);
    const auto flag = [&](int offset) { return packet.bytes(offset, 1)[0] != 0; };
    return {packet.u32(kSongCountOffset),
            timestamp,
            flag(kPitchOffset),
            flag(kTempoOffset),
            flag(kSyncOffset),
            flag(kDeleteOffset),
            flag(kUnameOffset),
            quint8(packet.bytes(kRemoconOffset, 1)[0])};
}

QByteArray NumberResult::Encode(quint32 command) const
{
    PacketWriter packet = Reply(kSize, command, kLength);
    packet.putU32(kNumberOffset, number);
    return packet.packet();
}

NumberResult NumberResult::Decode(QByteArrayView bytes)
{
    return {PacketReader(bytes).u32(kNumberOffset)};
}

QByteArray LoadResult::Encode() const
{
    PacketWriter packet = Reply(kSize, Cmd::LoadResult, kLength);
    packet.putU32(kTimestampOffset, timestamp);
    packet.putU32(kSongCountOffset, songCount);
    return packet.packet();
}

LoadResult LoadResult::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    return {packet.u32(kTimestampOffset), packet.u32(kSongCountOffset)};
}

QByteArray FavoriteListData::Encode() const
{
    PacketWriter packet = Reply(kSize, Cmd::FavoriteListData, kLength);
    packet.putU8(kNotFoundOffset, found ? 0 : 1);
    for (int i = 0; i < kSongs; ++i)
        packet.putU32(kNumbersOffset + 4 * i, numbers[size_t(i)]);
    return packet.packet();
}

FavoriteListData FavoriteListData::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    FavoriteListData reply;
    reply.found = packet.bytes(kNotFoundOffset, 1)[0] == 0;
    for (int i = 0; i < kSongs; ++i)
        reply.numbers[size_t(i)] = packet.u32(kNumbersOffset + 4 * i);
    return reply;
}

QByteArray FavoriteResult::Encode(quint32 command) const
{
    return Reply(kSize, command, 0, ok ? 0 : 1).packet();
}

FavoriteResult FavoriteResult::Decode(QByteArrayView bytes)
{
    return {PacketReader(bytes).u32(PacketHeader::kParamOffset) == 0};
}

QByteArray BookList::Encode() const
{
    PacketWriter packet = Reply(kSize, Cmd::BookList, kLength);
    packet.putU32(kNumberKeyOffset, numberKey);
    const qsizetype n = std::min<qsizetype>(numbers.size(), kRoom);
    for (qsizetype i = 0; i < n; ++i)
        packet.putU32(kNumbersOffset + 4 * i, numbers[i]);
    return packet.packet();
}

BookList BookList::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    BookList reply;
    reply.numberKey = packet.u32(kNumberKeyOffset);
    for (int i = 0; i < kRoom; ++i) {
        const quint32 number = packet.u32(kNumbersOffset + 4 * i);
        if (number == 0)
            break;
        reply.numbers.append(number);
    }
    return reply;
}

QByteArray PageData::Encode(std::span<const SongRecord> songs, qint32 page, qint32 pageCount)
{
    PacketWriter packet = Reply(kSize, Cmd::PageData, kLength);
    uchar *slots = packet.data(kRecordsOffset);
    const size_t count = std::min<size_t>(songs.size(), kSlots);
    for (size_t i = 0; i < count; ++i)
        songs[i].Encode(slots + i * SongRecord::kSize);
    packet.putU32le(kCurrentPageOffset, quint32(page));
    packet.putU32le(kPageCountOffset, quint32(pageCount));
    return packet.packet();
}

PageData PageData::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    PageData page;
    page.currentPage = packet.i32le(kCurrentPageOffset);
    page.pageCount = packet.i32le(kPageCountOffset);
    const QByteArray records = packet.bytes(kRecordsOffset, qsizetype(kSlots) * SongRecord::kSize);
    const auto *data = reinterpret_cast<const uchar *>(records.constData());
    // Slots past the page's songs are all zero.
    int used = kSlots;
    while (used > 0 && std::all_of(data + (used - 1) * SongRecord::kSize,
                                   data + used * SongRecord::kSize, [](uchar b) { return b == 0; }))
        --used;
    for (int i = 0; i < used; ++i)
        page.songs.append(SongRecord::Decode(data + i * SongRecord::kSize, SongRecord::kSize));
    return page;
}

QByteArray MultiDownloadData::Encode(qint32 start, const QList<Item> &items)
{
    const int count = int(std::min<qsizetype>(items.size(), kMaxItems));
    PacketWriter packet(kItemsOffset + count * (kItemHeader + 2 * (10 + 48 + 24 + 24)),
                        Cmd::MultiDownloadData, 0, quint32(count));
    packet.putU32(kStartOffset, quint32(start));
    qsizetype at = kItemsOffset;
    for (int j = 0; j < count; ++j) {
        const Item &item = items[j];
        const QString *texts[4] = {&item.number, &item.title, &item.extra, &item.artist};
        for (int t = 0; t < 4; ++t)
            packet.putU8(at + t, quint8(std::min<qsizetype>(texts[t]->size(), kMaxUnits[t])));
        packet.putText(at + 4, item.language, 3);
        at += kItemHeader;
        for (int t = 0; t < 4; ++t) {
            const int units = int(std::min<qsizetype>(texts[t]->size(), kMaxUnits[t]));
            packet.putText(at, *texts[t], units);
            at += 2 * units;
        }
    }
    packet.putU32(PacketHeader::kLengthOffset, quint32(at - PacketHeader::kSize));
    return packet.packet().left(at);
}

QByteArray MultiDownloadData::EncodeEndMark()
{
    PacketWriter packet = Reply(kEndMarkSize, Cmd::MultiDownloadData, 4);
    packet.putU32(kStartOffset, kEndMark);
    return packet.packet();
}

MultiDownloadData MultiDownloadData::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    MultiDownloadData reply;
    reply.start = packet.i32(kStartOffset);
    reply.endMark =
        packet.u32(PacketHeader::kLengthOffset) == 4 && quint32(reply.start) == kEndMark;
    const quint32 count = std::min<quint32>(packet.u32(kCountOffset), kMaxItems);
    qsizetype at = kItemsOffset;
    for (quint32 j = 0; j < count && at + kItemHeader <= bytes.size(); ++j) {
        const QByteArray lengths = packet.bytes(at, 4);
        Item item;
        item.language = packet.text(at + 4, 3);
        at += kItemHeader;
        QString *texts[4] = {&item.number, &item.title, &item.extra, &item.artist};
        for (int t = 0; t < 4; ++t) {
            const int units = uchar(lengths[t]);
            *texts[t] = packet.text(at, units);
            at += 2 * units;
        }
        reply.items.append(item);
    }
    return reply;
}

QByteArray StationMessage::Encode() const
{
    PacketWriter packet = Reply(kSize, Cmd::StationMessage, kLength);
    packet.putText(kTextOffset, text, kTextUnits);
    return packet.packet();
}

StationMessage StationMessage::Decode(QByteArrayView bytes)
{
    return {PacketReader(bytes).text(kTextOffset, kTextUnits)};
}

} // namespace Packet
