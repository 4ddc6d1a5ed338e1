#include "tools/EchoResponder.h"

#include "protocol/PacketHeader.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

namespace {

// Answers every whole packet held on `socket`; keeps an incomplete tail.
void Answer(QTcpSocket *socket, QByteArray &held, const QHash<quint32, QByteArray> &replies)
{
    held += socket->readAll();
    qsizetype used = 0;
    while (held.size() - used >= PacketHeader::kSize) {
        const char *packet = held.constData() + used;
        const qsizetype size =
            PacketHeader::kSize +
            qsizetype(qFromBigEndian<quint32>(packet + PacketHeader::kLengthOffset));
        if (held.size() - used < size)
            break;
        const auto reply =
            replies.constFind(qFromBigEndian<quint32>(packet + PacketHeader::kCommandOffset));
        // Out at once, as the server sends its replies.
        if (reply != replies.cend() && socket->write(*reply) == reply->size())
            socket->flush();
        used += size;
    }
    held.remove(0, used);
}

} // namespace

EchoResponder::EchoResponder(const QHash<quint32, QByteArray> &replies)
{
    auto *server = new QTcpServer; // deleted on its thread when the thread ends
    server->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, server, &QObject::deleteLater);
    QObject::connect(server, &QTcpServer::newConnection, server, [server, replies] {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(socket, &QTcpSocket::readyRead, socket,
                             [socket, replies, held = QByteArray()]() mutable {
                                 Answer(socket, held, replies);
                             });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    m_thread.start();
    // Listening starts on the responder's thread, so its socket belongs there.
    QMetaObject::invokeMethod(
        server,
        [this, server] {
            if (server->listen(QHostAddress::LocalHost))
                m_port = server->serverPort();
        },
        Qt::BlockingQueuedConnection);
}

EchoResponder::~EchoResponder()
{
    m_thread.quit();
    m_thread.wait();
}
