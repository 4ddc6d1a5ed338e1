#pragma once

#include <QByteArray>
#include <QtEndian>

// The big-endian 32-bit field at `offset` of a packet, or 0 past its end.
inline quint32 At(const QByteArray &packet, int offset)
{
    return packet.size() >= offset + 4 ? qFromBigEndian<quint32>(packet.constData() + offset) : 0;
}
