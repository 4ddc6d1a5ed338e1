#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QtGlobal>

class CClientSocket;
class ChannelList;
class ReservationQueue;

// What the local client (the player on this machine, connected from
// 127.0.0.1) is sent besides replies: the whole queue after changes, and every
// remote-control key. Without a local client nothing is sent.
//
// Queue pushes are coalesced: any number of changes in one turn of the event
// loop give one QueueList, encoded when it leaves, so it carries the queue as
// it stands. While the player has not taken what it was sent, the push waits
// (a newer one replaces it) until the player reads again.
class LocalClientRelay : public QObject
{
    Q_OBJECT
public:
    LocalClientRelay(const ChannelList &channels, const ReservationQueue &queue,
                     QObject *parent = nullptr);

    // Asks for QueueList with every entry of the queue, sent once the current
    // turn of the event loop is done (or at the next FlushPushes).
    void PushQueueToLocal();
    // Passes a remote-control key code on at once, as a 16-byte RemoteControlKey packet.
    void RelayKeyToLocal(quint32 key) const;
    // Sends the queue now if a push is due and the player has taken all it was sent.
    void FlushPushes();

    bool pushPending() const { return m_pushPending; }
    // QueueList packets encoded so far: one per push that left.
    qint64 pushesSent() const { return m_pushesSent; }

private:
    const ChannelList &m_channels;
    const ReservationQueue &m_queue;
    QTimer m_endOfTurn;
    QPointer<CClientSocket> m_waitingOn; // the player whose next read sends the push
    bool m_pushPending = false;
    qint64 m_pushesSent = 0;
};
