// Fuzzes a channel's receive path: arbitrary bytes, cut into arbitrary chunks,
// go through Dispatcher::Receive (the call MelodeckServer makes after each
// socket read) into the framing and every command handler. A terminal and the
// local client sit on real loopback connections made once, so every reply and
// push goes through CClientSocket::Send; the peers are drained after each input.
//
// Input: byte 0 flags (bit 0: the input comes from the local client; bits 1-5
// 00001: start with the queue and the favourite lists two short of full, which
// is slow, hence rare; bits 6-7 both set: the channel is blocked), bytes 1-4
// chunk sizes used in turn (1-254 bytes, 255: as much as the buffer takes),
// then the bytes the peer sends.
#include "base/QueConfig.h"
#include "base/VenueConfig.h"
#include "catalogue/SongCatalogue.h"
#include "fuzz/FuzzSupport.h"
#include "net/CClientSocket.h"
#include "net/ChannelList.h"
#include "net/Dispatcher.h"
#include "net/LocalClientRelay.h"
#include "protocol/PacketReader.h"
#include "queue/FavoriteStore.h"
#include "queue/ReservationQueue.h"

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>
#include <arpa/inet.h>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVA_FUZZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(ORVA_FUZZ_ASAN)
#include <sanitizer/asan_interface.h>
#define POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define POISON(address, size) ((void)(address), (void)(size))
#define UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace {

constexpr char kBook[] = "12|Love Song|Singer\n"
                         "7|Seven|Sailors\n"
                         "#jpn\n"
                         "12|The Same Number|Other\n"
                         "4000000000|Big|Number\n"
                         "31|A Title|\xC3\x89toile\n";

// What a catalogue holds, to see whether an input replaced it.
size_t CatalogueFingerprint(const SongCatalogue &catalogue)
{
    size_t seed = qHash(catalogue.songCount()) ^ qHash(catalogue.timestamp());
    if (catalogue.songCount() > 64)
        return seed + 1;
    for (int i = 0; i < int(catalogue.songCount()); ++i)
        seed = qHashMulti(
            seed,
            QByteArrayView(reinterpret_cast<const char *>(&catalogue.Record(i)), SongRecord::kSize),
            catalogue.Language(i));
    return seed;
}

// One end of a loopback connection as a channel, the other end a plain socket.
struct Connection
{
    std::unique_ptr<CClientSocket> channel;
    int peer = -1;
};

// What lives for the whole run: the connections, the catalogue, the files.
class Rig
{
public:
    Rig()
    {
        FuzzSupport::WriteFile(m_bookPath, kBook, sizeof kBook - 1);
        ReloadCatalogue();
        if (!m_listener.listen(QHostAddress::LocalHost))
            FuzzSupport::Fail("a loopback listener could be opened", __FILE__, __LINE__);
        terminal = Connect(QStringLiteral("192.168.10.21"), 0);
        local = Connect(CClientSocket::kLocalAddress, 1);
        FUZZ_CHECK(channels.LocalClient() == local.channel.get());

        QString lists;
        for (int i = 0; i < FavoriteStore::kCapacity - 2; ++i)
            lists += QStringLiteral("list %1|12,7,%1\n").arg(i);
        m_fullFavorites = lists.toUtf8();
        for (int i = 0; i < ReservationQueue::kCapacity - 2; ++i)
            m_fullQueue.append({i % 2 ? 7u : 12u, 0, 0, 0, i, QStringLiteral("guest")});
    }

    void ReloadCatalogue()
    {
        catalogue.LoadSongDatabase(m_bookPath);
        m_catalogueFingerprint = CatalogueFingerprint(catalogue);
    }
    // Undoes a LoadSongList of the last input.
    void RestoreCatalogue()
    {
        if (CatalogueFingerprint(catalogue) != m_catalogueFingerprint)
            ReloadCatalogue();
    }

    // Fills the queue and the favourite lists for an input's start: two of
    // each, or two short of full (read from a file: creating 4,998 lists one
    // by one would take quadratic time).
    void Prepare(ReservationQueue &queue, FavoriteStore &favorites, bool full) const
    {
        if (full) {
            FuzzSupport::WriteFile(favoritesPath, m_fullFavorites);
            favorites.LoadFavoriteLists();
            queue.ApplyQueueSet(1, true, m_fullQueue);
            return;
        }
        favorites.CreateFavoriteList(QStringLiteral("Party"));
        favorites.AddSongToFavoriteList(QStringLiteral("Party"), 12);
        favorites.AddSongToFavoriteList(QStringLiteral("Party"), 7);
        favorites.CreateFavoriteList(QStringLiteral("Solo"));
        queue.AddReservation(0, 0, 12, 1, -1, QStringLiteral("Ann"));
        queue.AddReservation(1, 0, 7, 0, 0, QString());
    }

    // Reads and discards whatever the server sent the peers.
    void Drain() const
    {
        char sink[65536];
        for (const Connection *connection : {&terminal, &local})
            while (::recv(connection->peer, sink, sizeof sink, MSG_DONTWAIT) > 0) {
            }
    }

