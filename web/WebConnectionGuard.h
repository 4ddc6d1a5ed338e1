#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QTcpSocket;
class WebListener;

// Watches one web connection from before the HTTP server reads it (a child of
// the socket, so it lives exactly as long): counts the bytes of the current
// request, finds where its headers end (the blank line; the parsing itself is
// the HTTP server's), and answers 431 or 413 and closes once the headers or
// the body pass 16 KiB. Closes the connection after the idle time.
class WebConnectionGuard : public QObject
{
    Q_OBJECT
public:
    WebConnectionGuard(QTcpSocket *socket, WebListener &listener);
    ~WebConnectionGuard() override;

    // The HTTP server has answered a request: the next one counts from zero.
    static void RequestHandled(QTcpSocket *socket);
    // The connection became a WebSocket: no idle close, no request counting.
    static void Upgraded(QTcpSocket *socket);

private:
    void OnReadyRead();
    // Answers with `status`, stops the HTTP server reading, and closes once
    // the answer has left (reading and dropping what still comes meanwhile).
    void Refuse(int status, const char *reason);
    void OnIdle();

    QTcpSocket *m_socket;
    QPointer<WebListener> m_listener;
    QTimer m_idle;
    qint64 m_bytes = 0;    // of the current request
    qint64 m_headEnd = -1; // offset after the blank line, once seen
    QByteArray m_tail;     // the last three bytes scanned, for a blank line split across reads
    bool m_refused = false;
    bool m_upgraded = false;
};
