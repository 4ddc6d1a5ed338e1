#include "queue/QueueJournal.h"
#include "tests/web/WebServer.h"
#include "web/LivePush.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>

namespace {

QJsonObject JsonOf(const HttpReply &reply)
{
    return QJsonDocument::fromJson(reply.body).object();
}

// Every route, wrong method and unknown path answers with its status and a
// readable JSON reason; the first answer gives the guest a strict cookie.
TEST_F(WebServerTest, RoutesAnswerWithStatusAndReason)
{
    const struct
    {
        QByteArray method, path, body;
        int status;
        const char *contains;
    } cases[] = {
        {"GET", "/api/info", {}, 200, "\"songCount\":3"},
        {"GET", "/api/songs?q=LOVE", {}, 200, "\"title\":\"Love Song\""},
        {"GET", "/api/songs?q=%D0%B7%D0%B2%D0%B5%D0%B7", {}, 200, "\"number\":30"},
        {"GET", "/api/songs?size=101", {}, 400, "size must be a number from 1 to 100"},
        {"GET", "/api/songs?page=x", {}, 400, "page must be"},
        {"GET", "/api/queue", {}, 200, "\"count\":0"},
        {"GET", "/", {}, 200, "<!DOCTYPE html>"},
        {"GET", "/screen", {}, 200, "id=\"qr\""},
        {"GET", "/guest.js", {}, 200, "textContent"},
        {"GET", "/qr.svg", {}, 200, "<svg"},
        {"GET", "/nowhere", {}, 404, "there is no page"},
        {"GET", "/../web/guest.html", {}, 404, "there is no page"},
        {"GET", "/%2e%2e/%2e%2e/etc/passwd", {}, 404, "there is no page"},
        {"GET", "/:/web/guest.js", {}, 404, "there is no page"},
        {"PUT", "/api/queue", {}, 405, "takes only GET"},
        {"GET", "/api/requests", {}, 405, "takes only POST"},
        {"POST", "/api/requests/3", "{}", 405, "takes only DELETE"},
        {"POST", "/api/requests", "{\"number\":", 400, "not a JSON object"},
        {"POST", "/api/requests", "[12]", 400, "not a JSON object"},
        {"POST", "/api/requests", "{\"number\":\"12\"}", 400, "number must be a song number"},
        {"POST", "/api/requests", "{\"number\":1234}", 404, "song 1234 is not in the song book"},
        {"DELETE", "/api/requests/77", {}, 404, "not in the queue any more"},
        {"DELETE", "/api/requests/x", {}, 404, "there is no request"},
        {"GET", "/api/live", {}, 426, "WebSocket"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.method + ' ' + c.path).toStdString());
        const HttpReply reply = Http(c.method, c.path, c.body);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_TRUE(reply.body.contains(c.contains)) << reply.body.left(300).toStdString();
        EXPECT_TRUE(reply.head.contains("; Path=/; HttpOnly; SameSite=Strict"))
            << reply.head.data();
    }
    const QByteArray cookie = NewGuest();
    EXPECT_FALSE(Http("GET", "/api/info", {}, cookie).head.contains("Set-Cookie"));
}

// A web request is an ordinary entry under the web's station: in the
// window's rows, in the player's push, in the log, with the place in the queue.
TEST_F(WebServerTest, RequestIsQueuedLikeATerminalsAdd)
{
    app->venue().KeepQueue = true;
    app->ApplyVenueRules();
    auto local = Connect(QHostAddress::LocalHost);
    EXPECT_EQ(Pushed(*local), QList<quint32>()); // the kept queue, sent as it connects
    auto terminal = Terminal(0);
    EXPECT_EQ(Packet::NumberResult::Decode(Ask(*terminal, Reserve(7))).number, 7u);
    EXPECT_EQ(Pushed(*local), QList<quint32>({7}));
    const QByteArray guest = NewGuest();
    const HttpReply reply = Request(guest, 12, ",\"key\":3,\"tempo\":-2");
    ASSERT_EQ(reply.status, 201) << reply.body.data();
    EXPECT_EQ(JsonOf(reply).value(u"position").toInt(), 2);
    EXPECT_EQ(Pushed(*local), QList<quint32>({7, 12}));
    const QueueEntry &entry = app->queue().entry(1);
    EXPECT_EQ(entry.station, 99u);
    EXPECT_EQ(entry.pitch, 3);
    EXPECT_EQ(entry.tempo, -2);
    EXPECT_EQ(app->queue().rows().cell(1, ReservationQueue::CustomerColumn), u"Ann"_qs);
    EXPECT_EQ(LastLog(), u"Web request number 12, pitch 3, tempo -2, name Ann from 127.0.0.1."_qs);
    // Kept like a terminal's add: the next start gets it back.
    app->journal().SetEnabled(false); // lets go of the file, deleting nothing
    ReservationQueue kept(ReservationQueue::LookupIn(app->catalogue()));
    EXPECT_EQ(QueueJournal(kept, app->journal().filePath()).Restore(), 2);
    EXPECT_EQ(kept.entry(1).station, 99u);
    // The guest sees it as theirs, another guest does not.
    const auto mine = [&](const QByteArray &cookie) {
        return JsonOf(Http("GET", "/api/queue", {}, cookie))[u"entries"][1][u"mine"].toBool();
    };
    EXPECT_TRUE(mine(guest));
    EXPECT_FALSE(mine(NewGuest()));
}

