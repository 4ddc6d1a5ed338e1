#include "tests/web/WebServer.h"

#include <QWebSocket>

namespace {

// Oversize requests are answered 431 or 413 and closed without the server
// holding more than one request's allowance; a large request within the
// limits, sent in pieces, passes.
TEST_F(WebServerTest, OversizeRequestsAreRefusedAndClosed)
{
    const QByteArray pad = "X-Pad: " + QByteArray(15 * 1024, 'a') + "\r\n";
    const QByteArray huge = "X-Pad: " + QByteArray(17 * 1024, 'a') + "\r\n";
    const QByteArray head = "POST /api/requests HTTP/1.1\r\nHost: x\r\n";
    const auto withBody = [&](qint64 declared, const QByteArray &sent) {
        return head + "Content-Length: " + QByteArray::number(declared) + "\r\n\r\n" + sent;
    };
    const struct
    {
        const char *name;
        QByteArray raw;
        int status;
        bool closed;
    } cases[] = {
        {"headers over 16 KiB", "GET / HTTP/1.1\r\n" + huge, 431, true},
        {"no end of headers", "GET /" + QByteArray(20 * 1024, 'a'), 431, true},
        {"body over 16 KiB", withBody(17 * 1024, QByteArray(17 * 1024, '{')), 413, true},
        {"4 MiB body", withBody(4 << 20, QByteArray(4 << 20, '{')), 413, true},
        {"15 KiB headers and body",
         head + pad + "Content-Length: 16000\r\n\r\n" + QByteArray(16000, ' '), 400, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const HttpReply reply = Exchange(webPort(), c.raw, 500);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(reply.closed, c.closed);
    }
    EXPECT_LE(app->guestWeb().listener().peakRequestBytes(), WebListener::kReadBuffer);
}

// Connections beyond 256 are closed at once; when one goes, a new one is served.
TEST_F(WebServerTest, ConnectionsBeyondTheLimitAreClosed)
{
    const WebListener &listener = app->guestWeb().listener();
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < WebListener::kMaxConnections; ++i) {
        open.push_back(std::make_unique<QTcpSocket>());
        open.back()->connectToHost(QHostAddress::LocalHost, webPort());
    }
    ASSERT_TRUE(WaitUntil(
        [&] { return listener.openConnections() == WebListener::kMaxConnections; }, 10000))
        << listener.openConnections();
    QTcpSocket extra;
    extra.connectToHost(QHostAddress::LocalHost, webPort());
    EXPECT_TRUE(WaitUntil([&] { return extra.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(CountLog(u"Web connections at the limit (256)"_qs), 1);
    open.pop_back();
    ASSERT_TRUE(
        WaitUntil([&] { return listener.openConnections() < WebListener::kMaxConnections; }));
    EXPECT_EQ(Http("GET", "/api/info").status, 200);
}

// An idle connection is closed after the idle time (shortened here); one that
// talks is not, nor is a live WebSocket.
TEST_F(WebServerTest, IdleConnectionsAreClosed)
{
    app->guestWeb().listener().SetIdleTimeout(300);
    QTcpSocket idle;
    QTcpSocket talking;
    QWebSocket live;
    idle.connectToHost(QHostAddress::LocalHost, webPort());
    talking.connectToHost(QHostAddress::LocalHost, webPort());
    live.open(QUrl(u"ws://127.0.0.1:%1/api/live"_qs.arg(webPort())));
    for (const char *piece : {"GE", "T /api", "/info HTTP/1.1", "\r\n", "\r\n"}) {
        Pump(150);
        talking.write(piece);
    }
    EXPECT_EQ(idle.state(), QAbstractSocket::UnconnectedState);
    EXPECT_TRUE(WaitUntil([&] { return talking.bytesAvailable() > 0; }));
    EXPECT_TRUE(talking.readAll().startsWith("HTTP/1.1 200"));
    EXPECT_EQ(live.state(), QAbstractSocket::ConnectedState);
    EXPECT_TRUE(WaitUntil([&] { return talking.state() == QAbstractSocket::UnconnectedState; }));
}

// At most 20 POSTs a minute from one address; the 21st is answered 429.
TEST_F(WebServerTest, PostsPerMinuteAreLimited)
{
    QList<int> statuses;
    for (int i = 0; i < 21; ++i)
        statuses.append(Http("POST", "/api/requests", "{}").status);
    EXPECT_EQ(statuses.count(400), 20);
    EXPECT_EQ(statuses.last(), 429);
    EXPECT_EQ(Http("GET", "/api/info").status, 200);
}

// Requests the HTTP parser rejects are closed, some at once, the others
// after the idle time (shortened here), and leave no connection behind.
TEST_F(WebServerTest, MalformedRequestsLeaveNoConnectionBehind)
{
    app->guestWeb().listener().SetIdleTimeout(300);
    for (const QByteArray &raw :
         {QByteArray("GARBAGE\r\n\r\n"), QByteArray("\0\1\2\r\n\r\n", 7),
          QByteArray("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nZZ\r\n")}) {
        EXPECT_TRUE(Exchange(webPort(), raw, 2000).closed) << raw.toHex().data();
        EXPECT_TRUE(
            WaitUntil([&] { return app->guestWeb().listener().openConnections() == 0; }));
    }
}

} // namespace
