#include "tests/net/InProcessServer.h"

using DispatcherTest = InProcessServer;

// Song count and timestamp of the catalogue loaded at start, then the queue
// options: the Tempo option in byte 29, the low byte of Remocon, no Confirm.
TEST_F(DispatcherTest, ServerInfoCarriesTheCatalogueAndTheQueueOptionsInTheirBytes)
{
    QueConfig &config = app->config();
    config = QueConfig{};
    config.Tempo = config.Uname = config.Confirm = true;
    config.Remocon = 0x101;
    auto t = Terminal(0);
    const QByteArray stamp = QByteArray::number(app->catalogue().timestamp(), 16);
    EXPECT_EQ(Ask(*t, ServerInfoRequest()), Hex("4F525641 00008110 00000010 00000000 00000002") +
                                                Hex(stamp.rightJustified(16, '0')) +
                                                Hex("00 01 00 00 01 01 0000"));
}

// Each add and delete answers with its number (an add with 0 when nothing was
// added) and pushes the queue to the local client, changed or not.
TEST_F(DispatcherTest, ReservationsAnswerTheirNumberAndPushTheQueue)
{
    auto local = Connect(QHostAddress::LocalHost);
    auto t = Terminal(0); // station 1
    using Add = Packet::RequestAdd;
    using Del = Packet::RequestDel;
    const std::tuple<QByteArray, quint32, quint32, QList<quint32>> steps[] = {
        {Reserve(12), Cmd::AddResult, 12, {12}},
        {Reserve(99), Cmd::AddResult, 0, {12}}, // not in the catalogue
        {Add{1, 7, -3, 2, u"Zoë"_qs}.Encode(), Cmd::AddResult, 7, {7, 12}},
        {Reserve(12, 5), Cmd::AddResult, 12, {7, 12, 12}},
        {Del{12, -1, -1}.Encode(), Cmd::DelResult, 12, {7, 12}},
        {Del{999, 1, 2}.Encode(), Cmd::DelResult, 999, {7}}, // an index wins over the number
        {Del{7, 0, 5}.Encode(), Cmd::DelResult, 7, {7}},     // stale count
    };
    for (const auto &[request, command, number, queue] : steps) {
        SCOPED_TRACE(command);
        const QByteArray reply = Ask(*t, request);
        EXPECT_EQ(reply, Packet::NumberResult{number}.Encode(command));
        EXPECT_EQ(Pushed(*local), queue);
    }
    EXPECT_EQ(app->queue().rows().row(0).mid(3),
              (QStringList{"1", "7", "Seven", "Sailors", "-3", "2", u"Zoë"_qs}));
    EXPECT_EQ(CountLog(u"Requested add number 7, pitch -3, tempo 2, name Zoë."_qs), 1);
    EXPECT_EQ(CountLog(u"Requested del pcx 1 number 999, index 1, count 2."_qs), 1);

    // A full queue answers 0 and still pushes.
    while (app->queue().count() < ReservationQueue::kCapacity)
        ASSERT_TRUE(app->queue().AddReservation(3, 0, 7, 0, 0, QString()));
    EXPECT_EQ(Ask(*t, Reserve(12)), Packet::NumberResult{0}.Encode(Cmd::AddResult));
    EXPECT_EQ(Pushed(*local).size(), ReservationQueue::kCapacity);
}

// A replacing set is written for the sender's station, then an edit changes
// that station's entry; neither is answered or pushed to the local client.
TEST_F(DispatcherTest, RequestSetReplacesOrEditsTheQueueSilently)
{
    auto local = Connect(QHostAddress::LocalHost);
    auto t = Terminal(0); // station 1
    using Set = Packet::QueueWire;
    t->Send(
        Set{1, {{7, 3, 4, 9, 0, u"Bo"_qs}, {12, -1, 0, 9, 1, u"Cy"_qs}}}.Encode(Cmd::RequestSet) +
        Set{0, {{12, 5, -2, 9, 1, u"Dee"_qs}}}.Encode(Cmd::RequestSet));
    ASSERT_TRUE(WaitForLog(u"Requested set result 1."_qs));
    EXPECT_EQ(CountLog(u"Requested set result 65538."_qs), 1);
    ASSERT_EQ(app->queue().count(), 2);
    EXPECT_EQ(app->queue().rows().row(0).mid(3),
              (QStringList{"1", "7", "Seven", "Sailors", "3", "4", "Bo"}));
    EXPECT_EQ(app->queue().rows().row(1).mid(3),
              (QStringList{"1", "12", "Love Song", "Singer", "5", "-2", "Dee"}));
    EXPECT_TRUE(t->Drain(50).isEmpty());
    EXPECT_TRUE(local->Drain(0).isEmpty());
}

