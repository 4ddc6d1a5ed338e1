#pragma once

#include <QtGlobal>

class ChannelList;
class ReservationQueue;

// What the local client (the player on this machine, connected from
// 127.0.0.1) is sent besides replies: the whole queue after changes, and every
// remote-control key. Without a local client nothing is sent.
class LocalClientRelay
{
public:
    LocalClientRelay(const ChannelList &channels, const ReservationQueue &queue);

    // Sends QueueList with every entry of the queue.
    void PushQueueToLocal() const;
    // Passes a remote-control key code on as a 16-byte RemoteControlKey packet.
    void RelayKeyToLocal(quint32 key) const;

private:
    const ChannelList &m_channels;
    const ReservationQueue &m_queue;
};
