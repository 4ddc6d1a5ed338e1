#pragma once

#include "tests/net/InProcessServer.h"
#include "web/GuestWeb.h"
#include "web/WebListener.h"

#include <QRegularExpression>
#include <QTcpSocket>

// An answer as a raw HTTP client sees it.
struct HttpReply
{
    int status = 0;
    QByteArray head;
    QByteArray body;
    bool closed = false; // the server closed the connection after answering

    // "orva_guest=..." from Set-Cookie, or empty.
    QByteArray Cookie() const
    {
        const auto match = QRegularExpression(u"Set-Cookie: (orva_guest=[0-9a-f]+)"_qs)
                               .match(QString::fromLatin1(head));
        return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
    }
};

// Sends raw bytes to `port` and reads one answer (head and Content-Length
// body); waits a moment more to see whether the server closes.
inline HttpReply Exchange(quint16 port, const QByteArray &raw, int closeWaitMs = 0)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(raw);
    QByteArray got;
    HttpReply reply;
    const auto complete = [&] {
        got += socket.readAll();
        const qsizetype end = got.indexOf("\r\n\r\n");
        if (end < 0)
            return socket.state() == QAbstractSocket::UnconnectedState;
        reply.head = got.left(end);
        const auto length =
            QRegularExpression(u"Content-Length: (\\d+)"_qs).match(QString::fromLatin1(reply.head));
        reply.body = got.mid(end + 4);
        return reply.body.size() >= (length.hasMatch() ? length.captured(1).toInt() : 0);
    };
    WaitUntil(complete, 5000);
    reply.status = got.mid(9, 3).toInt();
    if (closeWaitMs > 0)
        reply.closed = WaitUntil(
            [&] { return socket.state() == QAbstractSocket::UnconnectedState; }, closeWaitMs);
    return reply;
}

inline QByteArray HttpRequest(const QByteArray &method, const QByteArray &path,
                              const QByteArray &body = {}, const QByteArray &cookie = {})
{
    QByteArray raw = method + ' ' + path + " HTTP/1.1\r\nHost: localhost\r\n";
    if (!cookie.isEmpty())
        raw += "Cookie: " + cookie + "\r\n";
    if (!body.isEmpty() || method == "POST")
        raw +=
            "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) +
            "\r\n";
    return raw + "\r\n" + body;
}

// A whole server in this process with its guest web on a free port. The
// catalogue holds songs 12, 7 and 30; Ini() adds to "Moxi.ini".
class WebServerTest : public InProcessServer
{
protected:
    void SetUp() override
    {
        m_webPort = std::make_unique<EnvScope>("ORVA_RS_WEB_PORT",
                                               QByteArray::number(FreePort()).constData());
        InProcessServer::SetUp();
    }
    void TearDown() override
    {
        InProcessServer::TearDown();
        m_webPort.reset();
    }
    void PrepareDataFolder() override
    {
        WriteFileBytes(home.dataFolder() + u"/orvabook.txt"_qs,
                       "12|Love Song|Singer\n7|Seven </script>|Sailors\n30|Звезда|Кино\n");
        WriteFileBytes(home.dataFolder() + u"/Moxi.ini"_qs, Ini());
    }
    virtual QByteArray Ini() const { return "[GuestWeb]\r\nMaxPerGuest=2\r\n"; }

    quint16 webPort() { return app->guestWeb().port(); }
    HttpReply Http(const QByteArray &method, const QByteArray &path, const QByteArray &body = {},
                   const QByteArray &cookie = {})
    {
        return Exchange(webPort(), HttpRequest(method, path, body, cookie));
    }
    // Requests song `number` as the guest with `cookie`.
    HttpReply Request(const QByteArray &cookie, int number, const QByteArray &more = {})
    {
        return Http("POST", "/api/requests",
                    "{\"number\":" + QByteArray::number(number) + ",\"name\":\"Ann\"" + more + '}',
                    cookie);
    }
    QByteArray NewGuest() { return Http("GET", "/api/info").Cookie(); }

private:
    std::unique_ptr<EnvScope> m_webPort;
};
