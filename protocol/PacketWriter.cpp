#include "protocol/PacketWriter.h"

#include "protocol/PacketHeader.h"

#include <QtEndian>
#include <cstring>

PacketWriter::PacketWriter(qsizetype size, quint32 command, quint32 length, quint32 param)
    : m_packet(qMax<qsizetype>(size, PacketHeader::kSize), '\0')
{
    std::memcpy(m_packet.data(), PacketHeader::kMagic, 4);
    putU32(4, command);
    putU32(8, length);
    putU32(12, param);
}

bool PacketWriter::fits(qsizetype offset, qsizetype width) const
{
    return offset >= 0 && width >= 0 && offset + width <= m_packet.size();
}

void PacketWriter::putU32(qsizetype offset, quint32 value)
{
    if (fits(offset, 4))
        qToBigEndian<quint32>(value, m_packet.data() + offset);
}

void PacketWriter::putU16(qsizetype offset, quint16 value)
{
    if (fits(offset, 2))
        qToBigEndian<quint16>(value, m_packet.data() + offset);
}

void PacketWriter::putU32le(qsizetype offset, quint32 value)
{
    if (fits(offset, 4))
        qToLittleEndian<quint32>(value, m_packet.data() + offset);
}

void PacketWriter::putU8(qsizetype offset, quint8 value)
{
    if (fits(offset, 1))
        m_packet[offset] = char(value);
}

void PacketWriter::putText(qsizetype offset, QStringView text, int units)
{
    const int count = int(qMin<qsizetype>(text.size(), units));
    for (int i = 0; i < count; ++i)
        putU16(offset + 2 * i, text[i].unicode());
}

void PacketWriter::putBytes(qsizetype offset, QByteArrayView bytes)
{
    if (!bytes.isEmpty() && fits(offset, bytes.size()))
        std::memcpy(m_packet.data() + offset, bytes.data(), size_t(bytes.size()));
}

uchar *PacketWriter::data(qsizetype offset)
{
    return reinterpret_cast<uchar *>(m_packet.data()) + offset;
}
