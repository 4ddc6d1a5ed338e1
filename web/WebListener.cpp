#include "web/WebListener.h"

#include "base/EventLog.h"
#include "web/WebConnectionGuard.h"

#include <QTcpSocket>
#include <unistd.h>

WebListener::WebListener(QObject *parent) : QTcpServer(parent)
{
    // A room full of phones may connect at once.
    setListenBacklogSize(kMaxConnections);
}

quint16 WebListener::ListenPort(int configured)
{
    bool ok = false;
    const uint port = qEnvironmentVariable("ORVA_RS_WEB_PORT").toUInt(&ok);
    // 0 asks for any free port (tests, several servers on one machine).
    if (ok && port <= 65535)
        return quint16(port);
    return configured > 0 && configured <= 65535 ? quint16(configured) : quint16(3880);
}

void WebListener::incomingConnection(qintptr descriptor)
{
    if (m_open >= kMaxConnections) {
        // One line per flood, not one per connection.
        if (!m_atLimitLogged)
            WriteLog("Web connections at the limit (%d): new ones are closed.", kMaxConnections);
        m_atLimitLogged = true;
        ::close(int(descriptor));
        return;
    }
    m_atLimitLogged = false;
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setReadBufferSize(kReadBuffer);
    new WebConnectionGuard(socket, *this); // a child of the socket
    ++m_open;
    addPendingConnection(socket);
}

void WebListener::HandOver(const QHostAddress &peer, quint16 peerPort)
{
    for (QTcpSocket *socket : findChildren<QTcpSocket *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (socket->peerPort() != peerPort || socket->peerAddress() != peer)
            continue;
        WebConnectionGuard::Upgraded(socket);
        socket->setParent(nullptr);
        return;
    }
}
