#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QTcpSocket>
#include <functional>
#include <optional>

// A small blocking client of the terminal protocol, for tools and tests:
// connect (from a chosen source address), send a request, read one whole
// packet with a time-out. Waiting runs a local event loop, so a server in the
// same thread keeps working meanwhile.
class MelodeckClient
{
public:
    MelodeckClient() = default;

    // Connects to host:port, from `source` when given (e.g. 127.0.0.2).
    bool Connect(const QHostAddress &host, quint16 port,
                 const QHostAddress &source = QHostAddress(), int timeoutMs = 3000);
    void Disconnect();
    bool IsConnected() const;

    // Writes raw bytes in one call and pushes them out.
    bool Send(const QByteArray &bytes);
    // Reads one whole packet as the server sends it (header included), or
    // nothing when none arrives in time or the bytes are not a packet.
    std::optional<QByteArray> ReadPacket(int timeoutMs = 3000);
    // Reads exactly `count` bytes, or nothing on time-out.
    std::optional<QByteArray> ReadExactly(qsizetype count, int timeoutMs = 3000);
    // True when the server closes the connection within the time.
    bool WaitForClose(int timeoutMs = 3000);
    // Bytes that have arrived and not been read, after waiting `ms`.
    QByteArray Drain(int ms);

    // A raw packet: header plus payload (payload may be empty), for requests
    // with a hand-made payload, short or hostile ones included.
    static QByteArray Request(quint32 command, quint32 param = 0,
                              const QByteArray &payload = QByteArray());

private:
    bool WaitFor(int timeoutMs, const std::function<bool()> &done);

    QTcpSocket m_socket;
    QByteArray m_pending;
};
