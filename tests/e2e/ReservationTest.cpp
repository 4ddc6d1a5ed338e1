#include "client/MelodeckClient.h"
#include "protocol/PacketHeader.h"
#include "tests/support/Requests.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// The song numbers of a QueueList, in order.
QList<quint32> QueueNumbers(const QByteArray &queueList)
{
    QList<quint32> numbers;
    const int n = qFromBigEndian<quint16>(queueList.constData() + 14);
    for (int i = 0; i < n && 16 + 52 * i + 4 <= queueList.size(); ++i)
        numbers.append(qFromBigEndian<quint32>(queueList.constData() + 16 + 52 * i));
    return numbers;
}

quint32 Command(const QByteArray &packet)
{
    return packet.size() >= 8 ? qFromBigEndian<quint32>(packet.constData() + 4) : 0;
}

// A server with a small catalogue, a terminal at station 0 (127.0.0.2) and
// the local client at station 1.
class Reservations : public ::testing::Test
{
protected:
    void SetUp() override
    {
        server.WriteDataFile(QStringLiteral("orvabook.txt"),
                             "\xEF\xBB\xBF"
                             "1234|Love Song|Singer\r\n45|Second Song|Band\r\n"
                             "1203|Party Song|Crowd\r\n7|Seven|Sailors\r\n");
        ASSERT_TRUE(server.Start());
        ASSERT_TRUE(server.WaitForLog(QStringLiteral("loaded 4 songs")));
        ASSERT_TRUE(terminal.Connect(QHostAddress::LocalHost, server.port(), TerminalAddress(0)));
        ASSERT_TRUE(server.WaitForLog(QStringLiteral("Accepted ch")));
        ConnectLocal();
    }
    void ConnectLocal()
    {
        const int before = server.CountLog(QStringLiteral("Accepted ch"));
        ASSERT_TRUE(local.Connect(QHostAddress::LocalHost, server.port(), QHostAddress::LocalHost));
        ASSERT_TRUE(
            WaitUntil([&] { return server.CountLog(QStringLiteral("Accepted ch")) > before; }));
    }
    // Sends a request and returns the terminal's reply.
    QByteArray Ask(const QByteArray &request)
    {
        terminal.Send(request);
        return terminal.ReadPacket().value_or(QByteArray());
    }
    QList<quint32> PushedQueue()
    {
        const QByteArray packet = local.ReadPacket().value_or(QByteArray());
        EXPECT_EQ(Command(packet), Cmd::QueueList);
        return QueueNumbers(packet);
    }

    ServerProcess server;
    MelodeckClient terminal;
    MelodeckClient local;
};

} // namespace

TEST_F(Reservations, AddTravelsToTheLocalClientByteForByte)
{
    // Song 1234, pitch -2, tempo 0, customer "Abc", appended.
    const QByteArray request = QByteArray::fromHex(
        "4F525641 00000140 00000034 00000000 000004D2 FFFFFFFE 00000000 004100620063"
        "0000000000000000000000000000000000000000000000000000000000000000 0000");
    ASSERT_EQ(request.size(), 68);
    EXPECT_EQ(Ask(request).toHex().toStdString(),
              "4f525641000081400000003400000000000004d2" + std::string(96, '0'));
    const auto pushed = local.ReadPacket();
    ASSERT_TRUE(pushed.has_value());
    EXPECT_EQ(pushed->toHex().toStdString(),
              "4f525641000081420000003400010001" // QueueList, 52 bytes, one entry
              "000004d2"
              "fffe"
              "0000"
              "0000"
              "0000" // number, pitch, tempo, station, index
              "004100620063" +
                  std::string(68, '0'));
    EXPECT_TRUE(server.WaitForLog(
        QStringLiteral("Requested add number 1234, pitch -2, tempo 0, name Abc.")));

    // A song missing from the catalogue answers 0 and still pushes the queue.
    EXPECT_EQ(qFromBigEndian<quint32>(Ask(Add(99999)).constData() + 16), 0u);
    EXPECT_EQ(PushedQueue(), (QList<quint32>{1234}));
    // At the head.
    EXPECT_EQ(qFromBigEndian<quint32>(Ask(Add(45, 0, 0, {}, 1)).constData() + 16), 45u);
    EXPECT_EQ(PushedQueue(), (QList<quint32>{45, 1234}));
}

