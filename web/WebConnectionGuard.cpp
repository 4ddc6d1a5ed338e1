#include "web/WebConnectionGuard.h"

#include "web/WebListener.h"

#include <QTcpSocket>
#include <sys/socket.h>

namespace {

// How long a refused connection may go on sending before it is cut.
constexpr int kLingerMs = 2000;

} // namespace

WebConnectionGuard::WebConnectionGuard(QTcpSocket *socket, WebListener &listener)
    : QObject(socket), m_socket(socket), m_listener(&listener)
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(listener.idleTimeout());
    connect(&m_idle, &QTimer::timeout, this, &WebConnectionGuard::OnIdle);
    // Connected before the HTTP server's own slot, so this sees every read first.
    connect(socket, &QTcpSocket::readyRead, this, &WebConnectionGuard::OnReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        if (!m_upgraded && !m_refused)
            m_idle.start();
    });
    m_idle.start();
}

WebConnectionGuard::~WebConnectionGuard()
{
    if (m_listener)
        m_listener->ConnectionClosed();
}

void WebConnectionGuard::RequestHandled(QTcpSocket *socket)
{
    auto *guard = socket->findChild<WebConnectionGuard *>(QString(), Qt::FindDirectChildrenOnly);
    if (!guard)
        return;
    guard->m_bytes = 0;
    guard->m_headEnd = -1;
    guard->m_tail.clear();
}

void WebConnectionGuard::Upgraded(QTcpSocket *socket)
{
    if (auto *guard =
            socket->findChild<WebConnectionGuard *>(QString(), Qt::FindDirectChildrenOnly)) {
        guard->m_upgraded = true;
        guard->m_idle.stop();
    }
}

void WebConnectionGuard::OnReadyRead()
{
    if (m_refused) {
        m_socket->readAll(); // dropped: the answer is already out
        return;
    }
    m_idle.start();
    const QByteArray fresh = m_socket->peek(m_socket->bytesAvailable());
    if (m_headEnd < 0) {
        const QByteArray scan = m_tail + fresh;
        const qsizetype blank = scan.indexOf("\r\n\r\n");
        if (blank >= 0)
            m_headEnd = m_bytes - m_tail.size() + blank + 4;
        else
            m_tail = scan.right(3);
    }
    m_bytes += fresh.size();
    if (m_listener)
        m_listener->NoteRequestBytes(m_bytes);
    if (m_headEnd < 0 ? m_bytes > WebListener::kMaxHead : m_headEnd > WebListener::kMaxHead)
        Refuse(431, "the request's headers are larger than 16 KiB");
    else if (m_headEnd >= 0 && m_bytes - m_headEnd > WebListener::kMaxBody)
        Refuse(413, "the request's body is larger than 16 KiB");
}

void WebConnectionGuard::Refuse(int status, const char *reason)
{
    m_refused = true;
    if (m_listener && m_listener->httpServer())
        m_socket->disconnect(m_listener->httpServer());
    if (m_socket->isTransactionStarted())
        m_socket->commitTransaction();
    m_socket->readAll();
    const QByteArray body = QByteArray("{\"error\":\"") + reason + "\"}";
    const QByteArray text = status == 431 ? "Request Header Fields Too Large" : "Payload Too Large";
    m_socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + text +
                    "\r\nContent-Type: application/json\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    m_socket->flush();
    // Half-closing lets the client read the answer; closing with its bytes
    // still unread would reset the connection and lose the answer.
    ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
    m_idle.start(kLingerMs);
}

void WebConnectionGuard::OnIdle()
{
    if (m_upgraded)
        return;
    if (m_socket->isTransactionStarted())
        m_socket->commitTransaction();
    m_socket->readAll();
    // The HTTP server deletes a socket that disconnects, unless it gave up on
    // it (a request it could not parse); either way it goes now.
    m_socket->abort();
    m_socket->deleteLater();
}
