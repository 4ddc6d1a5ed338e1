#include "protocol/Frame.h"

#include <QtEndian>
#include <cstring>

Frame ParseFrame(QByteArrayView held)
{
    Frame frame;
    if (held.size() < PacketHeader::kSize)
        return frame;
    const char *p = held.data();
    frame.magic = qFromLittleEndian<quint32>(p);
    if (std::memcmp(p, PacketHeader::kMagic, 4) != 0) {
        frame.status = Frame::BadMagic;
        return frame;
    }
    frame.header.command = qFromBigEndian<quint32>(p + 4);
    frame.header.length = qFromBigEndian<quint32>(p + 8);
    frame.header.param = qFromBigEndian<quint32>(p + 12);
    // total() is computed in 64 bits, so a length near 2^32 cannot wrap around.
    if (frame.header.total() > PacketHeader::kMaxPacket)
        frame.status = Frame::Oversize;
    else if (frame.header.total() <= held.size())
        frame.status = Frame::Complete;
    return frame;
}