TEST_F(Reservations, ServerInfoReportsTheLoadedCatalogue)
{
    const QString summary = server.LogLines().filter(QStringLiteral("loaded 4 songs")).value(0);
    const QString stamp = summary.section(u'\t', 1).section(u' ', 1, 1).chopped(1);
    const QByteArray info = Ask(MelodeckClient::Request(Cmd::RequestServerInfo));
    ASSERT_EQ(info.size(), 36);
    EXPECT_EQ(At(info, 16), 4u);
    EXPECT_EQ(At(info, 20), 0u);
    EXPECT_EQ(At(info, 24), stamp.toUInt(nullptr, 16)) << summary.toStdString();
}

TEST_F(Reservations, DeletesByNumberAndByIndexAnswerTheNumberAndPush)
{
    for (quint32 number : {1234u, 45u, 1234u, 7u}) {
        Ask(Add(number));
        PushedQueue();
    }
    const QByteArray byNumber = Ask(Del(1234, -1, -1));
    EXPECT_EQ(Command(byNumber), Cmd::DelResult);
    EXPECT_EQ(byNumber.size(), 68);
    EXPECT_EQ(qFromBigEndian<quint32>(byNumber.constData() + 16), 1234u);
    EXPECT_EQ(PushedQueue(), (QList<quint32>{45, 1234, 7}));

    Ask(Del(999, 1, 3)); // the index form ignores the number
    EXPECT_EQ(PushedQueue(), (QList<quint32>{45, 7}));
    EXPECT_EQ(qFromBigEndian<quint32>(Ask(Del(45, 0, 5)).constData() + 16), 45u); // stale count
    EXPECT_EQ(PushedQueue(), (QList<quint32>{45, 7}));
    Ask(Del(7, 9, 2)); // index beyond the queue: refused
    EXPECT_EQ(PushedQueue(), (QList<quint32>{45, 7}));
    EXPECT_TRUE(
        server.WaitForLog(QStringLiteral("Requested del pcx 0 number 999, index 1, count 3.")));
}

TEST_F(Reservations, LocalClientEditsAndReplacesTheQueue)
{
    Ask(Add(1234, 1, 2, QStringLiteral("Ann")));
    PushedQueue();
    // Replace: two entries written by the local client (station 1).
    QByteArray entries;
    entries += U32(7) + QByteArray::fromHex("0003 0004 0000 0000") + Name(QStringLiteral("Bo"));
    entries += U32(45) + QByteArray::fromHex("FFFF 0000 0000 0001") + Name(QStringLiteral("Cy"));
    local.Send(MelodeckClient::Request(Cmd::RequestSet, 0x00010002, entries));
    EXPECT_TRUE(server.WaitForLog(QStringLiteral("Requested set result 65538.")));
    EXPECT_TRUE(local.Drain(50).isEmpty()); // no reply and no push

    // Edit in place: the entry at index 1 belongs to the local client's station.
    QByteArray edit =
        U32(45) + QByteArray::fromHex("0005 FFFE 0000 0001") + Name(QStringLiteral("Dee"));
    local.Send(MelodeckClient::Request(Cmd::RequestSet, 0x00000001, edit));
    // Connections are served in no fixed order: let each request land before the next.
    const QString editLine = QStringLiteral("Requested set result 1.");
    ASSERT_TRUE(WaitUntil([&] { return server.CountLog(editLine) == 1; }));
    // The terminal's own edit of an entry of another station changes nothing.
    QByteArray foreign =
        U32(7) + QByteArray::fromHex("0009 0009 0000 0000") + Name(QStringLiteral("X"));
    terminal.Send(MelodeckClient::Request(Cmd::RequestSet, 0x00000001, foreign));
    ASSERT_TRUE(WaitUntil([&] { return server.CountLog(editLine) == 2; }));

    terminal.Send(MelodeckClient::Request(Cmd::RemoteControlKey, 0x3FF));
    EXPECT_EQ(Command(local.ReadPacket().value_or(QByteArray())), Cmd::RemoteControlKey);
    const QByteArray queue = local.ReadPacket().value_or(QByteArray());
    ASSERT_EQ(queue.size(), 16 + 2 * 52);
    EXPECT_EQ(queue.mid(16, 12).toHex().toStdString(), "00000007000300040001"
                                                       "0000");
    EXPECT_EQ(queue.mid(68, 12).toHex().toStdString(), "0000002d0005fffe0001"
                                                       "0001");
    EXPECT_EQ(queue.mid(80, 6).toHex().toStdString(), "004400650065");
}

