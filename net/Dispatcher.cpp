#include "net/Dispatcher.h"

#include "app/EventLog.h"
#include "app/QueConfig.h"
#include "catalogue/SongCatalogue.h"
#include "net/CClientSocket.h"
#include "net/Frame.h"
#include "net/MelodeckServer.h"
#include "net/PacketReader.h"
#include "net/PacketWriter.h"

Dispatcher::Dispatcher(MelodeckServer &server, const SongCatalogue &catalogue,
                       const QueConfig &config)
    : m_server(server), m_catalogue(catalogue), m_config(config)
{
}

int Dispatcher::DpfHandleMsg(CClientSocket &channel)
{
    qsizetype n = channel.rxCount;
    const char *p = channel.rxBuffer.data();
    while (n >= 1) {
        const Frame frame = ParseFrame(QByteArrayView(p, n));
        switch (frame.status) {
        case Frame::Incomplete:
            return int(n);
        case Frame::BadMagic:
            WriteLog("%s : ERROR. invalid msg id %x from %s - %d.", "DpfHandleMsg", frame.magic,
                     qUtf8Printable(channel.addressText), int(channel.port));
            return 0;
        case Frame::Oversize:
            channel.closeRequested = true;
            return 0;
        case Frame::Complete:
            break;
        }
        const qsizetype total = frame.header.total();
        if (channel.blocked) {
            WriteLog("Blacking pcx %s cmd %xh, len %d.", qUtf8Printable(channel.displayAddress()),
                     frame.header.command, int(total));
        } else if (!Handle(channel, frame.header, PacketReader(QByteArrayView(p, total)))) {
            WriteLog("%s : unknown cmd %x, len %d.", "DpfHandleMsg", frame.header.command,
                     int(total));
            return 0;
        }
        if (channel.closeRequested || !channel.hasSocket())
            return 0;
        p += total;
        n -= total;
    }
    return 0;
}

bool Dispatcher::Handle(CClientSocket &channel, const PacketHeader &header,
                        const PacketReader &packet)
{
    Q_UNUSED(packet);
    switch (header.command) {
    case Cmd::RequestServerInfo:
        RequestServerInfo(channel);
        return true;
    default:
        return false;
    }
}

// Tells the terminal the catalogue's size and version and the queue options.
void Dispatcher::RequestServerInfo(CClientSocket &channel)
{
    PacketWriter reply(36, Cmd::ServerInfo, 16);
    reply.putU32(16, m_catalogue.songCount());
    reply.putU32(20, quint32(m_catalogue.timestamp() >> 32));
    reply.putU32(24, quint32(m_catalogue.timestamp()));
    reply.putU8(28, m_config.Pitch);
    reply.putU8(29, m_config.Tempo);
    reply.putU8(30, m_config.Sync);
    reply.putU8(31, m_config.Delete);
    reply.putU8(32, m_config.Uname);
    reply.putU8(33, quint8(m_config.Remocon));
    channel.Send(reply.packet());
}
