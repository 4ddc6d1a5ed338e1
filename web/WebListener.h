#pragma once

#include <QPointer>
#include <QTcpServer>

// The guest web's listening socket, with the limits the HTTP server module
// does not have: at most 256 open connections (further ones are closed at
// once), and on every connection a WebConnectionGuard that counts what a
// request sends and closes an idle connection. The HTTP server binds to it
// and only ever sees the connections that passed.
class WebListener : public QTcpServer
{
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 256;
    static constexpr int kMaxHead = 16 * 1024; // request line and headers
    static constexpr int kMaxBody = 16 * 1024;
    static constexpr int kIdleMs = 30 * 1000;
    // What one connection may hold unread: a whole request at its limits and
    // a little more, so the guard sees an oversize request before reading stalls.
    static constexpr int kReadBuffer = kMaxHead + kMaxBody + 4096;

    explicit WebListener(QObject *parent = nullptr);

    // The configured port (3880 unless set), or the port number in
    // ORVA_RS_WEB_PORT, where 0 asks for any free port.
    static quint16 ListenPort(int configured);

    // The HTTP server whose reads a refused connection is taken away from.
    void SetHttpServer(QObject *server) { m_httpServer = server; }
    QObject *httpServer() const { return m_httpServer; }
    // Tests shorten the idle time instead of waiting 30 seconds.
    void SetIdleTimeout(int ms) { m_idleMs = ms; }
    int idleTimeout() const { return m_idleMs; }

    int openConnections() const { return m_open; }
    // The most bytes any one request has had sent so far; the limits keep it
    // near kReadBuffer whatever a client sends.
    qint64 peakRequestBytes() const { return m_peakRequestBytes; }

    // A connection that became a WebSocket: found by its peer, its guard
    // stops watching it, and the WebSocket (which deletes its TCP socket)
    // becomes its only owner.
    void HandOver(const QHostAddress &peer, quint16 peerPort);

    // Called by the guards.
    void ConnectionClosed() { --m_open; }
    void NoteRequestBytes(qint64 bytes)
    {
        m_peakRequestBytes = std::max(m_peakRequestBytes, bytes);
    }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    QPointer<QObject> m_httpServer;
    int m_idleMs = kIdleMs;
    int m_open = 0;
    bool m_atLimitLogged = false;
    qint64 m_peakRequestBytes = 0;
};
