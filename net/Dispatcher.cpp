#include "net/Dispatcher.h"

#include "base/EventLog.h"
#include "base/QueConfig.h"
#include "base/VenueConfig.h"
#include "catalogue/SongCatalogue.h"
#include "net/CClientSocket.h"
#include "net/LocalClientRelay.h"
#include "net/StoreToWire.h"
#include "protocol/Frame.h"
#include "protocol/QueueWire.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "queue/FavoriteStore.h"
#include "queue/QueueJournal.h"
#include "queue/ReservationQueue.h"

#include <QAbstractEventDispatcher>
#include <algorithm>

Dispatcher::Dispatcher(SongCatalogue &catalogue, const QueConfig &config, const VenueConfig &venue,
                       ReservationQueue &queue, FavoriteStore &favorites, LocalClientRelay &relay)
    : m_catalogue(catalogue), m_config(config), m_venue(venue), m_queue(queue),
      m_favorites(favorites), m_relay(relay)
{
    // A zero timer fires once the events already waiting have been handled.
    m_endOfTurn.setSingleShot(true);
    m_endOfTurn.setInterval(0);
    QObject::connect(&m_endOfTurn, &QTimer::timeout, [this] { EndTurn(); });
    // The loop's turn truly ends when it is about to wait: every socket that
    // was ready has been read by then, so their replies share one commit.
    if (QAbstractEventDispatcher *events = QAbstractEventDispatcher::instance())
        QObject::connect(events, &QAbstractEventDispatcher::aboutToBlock, &m_endOfTurn, [this] {
            if (!m_waiting.isEmpty())
                EndTurn();
        });
}

void Dispatcher::DpfHandleMsg(CClientSocket &channel)
{
    while (channel.hasSocket() && !channel.closeRequested()) {
        const CClientSocket::Received received = channel.NextPacket();
        const Frame &frame = received.frame;
        switch (frame.status) {
        case Frame::Incomplete:
        case Frame::Oversize: // the channel asks to be closed
            return;
        case Frame::BadMagic:
            WriteLog("%s : ERROR. invalid msg id %x from %s - %d.", "DpfHandleMsg", frame.magic,
                     qUtf8Printable(channel.addressText), int(channel.port));
            return;
        case Frame::Complete:
            break;
        }
        if (channel.blocked) {
            WriteLog("Blacking pcx %s cmd %xh, len %d.", qUtf8Printable(channel.displayAddress()),
                     frame.header.command, int(received.bytes.size()));
        } else if (!Handle(channel, frame.header, received.bytes)) {
            WriteLog("%s : unknown cmd %x, len %d.", "DpfHandleMsg", frame.header.command,
                     int(received.bytes.size()));
            channel.DropReceived();
            return;
        }
    }
}

// What a batch changed reaches the disk before any of its replies leaves, so
// an acknowledged change survives a crash; the receives of one turn share one
// save and one commit.
void Dispatcher::EndBatch(CClientSocket &channel)
{
    const bool waiting = m_waiting.contains(&channel);
    if (!waiting && !m_favorites.saveDue() && !(m_journal && m_journal->commitDue())) {
        channel.FlushReplies();
        return;
    }
    if (!waiting)
        m_waiting.append(&channel);
    if (!m_endOfTurn.isActive())
        m_endOfTurn.start();
}

void Dispatcher::EndTurn()
{
    m_endOfTurn.stop();
    m_favorites.SaveIfDue();
    if (m_journal)
        m_journal->Commit();
    for (const QPointer<CClientSocket> &channel : std::exchange(m_waiting, {}))
        if (channel)
            channel->FlushReplies();
}

