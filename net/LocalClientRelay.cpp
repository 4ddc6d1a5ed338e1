#include "net/LocalClientRelay.h"

#include "net/CClientSocket.h"
#include "net/ChannelList.h"
#include "net/StoreToWire.h"
#include "protocol/QueueWire.h"
#include "protocol/Requests.h"

LocalClientRelay::LocalClientRelay(const ChannelList &channels, const ReservationQueue &queue,
                                   QObject *parent)
    : QObject(parent), m_channels(channels), m_queue(queue)
{
    // A zero timer fires once the events already waiting have been handled.
    m_endOfTurn.setSingleShot(true);
    m_endOfTurn.setInterval(0);
    connect(&m_endOfTurn, &QTimer::timeout, this, &LocalClientRelay::FlushPushes);
}

void LocalClientRelay::PushQueueToLocal()
{
    m_pushPending = true;
    if (!m_endOfTurn.isActive())
        m_endOfTurn.start();
}

void LocalClientRelay::RelayKeyToLocal(quint32 key) const
{
    if (CClientSocket *local = m_channels.LocalClient())
        local->Send(Packet::EncodeHeaderOnly(Cmd::RemoteControlKey, key));
}

void LocalClientRelay::FlushPushes()
{
    if (!m_pushPending)
        return;
    CClientSocket *local = m_channels.LocalClient();
    if (!local) {
        m_pushPending = false; // a player that connects later asks for the queue itself
        return;
    }
    if (local->unsent() > 0) {
        // The player has a backlog: encode nothing now, try again when it reads.
        if (m_waitingOn != local) {
            m_waitingOn = local;
            connect(
                local, &CClientSocket::written, this,
                [this] {
                    m_waitingOn = nullptr;
                    FlushPushes();
                },
                Qt::SingleShotConnection);
        }
        return;
    }
    m_pushPending = false;
    ++m_pushesSent;
    local->Send(
        Packet::QueueWire{Packet::QueueWire::kQueueListMode, StoreToWire::QueueItems(m_queue)}
            .Encode(Cmd::QueueList));
}
