#pragma once

#include "protocol/PacketHeader.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>

class QTcpSocket;

// One connected terminal: its connection, receive buffer and song-book
// position. The slot index in the channel list is its station number.
// Deleting a channel closes its connection.
class CClientSocket : public QObject
{
    Q_OBJECT
public:
    // A whole packet must fit; a longer one can never complete.
    static constexpr int kBufferSize = int(PacketHeader::kMaxPacket);
    // A terminal that stopped reading is dropped once this much waits unsent.
    static constexpr qint64 kMaxUnsent = 1 << 20;
    static constexpr int kAdmitted = 32;
    // The local client's address: the player program on this machine.
    static inline const QString kLocalAddress = QStringLiteral("127.0.0.1");

    // Takes ownership of an accepted connection.
    explicit CClientSocket(QTcpSocket *socket, QObject *parent = nullptr);
    ~CClientSocket() override;

    // Hands one whole reply to the connection in one write. Qt completes a
    // partial send by itself; a peer that stopped reading is reported through
    // stalled() instead of buffering without end. False when the connection
    // is gone or refused the bytes.
    bool Send(QByteArrayView bytes);
    // Closes the connection without telling anyone (the caller does the telling).
    void Drop();

    bool hasSocket() const { return m_socket != nullptr; }
    qintptr socketHandle() const;
    QTcpSocket *socket() const { return m_socket; }
    // The peer's address for log lines and lists: "localhost" for the local client.
    QString displayAddress() const;
    bool isLocal() const { return addressText == kLocalAddress; }

    // The channel record.
    int connectionState = 0; // kAdmitted once in a slot
    int blocked = 0;         // non-zero: every packet is logged and skipped
    // Left uninitialised: only bytes received are ever read, and pages of it
    // a terminal's short packets never reach then cost no memory.
    std::array<char, kBufferSize> rxBuffer;
    int rxCount = 0;   // bytes held while the dispatcher runs
    int rxPending = 0; // bytes kept from the last receive
    qint32 pageSize = 0;
    qint32 sortMode = 0;
    qint32 currentPage = 0;
    qint32 pageCount = 0;
    QByteArray searchText; // stored from SetBookView; no reply uses it
    QString addressText;
    quint16 port = 0;
    int station = 0;
    // Set when the channel must be closed once the current receive is handled.
    bool closeRequested = false;

Q_SIGNALS:
    void dataReady(CClientSocket *channel);
    void peerClosed(CClientSocket *channel);
    void stalled(CClientSocket *channel);

private:
    QTcpSocket *m_socket = nullptr;
    bool m_stallReported = false;
};
