#pragma once

#include <QByteArray>
#include <QHash>
#include <QThread>

// The floor a server is measured against: on a thread of its own, a TCP
// listener on 127.0.0.1 that cuts the received bytes into packets by their
// header and answers each with a fixed reply of the same size as the real
// one, doing nothing else. Its round trips are what the network, the event
// loop and the packet sizes alone cost on this machine.
class EchoResponder
{
public:
    // `replies`: the reply to each request command; other packets are dropped.
    explicit EchoResponder(const QHash<quint32, QByteArray> &replies);
    ~EchoResponder();

    // The port it listens on, 0 when it could not listen.
    quint16 port() const { return m_port; }

private:
    QThread m_thread;
    quint16 m_port = 0;
};