// Duplicates are refused whoever queued them, a guest has MaxPerGuest songs,
// and only the guest's own, not yet accepted request can be taken back.
TEST_F(WebServerTest, LimitsDuplicatesAndCancelling)
{
    auto terminal = Terminal(0);
    Ask(*terminal, Reserve(7));
    const QByteArray ann = NewGuest();
    const QByteArray bob = NewGuest();
    const struct
    {
        const QByteArray &guest;
        int number;
        int status;
        QString reason;
    } steps[] = {
        {ann, 7, 409, u"that song is already queued"_qs},  {ann, 12, 201, {}},
        {bob, 12, 409, u"that song is already queued"_qs}, {ann, 30, 201, {}},
        {bob, 30, 409, u"that song is already queued"_qs},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(s.number);
        const HttpReply reply = Request(s.guest, s.number);
        EXPECT_EQ(reply.status, s.status);
        EXPECT_EQ(JsonOf(reply).value(u"error").toString(), s.reason);
    }
    // Songs that left the queue no longer count; two still queued do.
    app->queue().DeleteReservation(30, -1, -1);
    EXPECT_EQ(Request(ann, 30).status, 201);
    app->queue().DeleteReservation(7, -1, -1);
    EXPECT_EQ(JsonOf(Request(ann, 7)).value(u"error").toString(),
              u"you already have 2 songs in the queue"_qs);
    EXPECT_EQ(LastLog(), u"Web request refused number 7 from 127.0.0.1: you already have 2 "
                         u"songs in the queue."_qs);

    const auto idOf = [&](int number) {
        for (const QJsonValue e : JsonOf(Http("GET", "/api/queue"))[u"entries"].toArray())
            if (e[u"number"].toInt() == number)
                return QByteArray::number(e[u"id"].toInt());
        return QByteArray();
    };
    const QByteArray id12 = idOf(12);
    const QByteArray id30 = idOf(30);
    EXPECT_EQ(Http("DELETE", "/api/requests/" + id12, {}, bob).status, 404);
    app->queue().AcceptEntry(0, QDateTime::currentDateTime());
    EXPECT_EQ(JsonOf(Http("DELETE", "/api/requests/" + id12, {}, ann)).value(u"error").toString(),
              u"the host has already accepted that song"_qs);
    EXPECT_EQ(Http("DELETE", "/api/requests/" + id30, {}, ann).status, 200);
    EXPECT_EQ(app->queue().Numbers(10), QList<quint32>({12}));
    EXPECT_EQ(LastLog(), u"Web cancel number 30 from 127.0.0.1."_qs);
}

