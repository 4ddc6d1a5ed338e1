#pragma once

#include <QTcpServer>

// The listening socket for terminals: every IPv4 address, backlog 5.
class CListenSocket : public QTcpServer
{
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 3838;

    explicit CListenSocket(QObject *parent = nullptr);
    // 3838, or the port number in ORVA_RS_PORT (tests, two servers on one machine).
    static quint16 ListenPort();
    bool Listen(quint16 port);
};
