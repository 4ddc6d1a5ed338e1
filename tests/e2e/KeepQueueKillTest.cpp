#include "client/MelodeckClient.h"
#include "protocol/QueueWire.h"
#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "tests/support/ServerProcess.h"

#include <QRandomGenerator>
#include <QTcpSocket>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

constexpr int kTerminals = 31;
constexpr quint32 kNumbersEach = 2000; // terminal t reserves 1 + t * 2000 + k

// One terminal adding and deleting as fast as the server answers: at most one
// request in flight, and what its answers prove about the queue.
struct Driver
{
    QTcpSocket socket;
    QByteArray received;
    quint32 next = 0;     // the next number of its own to reserve
    quint32 inFlight = 0; // the number of the request awaiting its answer
    bool inFlightAdd = false;
    std::deque<quint32>
        acked; // in the queue, in order: acknowledged adds, minus acknowledged deletes
    std::set<quint32> maybe; // asked for but unanswered: there or not

    void SendNext(int t)
    {
        const quint32 base = 1 + quint32(t) * kNumbersEach;
        inFlightAdd = acked.size() < 12 || next % 3 != 0;
        if (inFlightAdd && next < kNumbersEach) {
            inFlight = base + next++;
            socket.write(Packet::RequestAdd{0, inFlight, 0, 0, QString()}.Encode());
        } else {
            inFlightAdd = false;
            ++next;
            inFlight = acked.front();
            socket.write(Packet::RequestDel{inFlight, -1, -1}.Encode());
        }
    }
    // Takes the answers that arrived; each proves its request done.
    void Read(int t)
    {
        received += socket.readAll();
        while (received.size() >= Packet::NumberResult::kSize) {
            const quint32 number = Packet::NumberResult::Decode(received).number;
            received.remove(0, Packet::NumberResult::kSize);
            if (inFlightAdd && number == inFlight)
                acked.push_back(inFlight);
            else if (!inFlightAdd)
                std::erase(acked, inFlight);
            inFlight = 0;
            SendNext(t);
        }
    }
};

// The queue as the player receives it when it connects: the numbers in order.
QList<quint32> QueueSeenByThePlayer(quint16 port)
{
    MelodeckClient player;
    if (!player.Connect(QHostAddress::LocalHost, port))
        return {};
    QList<quint32> numbers;
    for (const QueueItem &item :
         Packet::QueueWire::Decode(player.ReadPacket(10000).value_or(QByteArray())).items)
        numbers.append(item.number);
    return numbers;
}

} // namespace

// While 31 terminals add and delete as fast as they can, the server is killed
// at 50 random moments and started again. Each time the queue it brings back
// holds every acknowledged add that no acknowledged delete removed, each
// terminal's in its order, and nothing the terminals never asked for.
TEST(KeepQueue, KilledAtRandomMomentsKeepsEveryAcknowledgedChange)
{
    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    QRandomGenerator random(seed);
    ServerProcess server;
    QByteArray book;
    for (quint32 n = 1; n <= kTerminals * kNumbersEach; ++n)
        book += QByteArray::number(n) + "|S|A\n";
    server.WriteDataFile(u"orvabook.txt"_qs, book);
    server.WriteDataFile(u"Moxi.ini"_qs, "[QueConfig]\r\nUsers=30\r\n[Venue]\r\nKeepQueue=1\r\n");
    std::vector<std::unique_ptr<Driver>> drivers;
    for (int t = 0; t < kTerminals; ++t)
        drivers.push_back(std::make_unique<Driver>());
    const quint16 port = FreePort();
    int acknowledged = 0;
    for (int kill = 0; kill < 50; ++kill) {
        SCOPED_TRACE(kill);
        ASSERT_TRUE(server.Launch(port));
        ASSERT_TRUE(server.WaitForLog(u"MelodeckServer started port"_qs, 20000));
        const QList<quint32> restored = QueueSeenByThePlayer(port);
        ASSERT_EQ(restored.size(), server.CountLog(u"Restored "_qs) ? restored.size() : 0);
        // Every terminal's acknowledged entries, in order; nothing unasked.
        for (int t = 0; t < kTerminals; ++t) {
            Driver &d = *drivers[size_t(t)];
            QList<quint32> mine;
            for (quint32 n : restored)
                if ((n - 1) / kNumbersEach == quint32(t))
                    mine.append(n);
            QList<quint32> known;
            for (quint32 n : mine) {
                if (std::find(d.acked.begin(), d.acked.end(), n) != d.acked.end())
                    known.append(n);
                else
                    ASSERT_TRUE(d.maybe.count(n)) << n << " was never asked for";
            }
            ASSERT_EQ(known, QList<quint32>(d.acked.begin(), d.acked.end())) << "terminal " << t;
            // From here on the restored queue is what the terminal knows.
            d.acked.assign(mine.begin(), mine.end());
            d.maybe.clear();
            acknowledged += int(mine.size());
        }
        for (int t = 0; t < kTerminals; ++t) {
            Driver &d = *drivers[size_t(t)];
            d.socket.abort();
            d.received.clear();
            d.socket.bind(TerminalAddress(t));
            d.socket.connectToHost(QHostAddress::LocalHost, port);
            QObject::disconnect(&d.socket, nullptr, nullptr, nullptr);
            QObject::connect(&d.socket, &QTcpSocket::readyRead, [&d, t] { d.Read(t); });
            QObject::connect(&d.socket, &QTcpSocket::connected, [&d, t] { d.SendNext(t); });
        }
        Pump(int(20 + random.bounded(150)));
        server.process().kill();
        ASSERT_TRUE(server.process().waitForFinished(5000));
        for (auto &d : drivers) {
            d->Read(int(&d - &drivers[0]));
            // An unanswered add may have landed, an unanswered delete may have removed.
            if (d->inFlight)
                d->maybe.insert(d->inFlight);
            if (d->inFlight && !d->inFlightAdd)
                std::erase(d->acked, d->inFlight);
            d->inFlight = 0;
        }
    }
    EXPECT_GT(acknowledged, 0);
}
