#include "app/RARAZAdi.h"

#include "app/OldDataFolder.h"
#include "base/DataPath.h"
#include "base/EventLog.h"
#include "catalogue/SongCatalogue.h"
#include "net/CListenSocket.h"
#include "net/Dispatcher.h"
#include "net/LocalClientRelay.h"
#include "net/MelodeckServer.h"
#include "queue/FavoriteStore.h"
#include "queue/QueueJournal.h"
#include "queue/ReservationQueue.h"
#include "web/GuestRequests.h"
#include "web/GuestWeb.h"

#include <QFileInfo>

RARAZAdi::RARAZAdi(QObject *parent)
    : QObject(parent), m_logRows({QStringLiteral("Time"), QStringLiteral("Action")}),
      m_catalogue(std::make_unique<SongCatalogue>()),
      m_queue(std::make_unique<ReservationQueue>(ReservationQueue::LookupIn(*m_catalogue))),
      m_favorites(std::make_unique<FavoriteStore>()),
      m_journal(std::make_unique<QueueJournal>(*m_queue)),
      m_relay(std::make_unique<LocalClientRelay>(m_channels, *m_queue)),
      m_dispatcher(std::make_unique<Dispatcher>(*m_catalogue, m_config, m_venue, *m_queue,
                                                *m_favorites, *m_relay)),
      m_server(std::make_unique<MelodeckServer>(m_config, m_channels, *m_dispatcher)),
      m_guestWeb(std::make_unique<GuestWeb>(m_guestWebConfig, m_config, m_venue, *m_catalogue,
                                            *m_queue, *m_relay))
{
    EventLog::Attach(&m_logRows);
    m_dispatcher->SetJournal(m_journal.get());
    m_guestWeb->requests().SetJournal(m_journal.get());
    // A kept queue reaches the player as soon as it connects.
    connect(m_server.get(), &MelodeckServer::localClientAdmitted, this, [this] {
        if (m_venue.KeepQueue)
            m_relay->PushQueueToLocal();
    });
    // Rebuilt after the channel list has settled, as a posted refresh.
    connect(
        m_server.get(), &MelodeckServer::channelNotice, this,
        [this] { m_clientRows.Rebuild(m_channels.channels()); }, Qt::QueuedConnection);
}

RARAZAdi::~RARAZAdi()
{
    Shutdown();
    EventLog::Attach(nullptr);
}

bool RARAZAdi::InitInstance()
{
    const QString dataFolder = DataPath();
    OldDataFolder::MoveInto(OldDataFolder::PathBeside(dataFolder), dataFolder);
    LoadSettings(m_config);
    LoadVenueSettings(m_venue);
    LoadGuestWebSettings(m_guestWebConfig);
    const QString songBook = DataPath(QStringLiteral("orvabook.txt"));
    m_catalogue->LoadSongDatabase(
        QFileInfo::exists(songBook) ? songBook : DataPath(QStringLiteral("moxiinfo.dat")));
    if (m_venue.KeepQueue)
        m_journal->Restore();
    m_favorites->LoadFavoriteLists();
    const bool listening = m_server->StartServer();
    m_guestWeb->Start();
    return listening;
}

void RARAZAdi::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_guestWeb->Stop();
    m_server->StopServer();
    m_favorites->SaveFavoriteLists();
}

void RARAZAdi::ApplyVenueRules()
{
    m_journal->SetEnabled(m_venue.KeepQueue);
}

QString RARAZAdi::InstanceName()
{
    QString name = QStringLiteral("_MOXI_APP_123454321_");
    const quint16 port = CListenSocket::ListenPort();
    if (port != CListenSocket::kDefaultPort)
        name += u'-' + QString::number(port);
    return name;
}
