#pragma once

#include <QByteArray>
#include <QStringView>

// Builds one whole packet of a fixed size: zero-filled, header written, fields
// put at their offsets. Writes outside the packet are ignored.
class PacketWriter
{
public:
    // A packet of `size` bytes whose header carries command, length and param.
    PacketWriter(qsizetype size, quint32 command, quint32 length, quint32 param = 0);

    void putU32(qsizetype offset, quint32 value);
    void putU16(qsizetype offset, quint16 value);
    void putU32le(qsizetype offset, quint32 value);
    void putU8(qsizetype offset, quint8 value);
    // UTF-16 big-endian units, at most `units`, zero-padded (no terminator when full).
    void putText(qsizetype offset, QStringView text, int units);
    void putBytes(qsizetype offset, QByteArrayView bytes);
    uchar *data(qsizetype offset);

    const QByteArray &packet() const { return m_packet; }

private:
    bool fits(qsizetype offset, qsizetype width) const;

    QByteArray m_packet;
};