    SongCatalogue catalogue;
    QueConfig config;
    VenueConfig venue;
    ChannelList channels;
    Connection terminal;
    Connection local;
    const QString favoritesPath = FuzzSupport::Folder(QStringLiteral("Favorite.txt"));

private:
    Connection Connect(const QString &address, int station)
    {
        Connection connection;
        connection.peer = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(m_listener.serverPort());
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(connection.peer, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0 ||
            !m_listener.waitForNewConnection(5000))
            FuzzSupport::Fail("a loopback connection could be made", __FILE__, __LINE__);
        connection.channel = std::make_unique<CClientSocket>(m_listener.nextPendingConnection());
        connection.channel->addressText = address;
        connection.channel->connectionState = CClientSocket::kAdmitted;
        connection.channel->station = channels.Put(connection.channel.get());
        FUZZ_CHECK(connection.channel->station == station);
        return connection;
    }

    QTcpServer m_listener;
    const QString m_bookPath = FuzzSupport::Folder(QStringLiteral("orvabook.txt"));
    size_t m_catalogueFingerprint = 0;
    QByteArray m_fullFavorites;
    QList<QueueItem> m_fullQueue;
};

Rig *g_rig = nullptr;

// A channel as MelodeckServer admits it, nothing held.
void ResetChannel(CClientSocket &channel, bool blocked)
{
    channel.blocked = blocked ? 1 : 0;
    channel.ResetReceiving();
    channel.pageSize = 0;
    channel.sortMode = 1;
    channel.currentPage = 0;
    channel.pageCount = 0;
    channel.searchText.clear();
}

// The packet reader answers zero for missing bytes and flags exactly the reads that miss some.
void CheckReader(QByteArrayView bytes, qsizetype offset)
{
    const PacketReader reader(bytes);
    quint32 expected = 0;
    bool missing = false;
    for (qsizetype i = 0; i < 4; ++i) {
        const bool inside = offset + i >= 0 && offset + i < bytes.size();
        missing = missing || !inside;
        expected = (expected << 8) | (inside ? uchar(bytes[offset + i]) : 0u);
    }
    FUZZ_CHECK(reader.u32(offset) == expected);
    FUZZ_CHECK(reader.shortRead() == missing);
}

void CheckState(const Rig &rig, const CClientSocket &channel, const ReservationQueue &queue,
                const FavoriteStore &favorites)
{
    FUZZ_CHECK(channel.heldBytes() >= 0 && channel.heldBytes() < PacketHeader::kMaxPacket);
    FUZZ_CHECK(queue.count() >= 0 && queue.count() <= ReservationQueue::kCapacity);
    FUZZ_CHECK(queue.rows().rowCount() == queue.count());
    FUZZ_CHECK(favorites.listCount() >= 0 && favorites.listCount() <= FavoriteStore::kCapacity);
    FUZZ_CHECK(favorites.rows().rowCount() == favorites.listCount());
    FUZZ_CHECK(rig.catalogue.songCount() <= quint32(SongCatalogue::kCapacity));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::Setup();
    static Rig rig;
    g_rig = &rig;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5)
        return 0;
    Rig &rig = *g_rig;
    const uint8_t flags = data[0];
    const uint8_t *chunks = data + 1;
    data += 5;
    size -= 5;

    rig.RestoreCatalogue();
    ReservationQueue queue(ReservationQueue::LookupIn(rig.catalogue),
                           [] { return QDateTime(QDate(2026, 1, 1), QTime(20, 0)); });
    FavoriteStore favorites(rig.favoritesPath);
    rig.Prepare(queue, favorites, (flags & 0x3E) == 0x02);
    LocalClientRelay relay(rig.channels, queue);
    Dispatcher dispatcher(rig.catalogue, rig.config, rig.venue, queue, favorites, relay);
    CClientSocket &channel = flags & 1 ? *rig.local.channel : *rig.terminal.channel;
    ResetChannel(channel, (flags & 0xC0) == 0xC0);

    // The loop of MelodeckServer::ReceiveOnChannel, with the socket read replaced by a copy.
    size_t at = 0;
    for (int turn = 0; at < size && !dispatcher.reconnectRequested() && channel.hasSocket() &&
                       !channel.closeRequested();
         ++turn) {
        const size_t room = size_t(CClientSocket::kBufferSize - channel.heldBytes());
        const uint8_t wanted = chunks[turn % 4];
        const size_t got = std::min({wanted == 255 ? room : size_t(wanted) + 1, room, size - at});
        const QByteArrayView incoming(reinterpret_cast<const char *>(data + at), qsizetype(got));
        channel.TakeReceived(incoming);
        CheckReader(incoming, qsizetype(wanted % 24) - 4);
        at += got;
        // Bytes past those held are off limits to every handler.
        const QByteArrayView buffer = channel.receiveBuffer();
        char *const heldEnd = const_cast<char *>(buffer.data()) + channel.heldBytes();
        const size_t unheld = size_t(buffer.data() + buffer.size() - heldEnd);
        POISON(heldEnd, unheld);
        dispatcher.DpfHandleMsg(channel);
        UNPOISON(heldEnd, unheld);
        dispatcher.EndBatch(channel);
        dispatcher.EndTurn();
        relay.FlushPushes(); // what the end of the event loop's turn would send
        CheckState(rig, channel, queue, favorites);
    }
    rig.Drain();
    return 0;
}
