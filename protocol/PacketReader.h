#pragma once

#include <QByteArrayView>
#include <QString>

// Reads fields of one received packet at fixed offsets. A field that lies
// (partly) past the packet's end reads as zero and sets a sticky flag, so a
// short packet is read as laid out with its missing bytes taken as zero.
class PacketReader
{
public:
    explicit PacketReader(QByteArrayView packet) : m_packet(packet) {}

    quint32 u32(qsizetype offset) const;
    qint32 i32(qsizetype offset) const { return qint32(u32(offset)); }
    quint16 u16(qsizetype offset) const;
    qint16 i16(qsizetype offset) const { return qint16(u16(offset)); }
    quint32 u32le(qsizetype offset) const;
    qint32 i32le(qsizetype offset) const { return qint32(u32le(offset)); }
    // `units` UTF-16 big-endian units, up to the first zero unit.
    QString text(qsizetype offset, int units) const;
    // `count` raw bytes; missing ones are zero.
    QByteArray bytes(qsizetype offset, qsizetype count) const;

    qsizetype size() const { return m_packet.size(); }
    bool shortRead() const { return m_short; }

private:
    bool has(qsizetype offset, qsizetype width) const;
    uchar byteAt(qsizetype offset) const;

    QByteArrayView m_packet;
    mutable bool m_short = false;
};
