#include "net/ChannelList.h"

#include "net/CClientSocket.h"

CClientSocket *ChannelList::at(int station) const
{
    return station >= 0 && station < m_slots.size() ? m_slots[station] : nullptr;
}

int ChannelList::Put(CClientSocket *channel)
{
    const qsizetype free = m_slots.indexOf(nullptr);
    if (free >= 0) {
        m_slots[free] = channel;
        return int(free);
    }
    m_slots.append(channel);
    return int(m_slots.size() - 1);
}

bool ChannelList::Remove(CClientSocket *channel)
{
    const qsizetype slot = channel ? m_slots.indexOf(channel) : -1;
    if (slot < 0)
        return false;
    m_slots[slot] = nullptr;
    return true;
}

CClientSocket *ChannelList::Find(QStringView address) const
{
    for (CClientSocket *channel : m_slots)
        if (channel && channel->hasSocket() && channel->addressText == address)
            return channel;
    return nullptr;
}

CClientSocket *ChannelList::LocalClient() const
{
    return Find(CClientSocket::kLocalAddress);
}

int ChannelList::CountOthers(QStringView address) const
{
    int others = 0;
    for (const CClientSocket *channel : m_slots)
        if (channel && !channel->isLocal() && channel->addressText != address)
            ++others;
    return others;
}
