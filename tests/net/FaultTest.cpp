#include "tests/net/InProcessServer.h"

#include <QFile>
#include <QTcpSocket>
#include <algorithm>

namespace {

// A server with songs 1..100, under terminals that misbehave or crowd it.
class FaultTest : public InProcessServer
{
protected:
    void PrepareDataFolder() override
    {
        QByteArray list;
        for (int n = 1; n <= 100; ++n)
            list += QByteArray::number(n) + "|Title " + QByteArray::number(n * 37 % 100) +
                    "|Artist " + QByteArray::number(n % 7) + "\n";
        WriteFileBytes(home.dataFolder() + u"/orvabook.txt"_qs, list);
    }
    // The process's peak resident memory so far.
    static qint64 PeakMemoryBytes()
    {
        QFile status(u"/proc/self/status"_qs);
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
        return 0;
    }
    // Connects `socket` from `source` as a reader that takes one byte at a time
    // into a small receive buffer, and waits until the server has accepted it.
    void ConnectSlowReader(QTcpSocket &socket, const QHostAddress &source)
    {
        socket.setReadBufferSize(1);
        socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        ASSERT_TRUE(socket.bind(source, 0));
        socket.connectToHost(QHostAddress::LocalHost, app->server().port());
        ASSERT_TRUE(WaitForLog(u"Accepted ch"_qs));
    }
    // Channels that exist as objects, deleted ones gone once the loop ran.
    int LiveChannels()
    {
        Pump(20);
        return int(app->server().findChildren<CClientSocket *>().size());
    }
};

// Garbage, headers that can never fit, lengths that wrap, packets shorter
// than their layout and a peer that leaves mid-packet: the well-behaved
// terminal keeps its answers and the local client its pushes meanwhile.
TEST_F(FaultTest, HostileTerminalsCostTheOthersNothing)
{
    auto good = Terminal(0);
    auto local = Connect(QHostAddress::LocalHost);
    const QByteArray add = Reserve(55);
    // Each attack's name, its bytes, and whether it disconnects right after sending.
    const std::tuple<const char *, QByteArray, bool> attacks[] = {
        {"garbage", QByteArray(5000, '\x5A'), false},
        {"oversize", Hex("4F525641 00000140 00004000 00000000"), false},
        {"wrapping", Hex("4F525641 00000140 FFFFFFFF 00000000") + QByteArray(64, 'x'), false},
        {"short add", Hex("4F525641 00000140 00000004 00000000 000003E7"), false},
        {"short set", Hex("4F525641 00000142 00000008 00000009 00000001 0002"), false},
        {"mid-packet", add.left(30), true},
    };
    int n = 1;
    for (const auto &[name, bytes, leaves] : attacks) {
        SCOPED_TRACE(name);
        auto hostile = Terminal(n++);
        hostile->Send(bytes);
        if (leaves)
            hostile->Disconnect();
        EXPECT_EQ(Packet::NumberResult::Decode(Ask(*good, add)).number, 55u);
        // The last push shows the whole queue, the new reservation included.
        QList<quint32> pushed;
        EXPECT_TRUE(WaitUntil([&] {
            if (const auto packet = local->ReadPacket(50))
                pushed = QueuedNumbers(*packet);
            return pushed.size() == app->queue().count();
        }));
        EXPECT_EQ(pushed.count(55u), pushed.size());
        EXPECT_EQ(Ask(*good, ServerInfoRequest()).size(), Packet::ServerInfo::kSize);
    }
    // Song 999 is not in the catalogue, and a short set replaces nothing it lacks.
    EXPECT_EQ(app->queue().count(), 6);
    EXPECT_TRUE(good->IsConnected() && local->IsConnected());
}

// 500 connects and disconnects from changing addresses, some never sending a
// byte, some leaving mid-packet: afterwards the channel list, the terminal
// rows and the channel objects agree, and nothing is left behind.
TEST_F(FaultTest, ConnectStormLeavesTheListsConsistentAndNoChannelBehind)
{
    app->config().Users = 30;
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < 500; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->bind(TerminalAddress(i % 40), 0);
        socket->connectToHost(QHostAddress::LocalHost, app->server().port());
        if (i % 3 == 0)
            socket->write(Reserve(5).left(i % 60));
        open.push_back(std::move(socket));
        if (open.size() > 10) {
            open.erase(open.begin() + (i * 7 % 10));
            Pump(1);
        }
    }
    open.clear();
    ASSERT_TRUE(WaitUntil([&] { return app->channels().CountOthers(QString()) == 0; }, 10000));
    auto last = Terminal(0);
    ASSERT_TRUE(WaitUntil([&] { return app->clientRows().rowCount() == 1; }));
    EXPECT_EQ(LiveChannels(), 1);
    EXPECT_EQ(app->channels().CountOthers(QString()), 1);
    EXPECT_EQ(Ask(*last, ServerInfoRequest()).size(), Packet::ServerInfo::kSize);
}

