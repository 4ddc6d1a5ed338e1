// What one receive costs the event loop when it carries a burst: 1,024
// queue-asking keys over a full queue (the player's push), and 29 favourite
// list replacements over 5,000 full lists (the save). Run: build/orva_batch_bench

#include "base/QueConfig.h"
#include "base/VenueConfig.h"
#include "catalogue/SongCatalogue.h"
#include "net/CClientSocket.h"
#include "net/ChannelList.h"
#include "net/Dispatcher.h"
#include "net/LocalClientRelay.h"
#include "protocol/Requests.h"
#include "queue/FavoriteStore.h"
#include "queue/QueueJournal.h"
#include "queue/ReservationQueue.h"

#include <QCoreApplication>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// The process's peak resident memory so far, in bytes.
qint64 PeakMemoryBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

// A dispatcher over a full queue and 5,000 full favourite lists, with a
// terminal and a player on loopback connections (the player reads nothing).
struct Rig
{
    QTemporaryDir dir;
    SongCatalogue catalogue;
    QueConfig config;
    VenueConfig venue;
    ReservationQueue queue{ReservationQueue::LookupIn(catalogue)};
    FavoriteStore favorites{dir.filePath(QStringLiteral("Favorite.txt"))};
    ChannelList channels;
    LocalClientRelay relay{channels, queue};
    Dispatcher dispatcher{catalogue, config, venue, queue, favorites, relay};
    QTcpServer listener;
    QTcpSocket terminalPeer, playerPeer;
    std::unique_ptr<CClientSocket> terminal, player;

    Rig()
    {
        QFile book(dir.filePath(QStringLiteral("book.txt")));
        book.open(QIODevice::WriteOnly);
        for (int n = 1; n <= 100; ++n)
            book.write(QByteArray::number(n) + "|Title " + QByteArray::number(n) + "|Artist\n");
        book.close();
        catalogue.LoadSongDatabase(book.fileName());
        for (int n = 0; n < ReservationQueue::kCapacity; ++n)
            queue.AddReservation(1, 0, quint32(1 + n % 100), 0, 0, QStringLiteral("Guest"));
        for (int i = 0; i < FavoriteStore::kCapacity; ++i) {
            const QString name = QStringLiteral("List %1").arg(i);
            favorites.CreateFavoriteList(name);
            FavoriteStore::SongNumbers numbers;
            numbers.fill(quint32(100000 + i));
            favorites.ReplaceFavoriteList(name, numbers);
        }
        favorites.SaveIfDue();
        listener.listen(QHostAddress::LocalHost);
        terminal = Accept(terminalPeer, QStringLiteral("127.0.0.2"));
        player = Accept(playerPeer, CClientSocket::kLocalAddress);
        playerPeer.setReadBufferSize(1);
    }

    std::unique_ptr<CClientSocket> Accept(QTcpSocket &peer, const QString &address)
    {
        peer.connectToHost(QHostAddress::LocalHost, listener.serverPort());
        listener.waitForNewConnection(5000);
        auto channel = std::make_unique<CClientSocket>(listener.nextPendingConnection());
        channel->addressText = address;
        channel->connectionState = CClientSocket::kAdmitted;
        channel->station = channels.Put(channel.get());
        return channel;
    }

    // One receive as the server handles it, and the end of its turn.
    void Handle(const QByteArray &bytes)
    {
        terminal->TakeReceived(bytes);
        dispatcher.DpfHandleMsg(*terminal);
        dispatcher.EndBatch(*terminal);
        dispatcher.EndTurn();
        relay.FlushPushes();
    }
};

Rig &TheRig()
{
    static Rig rig;
    return rig;
}

void KeyFloodOverAFullQueue(benchmark::State &state)
{
    Rig &rig = TheRig();
    const QByteArray burst = Packet::EncodeHeaderOnly(Cmd::RemoteControlKey, 0x3FF).repeated(1024);
    const qint64 peakBefore = PeakMemoryBytes();
    const qint64 pushesBefore = rig.relay.pushesSent();
    for (auto _ : state)
        rig.Handle(burst);
    state.counters["pushes_per_burst"] =
        double(rig.relay.pushesSent() - pushesBefore) / double(state.iterations());
    state.counters["peak_growth_MB"] = double(PeakMemoryBytes() - peakBefore) / 1e6;
}
BENCHMARK(KeyFloodOverAFullQueue)->Unit(benchmark::kMillisecond)->Iterations(20);

void TwentyNineListReplacesInOneReceive(benchmark::State &state)
{
    Rig &rig = TheRig();
    QByteArray burst;
    for (int i = 0; i < 29; ++i) {
        Packet::SetFavoriteList set{QStringLiteral("List %1").arg(i * 170), {}};
        set.numbers.fill(quint32(200000 + i));
        burst += set.Encode();
    }
    const qint64 savesBefore = rig.favorites.saves();
    for (auto _ : state) {
        rig.Handle(burst);
        rig.terminalPeer.readAll();
    }
    state.counters["saves_per_receive"] =
        double(rig.favorites.saves() - savesBefore) / double(state.iterations());
}
BENCHMARK(TwentyNineListReplacesInOneReceive)->Unit(benchmark::kMillisecond)->Iterations(10);

// Start-up with KeepQueue on: 5,000 kept entries read back into the queue.
void RestoreAFullKeptQueue(benchmark::State &state)
{
    Rig &rig = TheRig();
    const QString path = rig.dir.filePath(QStringLiteral("Queue.db"));
    {
        QueueJournal journal(rig.queue, path);
        journal.SetEnabled(true);
    }
    for (auto _ : state) {
        ReservationQueue queue(ReservationQueue::LookupIn(rig.catalogue));
        QueueJournal journal(queue, path);
        if (journal.Restore() != ReservationQueue::kCapacity)
            state.SkipWithError("the kept queue did not come back whole");
    }
}
BENCHMARK(RestoreAFullKeptQueue)->Unit(benchmark::kMillisecond)->Iterations(10);

// One add and its commit, as a terminal's add costs with KeepQueue on.
void AddWithItsCommit(benchmark::State &state)
{
    Rig &rig = TheRig();
    ReservationQueue queue(ReservationQueue::LookupIn(rig.catalogue));
    QueueJournal journal(queue, rig.dir.filePath(QStringLiteral("Adds.db")));
    journal.SetEnabled(true);
    for (auto _ : state) {
        queue.AddReservation(1, 0, 7, 0, 0, QStringLiteral("Guest"));
        journal.Commit();
        queue.DeleteReservation(7, -1, -1);
        journal.Commit();
    }
    state.SetLabel("an add and a delete, each committed");
}
BENCHMARK(AddWithItsCommit)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
