#include "net/LocalClientRelay.h"

#include "net/CClientSocket.h"
#include "net/MelodeckServer.h"
#include "net/PacketHeader.h"
#include "net/PacketWriter.h"
#include "queue/ReservationQueue.h"

LocalClientRelay::LocalClientRelay(const MelodeckServer &server, const ReservationQueue &queue)
    : m_server(server), m_queue(queue)
{
}

void LocalClientRelay::PushQueueToLocal() const
{
    if (CClientSocket *local = m_server.LocalClient())
        local->Send(m_queue.BuildQueueList());
}

void LocalClientRelay::RelayKeyToLocal(quint32 key) const
{
    CClientSocket *local = m_server.LocalClient();
    if (!local)
        return;
    local->Send(PacketWriter(PacketHeader::kSize, Cmd::RemoteControlKey, 0, key).packet());
}