// A terminal that asks for downloads and never reads is closed at the unsent
// allowance; another terminal downloading meanwhile gets every reply whole.
TEST_F(FaultTest, StalledDownloaderIsClosedWhileOthersDownload)
{
    QTcpSocket lazy;
    ConnectSlowReader(lazy, TerminalAddress(0));
    auto other = Terminal(1);
    QByteArray burst;
    for (int start = 0; start < 96; start += 8)
        burst += Packet::MultiDownload{start, 100}.Encode();
    const QString closed = u"Client[0] 0 (127.0.0.2) : connection closed."_qs;
    for (int round = 0; round < 2000 && CountLog(closed) == 0; ++round) {
        lazy.write(burst.repeated(20));
        const auto reply =
            Packet::MultiDownloadData::Decode(Ask(*other, Packet::MultiDownload{8, 100}.Encode()));
        ASSERT_EQ(reply.items.size(), 8);
        ASSERT_EQ(reply.items[0].number, u"9"_qs);
    }
    EXPECT_EQ(CountLog(closed), 1);
    EXPECT_EQ(LiveChannels(), 1);
}

// 31 terminals and the local client at once: pages, downloads, adds, deletes,
// favourite lists and keys, round after round. Every reply is right, and the
// queue ends as the requests imply.
TEST_F(FaultTest, ThirtyOneTerminalsAndTheLocalClientInAMixedWorkload)
{
    app->config().Users = 30;
    auto local = Connect(QHostAddress::LocalHost);
    std::vector<std::unique_ptr<MelodeckClient>> terminals;
    for (int i = 0; i < 31; ++i) {
        terminals.push_back(Terminal(i));
        terminals.back()->Send(Packet::SetBookView{i % 4, 20, 0, {}}.Encode());
    }
    const SongCatalogue &catalogue = app->catalogue();
    QList<quint32> expected;
    for (int round = 0; round < 12; ++round) {
        // Every terminal sends, then every terminal reads: the server sees them interleaved.
        std::vector<QByteArray> requests;
        for (int i = 0; i < 31; ++i) {
            const quint32 song = quint32(1 + (i * 3 + round) % 100);
            const QByteArray kinds[] = {
                Packet::RequestPage{1, i % 4}.Encode(),
                Packet::MultiDownload{i * 3, 100}.Encode(),
                Reserve(song),
                Reserve(song),
                Packet::RequestDel{song - 1, -1, -1}.Encode(),
                Packet::FavoriteName{u"T%1-%2"_qs.arg(i).arg(round)}.Encode(Cmd::NewFavoriteList)};
            requests.push_back(kinds[round % 6]);
            if (round % 6 == 2 || round % 6 == 3)
                expected.append(song);
            else if (round % 6 == 4)
                expected.removeOne(song - 1);
            terminals[size_t(i)]->Send(requests.back());
        }
        for (int i = 0; i < 31; ++i) {
            SCOPED_TRACE(u"round %1 terminal %2"_qs.arg(round).arg(i).toStdString());
            const QByteArray reply = terminals[size_t(i)]->ReadPacket(10000).value_or(QByteArray());
            const PacketHeader request{At(requests[size_t(i)], 4), 0, 0};
            switch (request.command) {
            case Cmd::RequestPage: {
                const auto page = Packet::PageData::Decode(reply);
                ASSERT_EQ(page.songs.size(), 20);
                EXPECT_EQ(page.songs[0].number,
                          catalogue.Record(catalogue.SongAt(i % 4, 20 * (round / 6 + 1))).number);
                break;
            }
            case Cmd::MultiDownload:
                EXPECT_EQ(Packet::MultiDownloadData::Decode(reply).items.value(0).number,
                          QString::number(i * 3 + 1));
                break;
            case Cmd::RequestAdd:
            case Cmd::RequestDel:
                EXPECT_EQ(Packet::NumberResult::Decode(reply).number, At(requests[size_t(i)], 16));
                break;
            default:
                EXPECT_TRUE(Packet::FavoriteResult::Decode(reply).ok);
            }
        }
        terminals[size_t(round)]->Send(Packet::EncodeHeaderOnly(Cmd::RemoteControlKey, 0x20));
        local->Drain(0); // keeps up with the pushes, as a player does
    }
    QList<quint32> queued = app->queue().Numbers(ReservationQueue::kCapacity);
    std::sort(queued.begin(), queued.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(queued, expected);
    EXPECT_EQ(app->favorites().listCount(), 2 * 31);
    ASSERT_TRUE(WaitForLog(u"RemoteControl Key (20)."_qs, 12));
    EXPECT_TRUE(local->IsConnected());
}

// A player that reads slowly while 1,024 queue-asking keys arrive in one burst
// over 5,000 reservations: it gets every key and the queue once per turn, not
// once per key, stays connected, and nothing waits for it past the allowance.
TEST_F(FaultTest, KeyFloodReachesASlowPlayerAsOnePushPerTurn)
{
    for (int n = 0; n < ReservationQueue::kCapacity; ++n)
        ASSERT_TRUE(app->queue().AddReservation(1, 0, quint32(1 + n % 100), 0, 0, u"G"_qs));
    QTcpSocket player;
    ConnectSlowReader(player, QHostAddress::LocalHost);
    auto t = Terminal(0);
    const qint64 peakBefore = PeakMemoryBytes();
    t->Send(Packet::EncodeHeaderOnly(Cmd::RemoteControlKey, 0x3FF).repeated(1024));
    ASSERT_TRUE(WaitForLog(u"RemoteControl Key (3ff)."_qs, 1024));
    Pump(100);
    CClientSocket *local = app->channels().LocalClient();
    ASSERT_NE(local, nullptr);
    EXPECT_LE(local->unsent(), CClientSocket::kMaxUnsent);
    EXPECT_LE(PeakMemoryBytes() - peakBefore, 10 << 20);

    // Twenty adds in one receive are one more push, sent once the player has caught up.
    QByteArray adds;
    for (quint32 n = 1; n <= 20; ++n)
        adds += Packet::RequestDel{n, -1, -1}.Encode();
    t->Send(adds);
    player.setReadBufferSize(0);
    QByteArray received;
    int keys = 0, pushes = 0;
    QList<quint32> last;
    const bool done = WaitUntil(
        [&] {
            received += player.readAll();
            while (received.size() >= 16 && received.size() >= 16 + At(received, 8)) {
                const QByteArray packet = received.left(16 + At(received, 8));
                received.remove(0, packet.size());
                if (At(packet, 4) == Cmd::RemoteControlKey) {
                    ++keys;
                } else {
                    ++pushes;
                    last = QueuedNumbers(packet);
                }
            }
            return keys == 1024 && last.size() == ReservationQueue::kCapacity - 20;
        },
        10000);
    EXPECT_TRUE(done) << keys << " keys, " << pushes << " pushes";
    EXPECT_LE(pushes, 3); // one for the burst (two if it took two reads), one for the deletes
    EXPECT_EQ(last, app->queue().Numbers(ReservationQueue::kCapacity));
    EXPECT_EQ(player.state(), QAbstractSocket::ConnectedState);
}

// Favourite lists replaced by 29 requests in one receive are saved once, and
// the file already holds all of them when the first reply arrives.
TEST_F(FaultTest, FavoriteListsOfOneReceiveCostOneSaveBeforeAnyReply)
{
    auto t = Terminal(0);
    QByteArray creates, sets;
    for (int i = 0; i < 29; ++i) {
        const QString name = u"L%1"_qs.arg(i);
        creates += Packet::FavoriteName{name}.Encode(Cmd::NewFavoriteList);
        Packet::SetFavoriteList set{name, {}};
        set.numbers[0] = quint32(100 + i);
        sets += set.Encode();
    }
    t->Send(creates);
    for (int i = 0; i < 29; ++i)
        ASSERT_TRUE(t->ReadPacket());
    const qint64 savesBefore = app->favorites().saves();
    t->Send(sets);
    ASSERT_TRUE(t->ReadPacket());
    const QString file = QString::fromUtf16(
        reinterpret_cast<const char16_t *>(ReadFileBytes(app->favorites().filePath()).constData()));
    for (int i = 0; i < 29; ++i)
        EXPECT_TRUE(file.contains(u"L%1|%2"_qs.arg(i).arg(100 + i))) << i;
    for (int i = 1; i < 29; ++i)
        ASSERT_TRUE(t->ReadPacket());
    EXPECT_EQ(app->favorites().saves() - savesBefore, 1);
}

} // namespace
