#include "web/LivePush.h"

#include "queue/ReservationQueue.h"

#include <QPointer>
#include <QWebSocket>
#include <algorithm>

namespace {

// A screen or phone only listens; anything it sends stays small.
constexpr qint64 kMaxIncoming = 1024;
// A reader this far behind is gone in all but name: it is closed rather than
// made to hold ever more queues.
constexpr qint64 kMaxUnsent = 1024 * 1024;

} // namespace

LivePush::LivePush(ReservationQueue &queue, std::function<QByteArray()> message, QObject *parent)
    : QObject(parent), m_message(std::move(message))
{
    // A zero timer fires once the events already waiting have been handled.
    m_endOfTurn.setSingleShot(true);
    m_endOfTurn.setInterval(0);
    connect(&m_endOfTurn, &QTimer::timeout, this, &LivePush::Push);
    // The queue may outlive this object; a gone push is simply not scheduled.
    queue.AddChangeObserver([live = QPointer<LivePush>(this)](const ReservationQueue::Change &) {
        if (live && !live->m_endOfTurn.isActive())
            live->m_endOfTurn.start();
    });
}

LivePush::~LivePush()
{
    for (QWebSocket *socket : m_sockets) {
        socket->disconnect(this);
        delete socket;
    }
}

void LivePush::Add(std::unique_ptr<QWebSocket> owned)
{
    QWebSocket *socket = owned.release();
    // Any path may ask for an upgrade; only /api/live gives the queue.
    if (socket->requestUrl().path() != u"/api/live") {
        socket->close(QWebSocketProtocol::CloseCodePolicyViolated);
        socket->deleteLater();
        return;
    }
    socket->setMaxAllowedIncomingFrameSize(kMaxIncoming);
    socket->setMaxAllowedIncomingMessageSize(kMaxIncoming);
    m_sockets.push_back(socket);
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        std::erase(m_sockets, socket);
        socket->deleteLater();
    });
    socket->sendTextMessage(QString::fromUtf8(m_message()));
}

void LivePush::Push()
{
    ++m_pushes;
    if (m_sockets.empty())
        return;
    const QString text = QString::fromUtf8(m_message());
    for (QWebSocket *socket : std::vector<QWebSocket *>(m_sockets)) {
        if (socket->bytesToWrite() > kMaxUnsent)
            socket->abort();
        else
            socket->sendTextMessage(text);
    }
}
