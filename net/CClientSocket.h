#pragma once

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
    static constexpr int kBufferSize = 16384;
    // A terminal that stopped reading is dropped once this much waits unsent.
    static constexpr qint64 kMaxUnsent = 1 << 20;
    static constexpr int kAdmitted = 32;

    // Takes ownership of an accepted connection.
    explicit CClientSocket(QTcpSocket *socket, QObject *parent = nullptr);
    ~CClientSocket() override;

    // Hands one whole reply to the connection in one write. Qt completes a
    // partial send by itself; a peer that stopped reading is reported through
    // stalled() instead of buffering without end.
    void Send(QByteArrayView bytes);
    // Closes the connection without telling anyone (the caller does the telling).
    void Drop();

    bool hasSocket() const { return m_socket != nullptr; }
    qintptr socketHandle() const;
    QTcpSocket *socket() const { return m_socket; }
    // The peer's address for log lines: "localhost" for the local client.
    QString displayAddress() const;
    bool isLocal() const { return addressText == QLatin1String("127.0.0.1"); }

    // The channel record.
    int connectionState = 0; // kAdmitted once in a slot
    int blocked = 0;         // non-zero: every packet is logged and skipped
    std::array<char, kBufferSize> rxBuffer{};
    int rxCount = 0;
    int rxPending = 0;
    std::array<char, kBufferSize> txBuffer{};
    quint32 lastPageLength = 0;
    qint32 pageSize = 0;
    qint32 sortMode = 0;
    qint32 currentPage = 0;
    qint32 pageCount = 0;
    QByteArray searchText;
    QString addressText;
    quint32 address = 0; // network byte order
    quint32 port = 0;
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