// Keys go to the local client only, 0x3FF followed by the queue; the last
// number key comes back in every book list.
TEST_F(DispatcherTest, KeysAreRelayedAndTheNumberKeyReturnsInBookList)
{
    const auto header = [](quint32 command, quint32 param = 0) {
        return Packet::EncodeHeaderOnly(command, param);
    };
    auto t = Terminal(0);
    t->Send(header(Cmd::RemoteControlKey, 0x3FF) + header(Cmd::RemoconNumberKey, 0xFFFFFFFF));
    ASSERT_TRUE(WaitForLog(u"Remocon NumberKey (-1)."_qs));
    EXPECT_EQ(CountLog(u"RemoteControl Key (3ff)."_qs), 1); // no local client: dropped
    EXPECT_EQ(At(Ask(*t, header(Cmd::RequestBookList)), 16), 0xFFFFFFFFu);

    auto local = Connect(QHostAddress::LocalHost);
    t->Send(header(Cmd::RemoteControlKey, 0x0A));
    EXPECT_EQ(local->ReadPacket().value_or(QByteArray()),
              Hex("4F525641 00000400 00000000 0000000A"));
    EXPECT_EQ(CountLog(u"RemoteControl Key (a)."_qs), 1);
    ASSERT_TRUE(app->queue().AddReservation(0, 0, 12, 0, 0, QString()));
    ASSERT_TRUE(app->queue().AddReservation(0, 0, 7, 0, 0, QString()));
    t->Send(header(Cmd::RemoteControlKey, 0x3FF));
    EXPECT_EQ(At(local->ReadPacket().value_or(QByteArray()), 12), 0x3FFu);
    EXPECT_EQ(Pushed(*local), (QList<quint32>{12, 7}));

    t->Send(header(Cmd::RemoconNumberKey, 42));
    EXPECT_EQ(Ask(*t, header(Cmd::RequestBookList)),
              Hex("4F525641 00008410 00000080 00000000 0000002A 0000000C 00000007") +
                  QByteArray(116, '\0'));
    EXPECT_EQ(CountLog(u"Remocon NumberKey (42)."_qs), 1);
    EXPECT_TRUE(local->Drain(50).isEmpty());
}

TEST_F(DispatcherTest, BookListIsLoggedOncePerStationAndQueueLength)
{
    auto a = Terminal(0), b = Terminal(1);
    const QByteArray request = Packet::EncodeHeaderOnly(Cmd::RequestBookList);
    for (MelodeckClient *asker : {a.get(), a.get(), b.get()})
        Ask(*asker, request);
    Ask(*b, Reserve(12));
    Ask(*b, request);
    EXPECT_EQ(LogLines(u"RequestBookList"_qs),
              (QStringList{"RequestBookList 0 (0).", "RequestBookList 1 (0).",
                           "RequestBookList 1 (1)."}));
}

// Each favourite-list command answers with its own 16-byte reply: param 0 on
// success, 1 on failure.
TEST_F(DispatcherTest, FavoriteListCommandsAnswerTheirResults)
{
    auto t = Terminal(0);
    using Add = Packet::AddFavorite;
    using Name = Packet::FavoriteName;
    const Packet::SetFavoriteList kids{u"Kids"_qs, {3, 2}};
    const std::tuple<QByteArray, quint32, quint32> steps[] = {
        {Add{1, u"Party"_qs}.Encode(Cmd::AddFavoriteList), Cmd::FavoriteResultAdd, 1},
        {Name{u"Party"_qs}.Encode(Cmd::NewFavoriteList), Cmd::FavoriteResultNew, 0},
        {Name{u"Party"_qs}.Encode(Cmd::NewFavoriteList), Cmd::FavoriteResultNew, 1},
        {Add{1203, u"Party"_qs}.Encode(Cmd::AddFavoriteList), Cmd::FavoriteResultAdd, 0},
        {Add{45, u"Nobody"_qs}.Encode(Cmd::AddFavoriteList), Cmd::FavoriteResultAdd, 1},
        {kids.Encode(), Cmd::FavoriteResultSet, 1},
        // Creates Kids with song 7, then replaces its songs; adds 45 to the existing Party.
        {Add{7, u"Kids"_qs}.Encode(Cmd::AddFavoriteCreate) +
             Add{45, u"Party"_qs}.Encode(Cmd::AddFavoriteCreate) + kids.Encode(),
         Cmd::FavoriteResultSet, 0},
    };
    for (const auto &[request, command, failed] : steps) {
        SCOPED_TRACE(command);
        EXPECT_EQ(Ask(*t, request), MelodeckClient::Request(command, failed));
    }
    // Replacing a list saves the file at once.
    EXPECT_EQ(CountLog(u"(Kids, Kids) result 0."_qs), 1);
    EXPECT_EQ(ReadFileBytes(app->favorites().filePath()),
              Utf16Le(u"Party|1203,45\r\nKids|3,2\r\n", true));

    // Found: byte 15 is 0, then the numbers; not found: 1 and 128 zeros.
    EXPECT_EQ(Ask(*t, Name{u"Party"_qs}.Encode(Cmd::RequestFavoriteList)),
              Hex("4F525641 00008200 00000200 00000000 000004B3 0000002D") + QByteArray(504, '\0'));
    EXPECT_EQ(Ask(*t, Name{u"none"_qs}.Encode(Cmd::RequestFavoriteList)).mid(8),
              Hex("00000200 00000001") + QByteArray(512, '\0'));
}
