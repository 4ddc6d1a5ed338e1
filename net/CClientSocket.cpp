#include "net/CClientSocket.h"

#include <QTcpSocket>
#include <cstring>

CClientSocket::CClientSocket(QTcpSocket *socket, QObject *parent)
    : QObject(parent), m_socket(socket)
{
    m_socket->setParent(this);
    // Replies are small and must leave at once, not wait for the peer's ACK.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { Q_EMIT dataReady(this); });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { Q_EMIT peerClosed(this); });
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] { Q_EMIT written(this); });
}

CClientSocket::~CClientSocket()
{
    Drop();
}

// The tail of a packet that has not arrived whole moves to the front, so a
// read always appends behind it.
void CClientSocket::CompactReceived()
{
    const int held = heldBytes();
    if (m_rxTaken > 0 && held > 0)
        std::memmove(m_rxBuffer.data(), m_rxBuffer.data() + m_rxTaken, size_t(held));
    m_rxCount = held;
    m_rxTaken = 0;
}

qint64 CClientSocket::ReadReceived()
{
    if (!m_socket)
        return 0;
    CompactReceived();
    const qint64 got = m_socket->read(m_rxBuffer.data() + m_rxCount, kBufferSize - m_rxCount);
    if (got <= 0)
        return 0;
    m_rxCount += int(got);
    return got;
}

qsizetype CClientSocket::TakeReceived(QByteArrayView bytes)
{
    CompactReceived();
    const qsizetype n = std::min<qsizetype>(bytes.size(), kBufferSize - m_rxCount);
    std::memcpy(m_rxBuffer.data() + m_rxCount, bytes.data(), size_t(n));
    m_rxCount += int(n);
    return n;
}

CClientSocket::Received CClientSocket::NextPacket()
{
    const QByteArrayView held(m_rxBuffer.data() + m_rxTaken, heldBytes());
    Received received{ParseFrame(held), {}};
    switch (received.frame.status) {
    case Frame::Incomplete:
        break;
    case Frame::Oversize:
        m_closeRequested = true;
        [[fallthrough]];
    case Frame::BadMagic:
        DropReceived();
        break;
    case Frame::Complete:
        received.bytes = held.first(qsizetype(received.frame.header.total()));
        m_rxTaken += int(received.bytes.size());
        break;
    }
    return received;
}

void CClientSocket::DropReceived()
{
    m_rxCount = 0;
    m_rxTaken = 0;
}

void CClientSocket::ResetReceiving()
{
    DropReceived();
    m_closeRequested = false;
}

bool CClientSocket::Admits(qint64 more)
{
    if (unsent() + m_replies.size() + more <= kMaxUnsent)
        return true;
    if (!isLocal() && !m_stallReported) {
        // Reported once the current handler has returned; dropped if the channel goes first.
        m_stallReported = true;
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT stalled(this); }, Qt::QueuedConnection);
    }
    return false;
}

bool CClientSocket::Reply(QByteArrayView bytes)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState || !Admits(bytes.size()))
        return false;
    m_replies.append(bytes);
    return true;
}

void CClientSocket::FlushReplies()
{
    if (m_replies.isEmpty())
        return;
    const QByteArray batch = std::exchange(m_replies, QByteArray());
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(batch);
    // Out to the kernel now, in one write: the replies leave at once, and are
    // not lost if the channel is closed before the event loop comes back.
    m_socket->flush();
}

bool CClientSocket::Send(QByteArrayView bytes)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState || !Admits(bytes.size()))
        return false;
    if (m_socket->write(bytes.data(), bytes.size()) != bytes.size())
        return false;
    m_socket->flush();
    return true;
}

qint64 CClientSocket::unsent() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

void CClientSocket::Drop()
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
}

qintptr CClientSocket::socketHandle() const
{
    return m_socket ? m_socket->socketDescriptor() : -1;
}

QString CClientSocket::displayAddress() const
{
    return isLocal() ? QStringLiteral("localhost") : addressText;
}