bool Dispatcher::Handle(CClientSocket &channel, const PacketHeader &header, QByteArrayView packet)
{
    switch (header.command) {
    case Cmd::SetBookView:
        SetBookView(channel, packet);
        return true;
    case Cmd::RequestPage:
        RequestPage(channel, packet);
        return true;
    case Cmd::MultiDownload:
        MultiDownload(channel, packet);
        return true;
    case Cmd::LoadSongList:
        LoadSongList(channel, packet);
        return true;
    case Cmd::RequestServerInfo:
        RequestServerInfo(channel);
        return true;
    case Cmd::RequestAdd:
        RequestAdd(channel, packet);
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

// Remembers the terminal's song-book order, page size and page; no reply.
void Dispatcher::SetBookView(CClientSocket &channel, QByteArrayView packet)
{
    const auto view = Packet::SetBookView::Decode(packet);
    channel.currentPage = view.currentPage; // stored as sent; pages check it when used
    channel.pageSize = view.pageSize >= 1 && view.pageSize <= Packet::PageData::kSlots
                           ? view.pageSize
                           : Packet::PageData::kSlots;
    channel.sortMode = view.sortMode;
    channel.searchText = view.searchText;
    channel.pageCount =
        qint32((qint64(m_catalogue.songCount()) + channel.pageSize - 1) / channel.pageSize);
}

// Moves to the next or previous page within the book and sends that page.
void Dispatcher::RequestPage(CClientSocket &channel, QByteArrayView packet)
{
    const auto request = Packet::RequestPage::Decode(packet);
    if (request.direction == Packet::RequestPage::kNext &&
        qint64(channel.currentPage) + 1 < channel.pageCount)
        ++channel.currentPage;
    else if (request.direction == Packet::RequestPage::kPrevious && channel.currentPage > 0)
        --channel.currentPage;
    channel.sortMode = request.sortMode;
    WriteLog("req page %d, cur %d, mode %d", request.direction, channel.currentPage,
             channel.sortMode);
    StoreToWire::PageSongs songs;
    channel.Reply(
        Packet::PageData::Encode(StoreToWire::Page(m_catalogue, channel.sortMode, channel.pageSize,
                                                   channel.currentPage, songs),
                                 channel.currentPage, channel.pageCount));
}

// Sends up to eight songs from the requested start in load order, or the end
// mark once the start is past what the terminal means to fetch.
void Dispatcher::MultiDownload(CClientSocket &channel, QByteArrayView packet)
{
    const auto request = Packet::MultiDownload::Decode(packet);
    if (request.start < 0 || request.start >= request.total) {
        channel.Reply(Packet::MultiDownloadData::EncodeEndMark());
        return;
    }
    const qint64 songs = m_catalogue.songCount();
    const qint64 items =
        std::clamp<qint64>(songs - request.start, 0, Packet::MultiDownloadData::kMaxItems);
    for (qint64 position = request.start; position < request.start + items; ++position) {
        if (position == 0)
            WriteLog("multi-download Start(%d, %d)", 0, request.total);
        else if (position % 2048 == 0 && position < request.total)
            WriteLog("multi-download Loading(%d, %d)", int(position), request.total);
        if (position >= songs - 1)
            WriteLog("multi-download Done.");
    }
    channel.Reply(Packet::MultiDownloadData::Encode(
        request.start, StoreToWire::DownloadItems(m_catalogue, request.start)));
}

// Replaces the catalogue with the named file and, when the new one has songs,
// has every terminal reconnect to fetch it. A name too long to take is refused.
void Dispatcher::LoadSongList(CClientSocket &channel, QByteArrayView packet)
{
    const auto request = Packet::LoadSongList::Decode(packet);
    WriteLog("Requested load result %d, len %d, name %s.", int(request.param), int(request.length),
             qUtf8Printable(request.fileName));
    if (request.fileName.size() <= Packet::LoadSongList::kMaxNameUnits)
        // An empty name is still a name: the loader falls back to its default file.
        m_catalogue.LoadSongDatabase(request.fileName.isNull() ? QStringLiteral("")
                                                               : request.fileName);
    channel.Reply(
        Packet::LoadResult{quint32(m_catalogue.timestamp()), m_catalogue.songCount()}.Encode());
    if (request.fileName.size() > Packet::LoadSongList::kMaxNameUnits ||
        m_catalogue.songCount() == 0)
        return;
    WriteLog("LoadSongList, Melodeck reconnected actived.");
    m_reconnectRequested = true;
}

// Tells the terminal the catalogue's size and version and the queue options.
void Dispatcher::RequestServerInfo(CClientSocket &channel)
{
    channel.Reply(
        Packet::ServerInfo::From(m_catalogue.songCount(), m_catalogue.timestamp(), m_config)
            .Encode());
}

// Reserves a song for the terminal's station, answers with the number queued
// (0 when nothing was) and shows the local client the queue either way.
void Dispatcher::RequestAdd(CClientSocket &channel, QByteArrayView packet)
{
    const auto request = Packet::RequestAdd::Decode(packet);
    WriteLog("Requested add number %d, pitch %d, tempo %d, name %s.", int(request.number),
             request.pitch, request.tempo, qUtf8Printable(request.customer));
    const auto station = quint32(channel.station);
    const auto refusal = m_queue.CheckRules(m_venue, station, request.number);
    if (refusal == ReservationQueue::Refusal::Duplicate)
        WriteLog("Refused add number %d from pcx %d: already in the queue (NoDuplicates).",
                 int(request.number), channel.station);
    else if (refusal == ReservationQueue::Refusal::StationFull)
        WriteLog("Refused add number %d from pcx %d: %d songs queued (MaxPerStation).",
                 int(request.number), channel.station, m_venue.MaxPerStation);
    const bool added = refusal == ReservationQueue::Refusal::None &&
                       m_queue.count() < ReservationQueue::kCapacity &&
                       m_queue.AddByRules(m_venue, station, int(request.position), request.number,
                                          request.pitch, request.tempo, request.customer);
    channel.Reply(Packet::NumberResult{added ? request.number : 0}.Encode(Cmd::AddResult));
    m_relay.PushQueueToLocal();
}

// Deletes one reservation (by number, or by index when the terminal's view of
// the queue is current); the answer echoes the number whatever happened.
void Dispatcher::RequestDel(CClientSocket &channel, QByteArrayView packet)
{
    const auto request = Packet::RequestDel::Decode(packet);
    WriteLog("Requested del pcx %d number %d, index %d, count %d.", channel.station,
             int(request.number), request.index, request.count);
    m_queue.DeleteReservation(request.number, request.index, request.count);
    channel.Reply(Packet::NumberResult{request.number}.Encode(Cmd::DelResult));
    m_relay.PushQueueToLocal();
}

// Takes back an edited or replacing queue, in practice from the local client.
void Dispatcher::RequestSet(CClientSocket &channel, const PacketHeader &header,
                            QByteArrayView packet)
{
    WriteLog("Requested set result %d.", qint32(header.param));
    const auto set = Packet::QueueWire::Decode(packet);
    m_queue.ApplyQueueSet(quint32(channel.station), set.mode != 0, set.items);
}

// Answers the remote number key and the queue's first song numbers.
void Dispatcher::RequestBookList(CClientSocket &channel)
{
    if (channel.station != m_bookListStation || m_queue.count() != m_bookListLength) {
        WriteLog("RequestBookList %d (%d).", channel.station, m_queue.count());
        m_bookListStation = channel.station;
        m_bookListLength = m_queue.count();
    }
    channel.Reply(Packet::BookList{m_numberKey, m_queue.Numbers(Packet::BookList::kRoom)}.Encode());
}

void Dispatcher::RequestFavoriteList(CClientSocket &channel, QByteArrayView packet)
{
    const QString name = Packet::FavoriteName::Decode(packet).name;
    WriteLog("Requested favorite list(%s).", qUtf8Printable(name));
    Packet::FavoriteListData reply;
    reply.found = m_favorites.FindFavoriteList(name, &reply.numbers);
    channel.Reply(reply.Encode());
}

void Dispatcher::NewFavoriteList(CClientSocket &channel, QByteArrayView packet)
{
    const QString name = Packet::FavoriteName::Decode(packet).name;
    WriteLog("new favorite list(%s).", qUtf8Printable(name));
    const bool created =
        m_favorites.listCount() < FavoriteStore::kCapacity && m_favorites.CreateFavoriteList(name);
    channel.Reply(Packet::FavoriteResult{created}.Encode(Cmd::FavoriteResultNew));
}

// Replaces a list's songs; the store logs its own name comparisons, and the
// batch saves the lists before this reply leaves.
void Dispatcher::SetFavoriteList(CClientSocket &channel, QByteArrayView packet)
{
    const auto request = Packet::SetFavoriteList::Decode(packet);
    const bool replaced = m_favorites.ReplaceFavoriteList(request.name, request.numbers);
    channel.Reply(Packet::FavoriteResult{replaced}.Encode(Cmd::FavoriteResultSet));
}

void Dispatcher::AddFavoriteList(CClientSocket &channel, QByteArrayView packet)
{
    const auto request = Packet::AddFavorite::Decode(packet);
    WriteLog("add favorite list(%s %d).", qUtf8Printable(request.name), int(request.number));
    const bool added = m_favorites.listCount() > 0 &&
                       m_favorites.AddSongToFavoriteList(request.name, request.number);
    channel.Reply(Packet::FavoriteResult{added}.Encode(Cmd::FavoriteResultAdd));
}

// Adds a song to a list, creating the list first when it does not exist yet.
void Dispatcher::AddFavoriteCreate(QByteArrayView packet)
{
    const auto request = Packet::AddFavorite::Decode(packet);
    WriteLog("add favorite list(%s %d).", qUtf8Printable(request.name), int(request.number));
    if (m_favorites.listCount() < FavoriteStore::kCapacity)
        m_favorites.CreateFavoriteList(request.name);
    if (m_favorites.listCount() > 0)
        m_favorites.AddSongToFavoriteList(request.name, request.number);
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