TEST_F(Reservations, KeysAreRelayedAndTheNumberKeyReturnsInBookList)
{
    terminal.Send(MelodeckClient::Request(Cmd::RemoteControlKey, 0x0A));
    const auto key = local.ReadPacket();
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->toHex().toStdString(), "4f525641"
                                          "00000400"
                                          "00000000"
                                          "0000000a");
    EXPECT_TRUE(server.WaitForLog(QStringLiteral("RemoteControl Key (a).")));
    EXPECT_TRUE(terminal.Drain(50).isEmpty()); // nothing back to the sender

    Ask(Add(1203));
    PushedQueue();
    Ask(Add(7));
    PushedQueue();
    terminal.Send(MelodeckClient::Request(Cmd::RemoconNumberKey, 42));
    EXPECT_TRUE(server.WaitForLog(QStringLiteral("Remocon NumberKey (42).")));
    const QByteArray bookList = Ask(MelodeckClient::Request(Cmd::RequestBookList));
    ASSERT_EQ(bookList.size(), 144);
    EXPECT_EQ(bookList.mid(8, 20).toHex().toStdString(), "00000080"
                                                         "00000000"
                                                         "0000002a"
                                                         "000004b3"
                                                         "00000007");
    EXPECT_EQ(bookList.mid(28), QByteArray(116, '\0'));
    Ask(MelodeckClient::Request(Cmd::RequestBookList));
    EXPECT_EQ(server.CountLog(QStringLiteral("RequestBookList 0 (2).")), 1);
}

TEST_F(Reservations, QueueStopsAtFiveThousandEntries)
{
    local.Disconnect(); // 5,000 pushes of a growing queue are not the point here
    ASSERT_TRUE(server.WaitForLog(QStringLiteral("(127.0.0.1) : connection closed.")));
    QByteArray batch;
    for (int i = 0; i < 100; ++i)
        batch += Add(7);
    for (int round = 0; round < 50; ++round) {
        terminal.Send(batch);
        for (int i = 0; i < 100; ++i)
            ASSERT_TRUE(terminal.ReadPacket(10000).has_value());
    }
    const QByteArray refused = Ask(Add(7));
    EXPECT_EQ(qFromBigEndian<quint32>(refused.constData() + 16), 0u);
    const QByteArray bookList = Ask(MelodeckClient::Request(Cmd::RequestBookList));
    EXPECT_TRUE(server.WaitForLog(QStringLiteral("RequestBookList 0 (5000).")));
    EXPECT_EQ(qFromBigEndian<quint32>(bookList.constData() + 140), 7u); // 31 numbers carried
}

