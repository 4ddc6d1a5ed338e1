#include "net/CListenSocket.h"

CListenSocket::CListenSocket(QObject *parent) : QTcpServer(parent)
{
    setListenBacklogSize(5);
}

quint16 CListenSocket::ListenPort()
{
    bool ok = false;
    const uint port = qEnvironmentVariable("ORVA_RS_PORT").toUInt(&ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : kDefaultPort;
}

bool CListenSocket::Listen(quint16 port)
{
    return listen(QHostAddress::AnyIPv4, port);
}
