#include "protocol/Requests.h"

#include "protocol/PacketReader.h"
#include "protocol/PacketWriter.h"

#include <algorithm>

namespace Packet {

namespace {
// A request of `payload` bytes after the header.
PacketWriter Request(quint32 command, int payload, quint32 param = 0)
{
    return PacketWriter(PacketHeader::kSize + payload, command, quint32(payload), param);
}
} // namespace

QByteArray EncodeHeaderOnly(quint32 command, quint32 param)
{
    return Request(command, 0, param).packet();
}

QByteArray SetBookView::Encode() const
{
    PacketWriter packet = Request(Cmd::SetBookView, kPayload);
    packet.putU32le(kSortModeOffset, quint32(sortMode));
    packet.putU32le(kPageSizeOffset, quint32(pageSize));
    packet.putU32le(kCurrentPageOffset, quint32(currentPage));
    packet.putBytes(kSearchOffset, searchText.left(kSearchBytes));
    return packet.packet();
}

SetBookView SetBookView::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    return {packet.i32le(kSortModeOffset), packet.i32le(kPageSizeOffset),
            packet.i32le(kCurrentPageOffset), packet.bytes(kSearchOffset, kSearchBytes)};
}

QByteArray MultiDownload::Encode() const
{
    PacketWriter packet = Request(Cmd::MultiDownload, kPayload);
    packet.putU32(kStartOffset, quint32(start));
    packet.putU32(kTotalOffset, quint32(total));
    return packet.packet();
}

MultiDownload MultiDownload::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    return {packet.i32(kStartOffset), packet.i32(kTotalOffset)};
}

QByteArray RequestAdd::Encode() const
{
    PacketWriter packet = Request(Cmd::RequestAdd, kPayload, position);
    packet.putU32(kNumberOffset, number);
    packet.putU32(kPitchOffset, quint32(pitch));
    packet.putU32(kTempoOffset, quint32(tempo));
    packet.putText(kNameOffset, customer, kNameUnits);
    return packet.packet();
}

RequestAdd RequestAdd::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    return {packet.u32(PacketHeader::kParamOffset), packet.u32(kNumberOffset),
            packet.i32(kPitchOffset), packet.i32(kTempoOffset),
            packet.text(kNameOffset, kNameUnits)};
}

QByteArray RequestDel::Encode() const
{
    PacketWriter packet = Request(Cmd::RequestDel, kPayload);
    packet.putU32(kNumberOffset, number);
    packet.putU32(kIndexOffset, quint32(index));
    packet.putU32(kCountOffset, quint32(count));
    return packet.packet();
}

RequestDel RequestDel::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    return {packet.u32(kNumberOffset), packet.i32(kIndexOffset), packet.i32(kCountOffset)};
}

QByteArray LoadSongList::Encode() const
{
    const int payload = kLengthBeforeName + 2 * int(fileName.size());
    PacketWriter packet = Request(Cmd::LoadSongList, payload, param);
    packet.putText(kNameOffset, fileName, int(fileName.size()));
    return packet.packet();
}

LoadSongList LoadSongList::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    LoadSongList request;
    request.param = packet.u32(PacketHeader::kParamOffset);
    request.length = packet.u32(PacketHeader::kLengthOffset);
    // The name fills the whole units the length declares behind the first 12
    // bytes, as far as the packet holds them, up to a zero unit.
    const qint64 declared = (qint64(request.length) - kLengthBeforeName) / 2;
    const qint64 present = std::max<qint64>(0, bytes.size() - kNameOffset) / 2;
    request.fileName = packet.text(kNameOffset, int(std::clamp<qint64>(declared, 0, present)));
    return request;
}

QByteArray FavoriteName::Encode(quint32 command) const
{
    PacketWriter packet = Request(command, kPayload);
    packet.putText(kNameOffset, name, kNameUnits);
    return packet.packet();
}

FavoriteName FavoriteName::Decode(QByteArrayView bytes)
{
    return {PacketReader(bytes).text(kNameOffset, kNameUnits)};
}

QByteArray SetFavoriteList::Encode() const
{
    PacketWriter packet = Request(Cmd::SetFavoriteList, kPayload);
    packet.putText(kNameOffset, name, kNameUnits);
    for (int i = 0; i < kSongs; ++i)
        packet.putU32(kNumbersOffset + 4 * i, numbers[size_t(i)]);
    return packet.packet();
}

SetFavoriteList SetFavoriteList::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    SetFavoriteList request;
    request.name = packet.text(kNameOffset, kNameUnits);
    for (int i = 0; i < kSongs; ++i)
        request.numbers[size_t(i)] = packet.u32(kNumbersOffset + 4 * i);
    return request;
}

QByteArray AddFavorite::Encode(quint32 command) const
{
    PacketWriter packet = Request(command, kPayload);
    packet.putU32(kNumberOffset, number);
    packet.putText(kNameOffset, name, kNameUnits);
    return packet.packet();
}

AddFavorite AddFavorite::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    return {packet.u32(kNumberOffset), packet.text(kNameOffset, kNameUnits)};
}

QByteArray RequestPage::Encode() const
{
    PacketWriter packet = Request(Cmd::RequestPage, kPayload);
    packet.putU32le(kDirectionOffset, quint32(direction));
    packet.putU32le(kSortModeOffset, quint32(sortMode));
    return packet.packet();
}

RequestPage RequestPage::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    return {packet.i32le(kDirectionOffset), packet.i32le(kSortModeOffset)};
}

} // namespace Packet
