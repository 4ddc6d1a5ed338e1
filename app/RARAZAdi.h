#pragma once

#include "base/GuestWebConfig.h"
#include "base/QueConfig.h"
#include "base/RowTable.h"
#include "base/VenueConfig.h"
#include "net/ChannelList.h"
#include "net/ClientTable.h"

#include <QObject>
#include <QString>
#include <memory>

class Dispatcher;
class FavoriteStore;
class GuestWeb;
class LocalClientRelay;
class MelodeckServer;
class QueueJournal;
class ReservationQueue;
class SongCatalogue;

// The application object: owns the queue options and venue rules, the song
// catalogue, the reservation queue and its journal, the favourite lists, the listener with its
// channels, and the log and client lists, for the whole run. The window is a thin layer over it.
class RARAZAdi : public QObject
{
    Q_OBJECT
public:
    RARAZAdi(QObject *parent = nullptr);
    ~RARAZAdi() override;

    // Moves the old data folder's content into the data folder, loads options,
    // catalogue, the kept queue (with KeepQueue on) and favourite lists, then
    // opens the listener and the guest web. False when the listener could not
    // be opened (start-up goes on regardless; the guest web's port never counts).
    bool InitInstance();
    // The close sequence: the server stops, then the favourite lists are saved.
    void Shutdown();

    // Applies the venue rules as edited: KeepQueue on keeps the queue as it
    // stands from now, off stops keeping it (the file stays).
    void ApplyVenueRules();

    // Single-instance lock name: one server per listening port.
    static QString InstanceName();

    QueConfig &config() { return m_config; }
    VenueConfig &venue() { return m_venue; }
    GuestWebConfig &guestWebConfig() { return m_guestWebConfig; }
    SongCatalogue &catalogue() { return *m_catalogue; }
    ReservationQueue &queue() { return *m_queue; }
    FavoriteStore &favorites() { return *m_favorites; }
    QueueJournal &journal() { return *m_journal; }
    LocalClientRelay &relay() { return *m_relay; }
    MelodeckServer &server() { return *m_server; }
    GuestWeb &guestWeb() { return *m_guestWeb; }
    const ChannelList &channels() const { return m_channels; }
    RowTable &logRows() { return m_logRows; }
    ClientTable &clientRows() { return m_clientRows; }

private:
    QueConfig m_config;
    VenueConfig m_venue;
    GuestWebConfig m_guestWebConfig;
    RowTable m_logRows;
    ClientTable m_clientRows;
    ChannelList m_channels;
    std::unique_ptr<SongCatalogue> m_catalogue;
    std::unique_ptr<ReservationQueue> m_queue;
    std::unique_ptr<FavoriteStore> m_favorites;
    std::unique_ptr<QueueJournal> m_journal;
    std::unique_ptr<LocalClientRelay> m_relay;
    std::unique_ptr<Dispatcher> m_dispatcher;
    std::unique_ptr<MelodeckServer> m_server;
    std::unique_ptr<GuestWeb> m_guestWeb;
    bool m_shutDown = false;
};
