#pragma once

#include "protocol/PacketHeader.h"
#include "protocol/QueueWire.h"

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
    // Why the last connect or read failed, as the socket tells it.
    QAbstractSocket::SocketError error() const { return m_socket.error(); }
    QString errorString() const { return m_socket.errorString(); }

    // Writes raw bytes in one call and pushes them out.
    bool Send(const QByteArray &bytes);
    // Reads one whole packet as the server sends it (header included), or
    // nothing when none arrives in time, the server closes the connection
    // first, or the bytes are not a packet.
    std::optional<QByteArray> ReadPacket(int timeoutMs = 3000);
    // True when the bytes held cannot start a packet (no magic, or a size no
    // reply can have): the stream is out of step and cannot be read on.
    bool OutOfStep() const { return CompletePacketSize() < 0; }
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

    // The largest packet the server sends: a QueueList of as many entries as its count can say.
    static constexpr qsizetype kMaxReply =
        PacketHeader::kSize + qsizetype(Packet::QueueWire::kEntrySize) * 0xFFFF;

private:
    // The size of the first packet when all of it is held, 0 while it is not
    // (yet), -1 when the held bytes cannot start a packet.
    qsizetype CompletePacketSize() const;
    bool WaitFor(int timeoutMs, const std::function<bool()> &done);

    QTcpSocket m_socket;
    QByteArray m_pending;
};
