#pragma once

#include "protocol/Frame.h"
#include "protocol/PacketHeader.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>

class QTcpSocket;

// One connected terminal: its connection, its framing state and song-book
// position. The slot index in the channel list is its station number. The
// channel reads the connection into its receive buffer and hands out whole
// packets; replies wait in one batch and leave in one write. Deleting a
// channel closes its connection.
class CClientSocket : public QObject
{
    Q_OBJECT
public:
    // A whole packet must fit; a longer one can never complete.
    static constexpr int kBufferSize = int(PacketHeader::kMaxPacket);
    // No more than this may wait unsent: a terminal that stopped reading is
    // dropped before it can cost more, the local client loses the packet.
    static constexpr qint64 kMaxUnsent = 1 << 20;
    static constexpr int kAdmitted = 32;
    // The local client's address: the player program on this machine.
    static inline const QString kLocalAddress = QStringLiteral("127.0.0.1");

    // One packet taken from the receive buffer, or why there is none.
    struct Received
    {
        Frame frame;          // Complete, Incomplete (wait), BadMagic or Oversize
        QByteArrayView bytes; // the whole packet when Complete; valid until the next read
    };

    // Takes ownership of an accepted connection.
    explicit CClientSocket(QTcpSocket *socket, QObject *parent = nullptr);
    ~CClientSocket() override;

    // --- Receiving ---
    // Reads what the connection holds, as far as the buffer has room, behind
    // the unfinished packet kept from the last read. Returns the bytes read.
    qint64 ReadReceived();
    // Holds `bytes` as if read from the connection (fuzzing, tests); returns how many fit.
    qsizetype TakeReceived(QByteArrayView bytes);
    // The next whole packet held. A bad magic drops every byte held; an
    // oversize header drops them too and asks for the channel to be closed.
    Received NextPacket();
    // Drops what is held behind the packets taken (the rest of a bad receive).
    void DropReceived();
    // Bytes held that no packet has taken yet.
    int heldBytes() const { return m_rxCount - m_rxTaken; }
    // The whole receive buffer, held bytes first after TakeReceived: lets a
    // fuzzer check that no handler reads past what is held.
    QByteArrayView receiveBuffer() const { return {m_rxBuffer.data(), kBufferSize}; }
    // Forgets the bytes held and a close request, as for a channel just admitted.
    void ResetReceiving();

    // --- Sending ---
    // Adds one whole reply to the batch that FlushReplies writes. False, and
    // nothing queued, when the connection is gone or would pass kMaxUnsent.
    bool Reply(QByteArrayView bytes);
    // Writes the batch of replies in one call.
    void FlushReplies();
    // Hands bytes to the connection now, in one write. Checked against
    // kMaxUnsent before they are queued: a terminal that passes it is
    // reported through stalled(); the local client is never closed.
    bool Send(QByteArrayView bytes);
    // Bytes handed to the connection that the peer has not taken yet.
    qint64 unsent() const;
    // Closes the connection without telling anyone (the caller does the telling).
    void Drop();

    // --- Closing ---
    void RequestClose() { m_closeRequested = true; }
    // Set when the channel must be closed once the current receive is handled.
    bool closeRequested() const { return m_closeRequested; }

    bool hasSocket() const { return m_socket != nullptr; }
    qintptr socketHandle() const;
    QTcpSocket *socket() const { return m_socket; }
    // The peer's address for log lines and lists: "localhost" for the local client.
    QString displayAddress() const;
    bool isLocal() const { return addressText == kLocalAddress; }

    // The channel record.
    int connectionState = 0; // kAdmitted once in a slot
    int blocked = 0;         // non-zero: every packet is logged and skipped
    qint32 pageSize = 0;
    qint32 sortMode = 0;
    qint32 currentPage = 0;
    qint32 pageCount = 0;
    QByteArray searchText; // stored from SetBookView; no reply uses it
    QString addressText;
    quint16 port = 0;
    int station = 0;

Q_SIGNALS:
    void dataReady(CClientSocket *channel);
    void peerClosed(CClientSocket *channel);
    void stalled(CClientSocket *channel);
    // The peer took bytes: whatever waited may now fit.
    void written(CClientSocket *channel);

private:
    // Whether `more` bytes may still be queued; reports a stalled terminal once.
    bool Admits(qint64 more);
    // Moves the unfinished packet to the front of the buffer.
    void CompactReceived();

    QTcpSocket *m_socket = nullptr;
    // Left uninitialised: only bytes received are ever read, and pages of it
    // a terminal's short packets never reach then cost no memory.
    std::array<char, kBufferSize> m_rxBuffer;
    int m_rxCount = 0; // bytes held
    int m_rxTaken = 0; // of those, bytes handed out as packets
    QByteArray m_replies;
    bool m_closeRequested = false;
    bool m_stallReported = false;
};
