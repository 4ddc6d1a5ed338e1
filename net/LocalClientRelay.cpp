#include "net/LocalClientRelay.h"

#include "net/CClientSocket.h"
#include "net/ChannelList.h"
#include "protocol/QueueWire.h"
#include "protocol/Requests.h"

LocalClientRelay::LocalClientRelay(const ChannelList &channels, const ReservationQueue &queue)
    : m_channels(channels), m_queue(queue)
{
}

void LocalClientRelay::PushQueueToLocal() const
{
    if (CClientSocket *local = m_channels.LocalClient())
        local->Send(Packet::EncodeQueueList(m_queue));
}

void LocalClientRelay::RelayKeyToLocal(quint32 key) const
{
    if (CClientSocket *local = m_channels.LocalClient())
        local->Send(Packet::EncodeHeaderOnly(Cmd::RemoteControlKey, key));
}
