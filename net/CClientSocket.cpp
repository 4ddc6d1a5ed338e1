#include "net/CClientSocket.h"

#include <QTcpSocket>

CClientSocket::CClientSocket(QTcpSocket *socket, QObject *parent)
    : QObject(parent), m_socket(socket)
{
    m_socket->setParent(this);
    // Replies are small and must leave at once, not wait for the peer's ACK.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { Q_EMIT dataReady(this); });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { Q_EMIT peerClosed(this); });
}

CClientSocket::~CClientSocket()
{
    Drop();
}

bool CClientSocket::Send(QByteArrayView bytes)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    if (m_socket->write(bytes.data(), bytes.size()) != bytes.size())
        return false;
    // Out to the kernel now, in one write: the reply leaves at once, and it is
    // not lost if the channel is closed before the event loop comes back.
    m_socket->flush();
    if (m_socket->bytesToWrite() <= kMaxUnsent || m_stallReported)
        return true;
    // Reported once the current handler has returned; dropped if the channel goes first.
    m_stallReported = true;
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT stalled(this); }, Qt::QueuedConnection);
    return true;
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
