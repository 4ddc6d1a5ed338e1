#pragma once

#include <QList>
#include <QString>

class CClientSocket;

// Where the connected terminals sit: slots of channels, a slot's index being
// the terminal's station number. Emptied slots stay and are reused, lowest
// first. The list says where channels are; the server creates and deletes them.
class ChannelList
{
public:
    // The slots in order, an empty slot holding nullptr. A copy, so a walk may
    // empty slots on its way.
    QList<CClientSocket *> channels() const { return m_slots; }
    int size() const { return int(m_slots.size()); }
    // The channel of a station, or nullptr for an empty or unknown slot.
    CClientSocket *at(int station) const;

    // Puts the channel into the lowest empty slot, else a new one at the end,
    // and returns that slot's index.
    int Put(CClientSocket *channel);
    // Empties the channel's slot; false when the channel holds none.
    bool Remove(CClientSocket *channel);
    // Forgets every slot.
    void Clear() { m_slots.clear(); }

    // The first connected channel whose address text is `address`.
    CClientSocket *Find(QStringView address) const;
    // The local client: the first connected channel from 127.0.0.1.
    CClientSocket *LocalClient() const;
    // Terminals that count against the limit when `address` connects: every
    // channel but the local client and those from `address` itself.
    int CountOthers(QStringView address) const;

private:
    QList<CClientSocket *> m_slots;
};