TEST_F(Reservations, FavoriteListsAnswerAndSurviveARestart)
{
    auto result = [&](const QByteArray &request) {
        const QByteArray reply = Ask(request);
        EXPECT_EQ(reply.size(), 16);
        return qFromBigEndian<quint32>(reply.constData() + 12);
    };
    EXPECT_EQ(result(MelodeckClient::Request(Cmd::AddFavoriteList, 0,
                                             U32(1) + Name(QStringLiteral("Party")))),
              1u);
    EXPECT_EQ(
        result(MelodeckClient::Request(Cmd::NewFavoriteList, 0, Name(QStringLiteral("Party")))),
        0u);
    EXPECT_EQ(
        result(MelodeckClient::Request(Cmd::NewFavoriteList, 0, Name(QStringLiteral("Party")))),
        1u);
    for (quint32 number : {1203u, 45u})
        EXPECT_EQ(result(MelodeckClient::Request(Cmd::AddFavoriteList, 0,
                                                 U32(number) + Name(QStringLiteral("Party")))),
                  0u);
    EXPECT_EQ(result(MelodeckClient::Request(Cmd::AddFavoriteList, 0,
                                             U32(5) + Name(QStringLiteral("Nobody")))),
              1u);
    terminal.Send(
        MelodeckClient::Request(Cmd::AddFavoriteCreate, 0, U32(7) + Name(QStringLiteral("Kids"))));
    EXPECT_TRUE(server.WaitForLog(QStringLiteral("add favorite list(Kids 7).")));

    const QByteArray party =
        Ask(MelodeckClient::Request(Cmd::RequestFavoriteList, 0, Name(QStringLiteral("Party"))));
    ASSERT_EQ(party.size(), 528);
    EXPECT_EQ(party.mid(8, 16).toHex().toStdString(), "00000200"
                                                      "00000000"
                                                      "000004b3"
                                                      "0000002d");
    const QByteArray none =
        Ask(MelodeckClient::Request(Cmd::RequestFavoriteList, 0, Name(QStringLiteral("none"))));
    EXPECT_EQ(none.mid(12), QByteArray::fromHex("00000001") + QByteArray(512, '\0'));

    // Replacing writes the file at once.
    QByteArray songs = U32(3) + U32(2) + QByteArray(504, '\0');
    EXPECT_EQ(result(MelodeckClient::Request(Cmd::SetFavoriteList, 0,
                                             Name(QStringLiteral("Kids")) + songs)),
              0u);
    EXPECT_TRUE(server.WaitForLog(QStringLiteral("(Kids, Kids) result 0.")));
    const QByteArray expectedFile =
        QByteArray::fromHex("FFFE") +
        QByteArray(reinterpret_cast<const char *>(u"Party|1203,45\r\nKids|3,2\r\n"), 50);
    EXPECT_EQ(ReadFileBytes(server.DataFile(QStringLiteral("Favorite.txt"))), expectedFile);

    // A list created later reaches the file when the server is stopped.
    result(MelodeckClient::Request(Cmd::NewFavoriteList, 0, Name(QStringLiteral("Late"))));
    EXPECT_EQ(server.Stop(SIGTERM), 0);
    EXPECT_EQ(ReadFileBytes(server.DataFile(QStringLiteral("Favorite.txt"))),
              expectedFile + QByteArray(reinterpret_cast<const char *>(u"Late|\r\n"), 14));

    ServerProcess again;
    again.WriteDataFile(QStringLiteral("Favorite.txt"),
                        ReadFileBytes(server.DataFile(QStringLiteral("Favorite.txt"))));
    ASSERT_TRUE(again.Start());
    MelodeckClient t;
    ASSERT_TRUE(t.Connect(QHostAddress::LocalHost, again.port(), TerminalAddress(0)));
    t.Send(MelodeckClient::Request(Cmd::RequestFavoriteList, 0, Name(QStringLiteral("Kids"))));
    const QByteArray kids = t.ReadPacket().value_or(QByteArray());
    ASSERT_EQ(kids.size(), 528);
    EXPECT_EQ(kids.mid(12, 12).toHex().toStdString(), "00000000"
                                                      "00000003"
                                                      "00000002");
}
