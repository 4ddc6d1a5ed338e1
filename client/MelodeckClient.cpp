#include "client/MelodeckClient.h"

#include "protocol/PacketHeader.h"
#include "protocol/PacketWriter.h"
#include "protocol/Replies.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QtEndian>
#include <cstring>

bool MelodeckClient::WaitFor(int timeoutMs, const std::function<bool()> &done)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        m_pending += m_socket.readAll();
        if (done())
            return true;
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&m_socket, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
        QObject::connect(&m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
        QObject::connect(&m_socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
        QObject::connect(&m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
        timer.start(int(qMax<qint64>(1, qMin<qint64>(deadline.remainingTime(), 50))));
        loop.exec();
    }
}

bool MelodeckClient::Connect(const QHostAddress &host, quint16 port, const QHostAddress &source,
                             int timeoutMs)
{
    m_pending.clear();
    if (!source.isNull() && !m_socket.bind(source, 0))
        return false;
    m_socket.connectToHost(host, port);
    WaitFor(timeoutMs, [this] {
        return m_socket.state() == QAbstractSocket::ConnectedState ||
               m_socket.state() == QAbstractSocket::UnconnectedState;
    });
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        return false;
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

void MelodeckClient::Disconnect()
{
    m_socket.abort();
    m_pending.clear();
}

bool MelodeckClient::IsConnected() const
{
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool MelodeckClient::Send(const QByteArray &bytes)
{
    if (!IsConnected())
        return false;
    if (m_socket.write(bytes) != bytes.size())
        return false;
    m_socket.flush();
    return true;
}

std::optional<QByteArray> MelodeckClient::ReadExactly(qsizetype count, int timeoutMs)
{
    if (!WaitFor(timeoutMs, [&] { return m_pending.size() >= count; }))
        return std::nullopt;
    QByteArray result = m_pending.left(count);
    m_pending.remove(0, count);
    return result;
}

qsizetype MelodeckClient::CompletePacketSize() const
{
    const qsizetype held = m_pending.size();
    if (std::memcmp(m_pending.constData(), PacketHeader::kMagic,
                    size_t(qMin<qsizetype>(held, 4))) != 0)
        return -1;
    if (held < PacketHeader::kSize)
        return 0;
    // The download's end mark is told apart from an empty page by its payload.
    const quint32 command = qFromBigEndian<quint32>(m_pending.constData() + 4);
    if (command == Cmd::MultiDownloadData && held < 20)
        return 0;
    const qsizetype size =
        Packet::WireSize(QByteArrayView(m_pending).first(qMin<qsizetype>(held, 20)));
    if (size > kMaxReply)
        return -1;
    return held >= size ? size : 0;
}

std::optional<QByteArray> MelodeckClient::ReadPacket(int timeoutMs)
{
    WaitFor(timeoutMs, [this] { return CompletePacketSize() != 0 || !IsConnected(); });
    const qsizetype size = CompletePacketSize();
    if (size <= 0)
        return std::nullopt;
    QByteArray packet = m_pending.left(size);
    m_pending.remove(0, size);
    return packet;
}

bool MelodeckClient::WaitForClose(int timeoutMs)
{
    return WaitFor(timeoutMs,
                   [this] { return m_socket.state() == QAbstractSocket::UnconnectedState; });
}

QByteArray MelodeckClient::Drain(int ms)
{
    WaitFor(ms, [] { return false; });
    QByteArray all = m_pending;
    m_pending.clear();
    return all;
}

QByteArray MelodeckClient::Request(quint32 command, quint32 param, const QByteArray &payload)
{
    PacketWriter packet(PacketHeader::kSize + payload.size(), command, quint32(payload.size()),
                        param);
    packet.putBytes(PacketHeader::kSize, payload);
    return packet.packet();
}
