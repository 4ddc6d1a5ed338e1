#include "protocol/QueueWire.h"

#include "protocol/PacketHeader.h"
#include "protocol/PacketReader.h"
#include "protocol/PacketWriter.h"
#include "protocol/Requests.h"

#include <algorithm>

namespace Packet {

namespace {

PacketWriter QueuePacket(quint32 command, quint16 mode, int count)
{
    PacketWriter packet(PacketHeader::kSize + qsizetype(QueueWire::kEntrySize) * count, command,
                        quint32(QueueWire::kEntrySize * count));
    packet.putU16(QueueWire::kModeOffset, mode);
    packet.putU16(QueueWire::kCountOffset, quint16(count));
    return packet;
}

// Entry i: pitch, tempo, station and index travel as their low 16 bits.
void PutEntry(PacketWriter &packet, int i, quint32 number, qint32 pitch, qint32 tempo,
              quint32 station, int index, QStringView customer)
{
    const qsizetype at = PacketHeader::kSize + qsizetype(i) * QueueWire::kEntrySize;
    packet.putU32(at + QueueWire::kNumberAt, number);
    packet.putU16(at + QueueWire::kPitchAt, quint16(pitch));
    packet.putU16(at + QueueWire::kTempoAt, quint16(tempo));
    packet.putU16(at + QueueWire::kStationAt, quint16(station));
    packet.putU16(at + QueueWire::kIndexAt, quint16(index));
    packet.putText(at + QueueWire::kNameAt, customer, kNameUnits);
}

} // namespace

QByteArray QueueWire::Encode(quint32 command) const
{
    PacketWriter packet = QueuePacket(command, mode, int(items.size()));
    for (int i = 0; i < items.size(); ++i) {
        const QueueItem &item = items[i];
        PutEntry(packet, i, item.number, item.pitch, item.tempo, item.station, item.index,
                 item.customer);
    }
    return packet.packet();
}

QueueWire QueueWire::Decode(QByteArrayView bytes)
{
    const PacketReader packet(bytes);
    QueueWire wire;
    wire.mode = packet.u16(kModeOffset);
    const qsizetype present =
        std::max<qsizetype>(0, bytes.size() - PacketHeader::kSize) / kEntrySize;
    const qsizetype n = std::min<qsizetype>(packet.u16(kCountOffset), present);
    wire.items.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype at = PacketHeader::kSize + i * kEntrySize;
        wire.items.append({packet.u32(at + kNumberAt), packet.i16(at + kPitchAt),
                           packet.i16(at + kTempoAt), packet.u16(at + kStationAt),
                           packet.i16(at + kIndexAt), packet.text(at + kNameAt, kNameUnits)});
    }
    return wire;
}

} // namespace Packet
