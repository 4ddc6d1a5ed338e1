#include "net/Dispatcher.h"

#include "app/EventLog.h"
#include "app/QueConfig.h"
#include "catalogue/SongCatalogue.h"
#include "net/CClientSocket.h"
#include "net/Frame.h"
#include "net/LocalClientRelay.h"
#include "net/MelodeckServer.h"
#include "net/PacketReader.h"
#include "net/PacketWriter.h"
#include "queue/FavoriteStore.h"
#include "queue/ReservationQueue.h"

namespace {
constexpr int kNameUnits = 20; // names on the wire: 20 UTF-16 units
constexpr int kBookListRoom = 31;

// A FavoriteResult reply: 0 in param on success, 1 on failure.
QByteArray FavoriteResult(quint32 command, bool ok)
{
    return PacketWriter(PacketHeader::kSize, command, 0, ok ? 0 : 1).packet();
}
} // namespace

Dispatcher::Dispatcher(MelodeckServer &server, const SongCatalogue &catalogue,
                       const QueConfig &config, ReservationQueue &queue, FavoriteStore &favorites,
                       const LocalClientRelay &relay)
    : m_server(server), m_catalogue(catalogue), m_config(config), m_queue(queue),
      m_favorites(favorites), m_relay(relay)
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
    switch (header.command) {
    case Cmd::RequestServerInfo:
        RequestServerInfo(channel);
        return true;
    case Cmd::RequestAdd:
        RequestAdd(channel, header, packet);
        return true;
    case Cmd::RequestDel:
        RequestDel(channel, packet);
        return true;
    case Cmd::RequestSet:
        RequestSet(channel, header, packet);
        return true;
    case Cmd::RequestBookList:
        RequestBookList(channel);
        return true;
    case Cmd::RequestFavoriteList:
        RequestFavoriteList(channel, packet);
        return true;
    case Cmd::NewFavoriteList:
        NewFavoriteList(channel, packet);
        return true;
    case Cmd::SetFavoriteList:
        SetFavoriteList(channel, packet);
        return true;
    case Cmd::AddFavoriteList:
        AddFavoriteList(channel, packet);
        return true;
    case Cmd::AddFavoriteCreate:
        AddFavoriteCreate(packet);
        return true;
    case Cmd::RemoteControlKey:
        RemoteControlKey(header);
        return true;
    case Cmd::RemoconNumberKey:
        RemoconNumberKey(header);
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

// Reserves a song for the terminal's station, answers with the number queued
// (0 when nothing was) and shows the local client the queue either way.
void Dispatcher::RequestAdd(CClientSocket &channel, const PacketHeader &header,
                            const PacketReader &packet)
{
    const quint32 number = packet.u32(16);
    const qint32 pitch = packet.i32(20);
    const qint32 tempo = packet.i32(24);
    const QString name = packet.text(28, kNameUnits);
    WriteLog("Requested add number %d, pitch %d, tempo %d, name %s.", int(number), pitch, tempo,
             qUtf8Printable(name));
    const bool added = m_queue.count() < ReservationQueue::kCapacity &&
                       m_queue.AddReservation(quint32(channel.station), int(header.param), number,
                                              pitch, tempo, name);
    PacketWriter reply(68, Cmd::AddResult, 52);
    reply.putU32(16, added ? number : 0);
    channel.Send(reply.packet());
    m_relay.PushQueueToLocal();
}

// Deletes one reservation (by number, or by index when the terminal's view of
// the queue is current); the answer echoes the number whatever happened.
void Dispatcher::RequestDel(CClientSocket &channel, const PacketReader &packet)
{
    const quint32 number = packet.u32(16);
    const qint32 index = packet.i32(20);
    const qint32 count = packet.i32(24);
    WriteLog("Requested del pcx %d number %d, index %d, count %d.", channel.station, int(number),
             index, count);
    m_queue.DeleteReservation(number, index, count);
    PacketWriter reply(68, Cmd::DelResult, 52);
    reply.putU32(16, number);
    channel.Send(reply.packet());
    m_relay.PushQueueToLocal();
}

// Takes back an edited or replacing queue, in practice from the local client.
void Dispatcher::RequestSet(CClientSocket &channel, const PacketHeader &header,
                            const PacketReader &packet)
{
    WriteLog("Requested set result %d.", qint32(header.param));
    m_queue.ApplyQueueSet(quint32(channel.station), packet.view());
}

// Answers the remote number key and the queue's first song numbers.
void Dispatcher::RequestBookList(CClientSocket &channel)
{
    if (channel.station != m_bookListStation || m_queue.count() != m_bookListLength) {
        WriteLog("RequestBookList %d (%d).", channel.station, m_queue.count());
        m_bookListStation = channel.station;
        m_bookListLength = m_queue.count();
    }
    PacketWriter reply(144, Cmd::BookList, 128);
    reply.putU32(16, m_numberKey);
    const QList<quint32> numbers = m_queue.Numbers(kBookListRoom);
    for (qsizetype i = 0; i < numbers.size(); ++i)
        reply.putU32(20 + 4 * i, numbers[i]);
    channel.Send(reply.packet());
}

void Dispatcher::RequestFavoriteList(CClientSocket &channel, const PacketReader &packet)
{
    const QString name = packet.text(16, kNameUnits);
    WriteLog("Requested favorite list(%s).", qUtf8Printable(name));
    FavoriteStore::SongNumbers numbers{};
    const bool found = m_favorites.FindFavoriteList(name, &numbers);
    PacketWriter reply(528, Cmd::FavoriteListData, 512);
    reply.putU8(15, found ? 0 : 1);
    for (int i = 0; i < FavoriteStore::kMaxSongs; ++i)
        reply.putU32(16 + 4 * i, numbers[size_t(i)]);
    channel.Send(reply.packet());
}

void Dispatcher::NewFavoriteList(CClientSocket &channel, const PacketReader &packet)
{
    const QString name = packet.text(16, kNameUnits);
    WriteLog("new favorite list(%s).", qUtf8Printable(name));
    const bool created =
        m_favorites.listCount() < FavoriteStore::kCapacity && m_favorites.CreateFavoriteList(name);
    channel.Send(FavoriteResult(Cmd::FavoriteResultNew, created));
}

// Replaces a list's songs; the store logs its own name comparisons and saves.
void Dispatcher::SetFavoriteList(CClientSocket &channel, const PacketReader &packet)
{
    FavoriteStore::SongNumbers numbers{};
    for (int i = 0; i < FavoriteStore::kMaxSongs; ++i)
        numbers[size_t(i)] = packet.u32(56 + 4 * i);
    const bool replaced = m_favorites.ReplaceFavoriteList(packet.text(16, kNameUnits), numbers);
    channel.Send(FavoriteResult(Cmd::FavoriteResultSet, replaced));
}

void Dispatcher::AddFavoriteList(CClientSocket &channel, const PacketReader &packet)
{
    const quint32 number = packet.u32(16);
    const QString name = packet.text(20, kNameUnits);
    WriteLog("add favorite list(%s %d).", qUtf8Printable(name), int(number));
    const bool added =
        m_favorites.listCount() > 0 && m_favorites.AddSongToFavoriteList(name, number);
    channel.Send(FavoriteResult(Cmd::FavoriteResultAdd, added));
}

// Adds a song to a list, creating the list first when it does not exist yet.
void Dispatcher::AddFavoriteCreate(const PacketReader &packet)
{
    const quint32 number = packet.u32(16);
    const QString name = packet.text(20, kNameUnits);
    WriteLog("add favorite list(%s %d).", qUtf8Printable(name), int(number));
    if (m_favorites.listCount() < FavoriteStore::kCapacity)
        m_favorites.CreateFavoriteList(name);
    if (m_favorites.listCount() > 0)
        m_favorites.AddSongToFavoriteList(name, number);
}

// Passes the key on to the local client; key 0x3FF also brings it the queue.
void Dispatcher::RemoteControlKey(const PacketHeader &header)
{
    WriteLog("RemoteControl Key (%x).", header.param);
    m_relay.RelayKeyToLocal(header.param);
    if (header.param == 0x3FF)
        m_relay.PushQueueToLocal();
}

void Dispatcher::RemoconNumberKey(const PacketHeader &header)
{
    m_numberKey = header.param;
    WriteLog("Remocon NumberKey (%d).", int(m_numberKey));
}
