#pragma once

#include "client/MelodeckClient.h"
#include "protocol/PacketHeader.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>

// Payload pieces and requests as a terminal writes them, for tests.

inline QByteArray U32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

// A name field: UTF-16 big-endian, zero-padded to 20 units.
inline QByteArray Name(const QString &name)
{
    QByteArray bytes(40, '\0');
    for (int i = 0; i < name.size() && i < 20; ++i)
        qToBigEndian<quint16>(name[i].unicode(), bytes.data() + 2 * i);
    return bytes;
}

inline QByteArray Add(quint32 number, qint32 pitch = 0, qint32 tempo = 0, const QString &name = {},
                      quint32 param = 0)
{
    return MelodeckClient::Request(Cmd::RequestAdd, param,
                                   U32(number) + U32(quint32(pitch)) + U32(quint32(tempo)) +
                                       Name(name));
}

inline QByteArray Del(quint32 number, qint32 index, qint32 count)
{
    return MelodeckClient::Request(Cmd::RequestDel, 0,
                                   U32(number) + U32(quint32(index)) + U32(quint32(count)));
}

// The big-endian 32-bit field at `offset` of a packet, or 0 past its end.
inline quint32 At(const QByteArray &packet, int offset)
{
    return packet.size() >= offset + 4 ? qFromBigEndian<quint32>(packet.constData() + offset) : 0;
}