// The settings decide what a guest may do, from the next request on: a
// request for song 12 (with extra JSON), then one for song 7.
TEST_F(WebServerTest, SettingsDecideWhatAGuestMayDo)
{
    using Set = std::function<void(RARAZAdi &)>;
    const struct
    {
        Set set;
        const char *extra;
        int status;
        const char *reason;
        int secondStatus;
    } cases[] = {
        {[](RARAZAdi &a) { a.guestWebConfig().Requests = false; }, "", 403,
         "requests from phones are off tonight", 403},
        {[](RARAZAdi &a) { a.config().Uname = true; }, "", 400, "please give your name", 400},
        {[](RARAZAdi &a) { a.guestWebConfig().Pin = u"4321"_qs; }, "", 403,
         "this venue asks for its PIN: ask the staff", 403},
        {[](RARAZAdi &a) { a.guestWebConfig().Pin = u"4321"_qs; }, ",\"pin\":\"1234\"", 403,
         "this venue asks for its PIN: ask the staff", 403},
        // The right PIN lets the guest in for good.
        {[](RARAZAdi &a) { a.guestWebConfig().Pin = u"4321"_qs; }, ",\"pin\":\"4321\"", 201, "",
         201},
        // The venue's own rules hold for the web's station too.
        {[](RARAZAdi &a) { a.venue().MaxPerStation = 1; }, "", 201, "", 409},
        {[](RARAZAdi &a) { a.guestWebConfig().MaxPerGuest = 1; }, "", 201, "", 409},
        {[](RARAZAdi &a) { a.guestWebConfig().MaxPerGuest = 0; }, "", 201, "", 201},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reason);
        while (app->queue().count() > 0)
            app->queue().DeleteReservation(0, 0, app->queue().count());
        app->guestWebConfig() = GuestWebConfig();
        app->config().Uname = false;
        app->venue() = VenueConfig();
        c.set(*app);
        const QByteArray guest = NewGuest();
        const HttpReply reply =
            Http("POST", "/api/requests", "{\"number\":12" + QByteArray(c.extra) + '}', guest);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(JsonOf(reply).value(u"error").toString(), QString::fromUtf8(c.reason));
        EXPECT_EQ(Http("POST", "/api/requests", "{\"number\":7}", guest).status, c.secondStatus);
    }
}

// /api/live sends the queue at once, then one message per turn of changes,
// from a terminal, the operator or the web alike; an idle time does not close it.
TEST_F(WebServerTest, LiveSocketGetsOneMessagePerBatchOfChanges)
{
    app->guestWeb().listener().SetIdleTimeout(100);
    QWebSocket socket;
    QStringList messages;
    QObject::connect(&socket, &QWebSocket::textMessageReceived,
                     [&](const QString &text) { messages.append(text); });
    socket.open(QUrl(u"ws://127.0.0.1:%1/api/live"_qs.arg(webPort())));
    ASSERT_TRUE(WaitUntil([&] { return messages.size() == 1; }));
    EXPECT_TRUE(messages[0].contains(u"\"count\":0"_qs));
    const qint64 before = app->guestWeb().live().pushes();
    app->queue().AddReservation(3, 0, 12, 0, 0, u"Zoë"_qs);
    app->queue().AddReservation(3, 0, 7, 0, 0, u"<img src=x onerror=alert(1)>"_qs);
    app->queue().AcceptEntry(0, QDateTime::currentDateTime());
    ASSERT_TRUE(WaitUntil([&] { return messages.size() == 2; }));
    Pump(300);
    EXPECT_EQ(messages.size(), 2);
    EXPECT_EQ(app->guestWeb().live().pushes(), before + 1);
    const QJsonArray entries =
        QJsonDocument::fromJson(messages[1].toUtf8()).object()[u"entries"].toArray();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0][u"accepted"].toBool());
    EXPECT_EQ(entries[1][u"name"].toString(), u"<img src=x onerror=alert(1)>"_qs);
    EXPECT_EQ(entries[1][u"title"].toString(), u"Seven </script>"_qs);
    EXPECT_EQ(socket.state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(app->guestWeb().live().clients(), 1);
    // Closed, it leaves nothing behind.
    socket.close();
    EXPECT_TRUE(WaitUntil([&] { return app->guestWeb().listener().openConnections() == 0; }));
}

// A web port that is taken costs a log line; the terminals' server runs on.
TEST(GuestWebPort, TakenPortLeavesTheServerRunning)
{
    TempHome home;
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::AnyIPv4, 0));
    const EnvScope web("ORVA_RS_WEB_PORT", QByteArray::number(squatter.serverPort()).constData());
    const EnvScope port("ORVA_RS_PORT", QByteArray::number(FreePort()).constData());
    RARAZAdi app;
    EventLog::SetEchoToStdout(false);
    EXPECT_TRUE(app.InitInstance());
    EXPECT_FALSE(app.guestWeb().isListening());
    EXPECT_EQ(
        LogCapture::Messages(app.logRows()).filter(u"Guest web could not open port"_qs).size(), 1);
}

} // namespace
