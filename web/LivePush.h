#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QWebSocket;
class ReservationQueue;

// The live queue for screens and phones: every WebSocket on /api/live gets
// the whole queue as JSON when it connects and after each change. Changes are
// coalesced: any number in one turn of the event loop give one message,
// encoded once and sent to every socket.
class LivePush : public QObject
{
    Q_OBJECT
public:
    // `message` gives the queue's JSON text as it stands.
    LivePush(ReservationQueue &queue, std::function<QByteArray()> message,
             QObject *parent = nullptr);
    ~LivePush() override;

    // Takes a new WebSocket: sends it the queue now and keeps it until it closes.
    void Add(std::unique_ptr<QWebSocket> socket);
    int clients() const { return int(m_sockets.size()); }
    // Messages sent so far, one per batch of changes (not per socket).
    qint64 pushes() const { return m_pushes; }

private:
    void Push();

    std::function<QByteArray()> m_message;
    std::vector<QWebSocket *> m_sockets; // owned; deleted when they close
    QTimer m_endOfTurn;
    qint64 m_pushes = 0;
};
