#pragma once

#include "net/CClientSocket.h"

#include <QByteArrayView>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QtGlobal>

class FavoriteStore;
class LocalClientRelay;
class QueueJournal;
class ReservationQueue;
class SongCatalogue;
struct PacketHeader;
struct QueConfig;
struct VenueConfig;

// Cuts a channel's received bytes into packets and carries out each request:
// the one entry point through which a terminal's requests take effect.
class Dispatcher
{
public:
    Dispatcher(SongCatalogue &catalogue, const QueConfig &config, const VenueConfig &venue,
               ReservationQueue &queue, FavoriteStore &favorites, LocalClientRelay &relay);

    // Handles every whole packet the channel holds, in order; the tail of an
    // unfinished one stays with the channel for the next read. Replies wait in
    // the channel's batch.
    void DpfHandleMsg(CClientSocket &channel);
    // Ends the handling of one receive. When nothing waits to be saved or
    // committed the replies leave at once, in one write; otherwise they wait
    // for EndTurn, so that what they acknowledge is on disk first.
    void EndBatch(CClientSocket &channel);
    // Saves the favourite lists and commits the queue's changes once for
    // every receive of this turn of the event loop (group commit), then sends
    // the replies that waited. Runs by itself once the turn is done.
    void EndTurn();

    // The journal a batch commits before its replies leave; none by default.
    void SetJournal(QueueJournal *journal) { m_journal = journal; }

    // Set when a request asked every terminal to reconnect; the listener
    // closes them once the current receive is handled, and clears it.
    bool reconnectRequested() const { return m_reconnectRequested; }
    void ClearReconnectRequest() { m_reconnectRequested = false; }

    // The last remote number key, echoed in every BookList.
    quint32 numberKey() const { return m_numberKey; }

private:
    // False for a command this server does not know.
    bool Handle(CClientSocket &channel, const PacketHeader &header, QByteArrayView packet);

    void SetBookView(CClientSocket &channel, QByteArrayView packet);
    void RequestPage(CClientSocket &channel, QByteArrayView packet);
    void MultiDownload(CClientSocket &channel, QByteArrayView packet);
    void LoadSongList(CClientSocket &channel, QByteArrayView packet);
    void RequestServerInfo(CClientSocket &channel);
    void RequestAdd(CClientSocket &channel, QByteArrayView packet);
    void RequestDel(CClientSocket &channel, QByteArrayView packet);
    void RequestSet(CClientSocket &channel, const PacketHeader &header, QByteArrayView packet);
    void RequestBookList(CClientSocket &channel);
    void RequestFavoriteList(CClientSocket &channel, QByteArrayView packet);
    void NewFavoriteList(CClientSocket &channel, QByteArrayView packet);
    void SetFavoriteList(CClientSocket &channel, QByteArrayView packet);
    void AddFavoriteList(CClientSocket &channel, QByteArrayView packet);
    void AddFavoriteCreate(QByteArrayView packet);
    void RemoteControlKey(const PacketHeader &header);
    void RemoconNumberKey(const PacketHeader &header);

    SongCatalogue &m_catalogue;
    const QueConfig &m_config;
    const VenueConfig &m_venue;
    ReservationQueue &m_queue;
    FavoriteStore &m_favorites;
    LocalClientRelay &m_relay;
    QueueJournal *m_journal = nullptr;
    QTimer m_endOfTurn;
    // Channels whose replies wait for this turn's save and commit.
    QList<QPointer<CClientSocket>> m_waiting;
    quint32 m_numberKey = 0;
    // The station and queue length last logged by RequestBookList.
    int m_bookListStation = -1;
    int m_bookListLength = -1;
    bool m_reconnectRequested = false;
};
