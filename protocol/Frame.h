#pragma once

#include "protocol/PacketHeader.h"

#include <QByteArrayView>

// What the bytes at the start of a receive buffer hold.
struct Frame
{
    enum Status
    {
        Incomplete, // fewer than 16 bytes, or the packet's tail has not arrived
        Complete,   // a whole packet of `header.total()` bytes
        BadMagic,   // the first four bytes are not "ORVA"
        Oversize,   // the header declares a packet that can never fit the buffer
    };
    Status status = Incomplete;
    PacketHeader header;
    quint32 magic = 0; // the first four bytes read little-endian, for the log
};

// Examines the held bytes: a pure function over bytes, so framing can be
// tested and fuzzed without a socket.
Frame ParseFrame(QByteArrayView held);
