#include "protocol/PacketReader.h"

#include <QtEndian>

bool PacketReader::has(qsizetype offset, qsizetype width) const
{
    const bool ok =
        offset >= 0 && width >= 0 && offset <= m_packet.size() && width <= m_packet.size() - offset;
    if (!ok)
        m_short = true;
    return ok;
}

uchar PacketReader::byteAt(qsizetype offset) const
{
    return offset >= 0 && offset < m_packet.size() ? uchar(m_packet[offset]) : 0;
}

quint32 PacketReader::u32(qsizetype offset) const
{
    if (has(offset, 4))
        return qFromBigEndian<quint32>(m_packet.data() + offset);
    return (quint32(byteAt(offset)) << 24) | (quint32(byteAt(offset + 1)) << 16) |
           (quint32(byteAt(offset + 2)) << 8) | quint32(byteAt(offset + 3));
}

quint16 PacketReader::u16(qsizetype offset) const
{
    has(offset, 2);
    return quint16((byteAt(offset) << 8) | byteAt(offset + 1));
}

quint32 PacketReader::u32le(qsizetype offset) const
{
    has(offset, 4);
    return quint32(byteAt(offset)) | (quint32(byteAt(offset + 1)) << 8) |
           (quint32(byteAt(offset + 2)) << 16) | (quint32(byteAt(offset + 3)) << 24);
}

QString PacketReader::text(qsizetype offset, int units) const
{
    has(offset, qsizetype(units) * 2);
    QString result;
    result.reserve(units);
    for (int i = 0; i < units; ++i) {
        const char16_t unit = char16_t((byteAt(offset + 2 * i) << 8) | byteAt(offset + 2 * i + 1));
        if (unit == 0)
            break;
        result.append(QChar(unit));
    }
    return result;
}

QByteArray PacketReader::bytes(qsizetype offset, qsizetype count) const
{
    has(offset, count);
    QByteArray result(count, '\0');
    for (qsizetype i = 0; i < count; ++i)
        result[i] = char(byteAt(offset + i));
    return result;
}
