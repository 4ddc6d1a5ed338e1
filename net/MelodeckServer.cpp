#include "net/MelodeckServer.h"

#include "base/BuildInfo.h"
#include "base/EventLog.h"
#include "base/QueConfig.h"
#include "net/CClientSocket.h"
#include "net/CListenSocket.h"
#include "net/ChannelList.h"
#include "net/Dispatcher.h"
#include "protocol/Replies.h"

#include <QNetworkInterface>
#include <QTcpSocket>

MelodeckServer::MelodeckServer(const QueConfig &config, ChannelList &channels,
                               Dispatcher &dispatcher, QObject *parent)
    : QObject(parent), m_config(config), m_channels(channels), m_dispatcher(dispatcher)
{
}

MelodeckServer::~MelodeckServer()
{
    StopServer();
}

bool MelodeckServer::StartServer()
{
    for (CClientSocket *channel : m_channels.channels())
        DeleteChannel(channel);
    m_channels.Clear();
    m_port = CListenSocket::ListenPort();
    m_listenSocket = std::make_unique<CListenSocket>();
    connect(m_listenSocket.get(), &QTcpServer::newConnection, this, &MelodeckServer::AcceptChannel);
    if (!m_listenSocket->Listen(m_port)) {
        m_startError = m_listenSocket->errorString();
        return false;
    }
    m_serverRunning = true;
    WriteLog("MelodeckServer started port %d [Version: %s %s].", int(m_port),
             qUtf8Printable(BuildInfo::Date()), qUtf8Printable(BuildInfo::Time()));
    return true;
}

void MelodeckServer::StopServer()
{
    if (!m_listenSocket && m_channels.size() == 0)
        return;
    WriteLog("MelodeckServer stopped.");
    if (m_listenSocket) {
        m_listenSocket->close();
        m_listenSocket.reset();
    }
    m_serverRunning = false;
    for (CClientSocket *channel : m_channels.channels())
        DeleteChannel(channel);
    m_channels.Clear();
}

// Admits or refuses every connection waiting on the listener.
void MelodeckServer::AcceptChannel()
{
    while (m_listenSocket && m_listenSocket->hasPendingConnections()) {
        QTcpSocket *socket = m_listenSocket->nextPendingConnection();
        if (!socket)
            return;
        AdmitChannel(std::make_unique<CClientSocket>(socket));
    }
}

void MelodeckServer::AdmitChannel(std::unique_ptr<CClientSocket> channel)
{
    QTcpSocket *socket = channel->socket();
    bool isIpv4 = false;
    const quint32 peer = socket->peerAddress().toIPv4Address(&isIpv4);
    if (!isIpv4) {
        DeleteChannel(channel.release());
        return;
    }
    const QString address = QHostAddress(peer).toString();

    const int others = m_channels.CountOthers(address);
    if (others > QueConfig::kMaxUsers) {
        WriteLog("ConRequest from [%s] refused. All %d Channeles allocated.",
                 qUtf8Printable(address), m_channels.size());
        DeleteChannel(channel.release());
        return;
    }
    if (others > m_config.Users) {
        // A terminal retrying from one address is logged once, not at every try.
        if (address != m_lastRefusedAddress) {
            m_lastRefusedAddress = address;
            WriteLog("ConRequest from [%s] refused. All %d Channeles allocated (max. users).",
                     qUtf8Printable(address), m_config.Users);
        }
        DeleteChannel(channel.release());
        return;
    }

    // A terminal reconnecting from the same address replaces its old channel.
    for (CClientSocket *old : m_channels.channels()) {
        if (!old || old->addressText != address)
            continue;
        WriteLog("Client[%d] %d (%s - %d) : connection closed.", 0, old->station,
                 qUtf8Printable(old->addressText), int(old->port));
        ReleaseChannel(old);
    }

    CClientSocket *ch = channel.release();
    ch->setParent(this);
    ch->port = socket->peerPort();
    ch->connectionState = CClientSocket::kAdmitted;
    ch->sortMode = 1;
    ch->currentPage = 0;
    ch->addressText = address;
    connect(ch, &CClientSocket::dataReady, this, &MelodeckServer::ReceiveOnChannel);
    connect(ch, &CClientSocket::peerClosed, this, &MelodeckServer::CloseChannel);
    connect(ch, &CClientSocket::stalled, this, &MelodeckServer::CloseChannel);
    ch->station = m_channels.Put(ch);
    WriteLog("Accepted ch %d, s %d for client [ %s - %d] user %d", 0, int(ch->socketHandle()),
             qUtf8Printable(ch->addressText), int(ch->port), others);
    Q_EMIT channelNotice(true);
    if (ch->isLocal())
        Q_EMIT localClientAdmitted();
}

// Reads everything the terminal has sent, a buffer at a time, and hands each
// whole packet to the dispatcher; the batch's replies leave together at the end.
void MelodeckServer::ReceiveOnChannel(CClientSocket *channel)
{
    while (!m_dispatcher.reconnectRequested() && channel->hasSocket() &&
           !channel->closeRequested() && channel->ReadReceived() > 0)
        m_dispatcher.DpfHandleMsg(*channel);
    m_dispatcher.EndBatch(*channel);
    // Replies that wait for the turn's commit leave before any channel closes.
    if (channel->closeRequested() || m_dispatcher.reconnectRequested())
        m_dispatcher.EndTurn();
    if (channel->closeRequested()) {
        CloseOversizeChannel(channel);
        return;
    }
    if (m_dispatcher.reconnectRequested())
        CloseRemoteChannels(); // may delete `channel`; nothing touches it afterwards
}

// The peer closed the connection (or stopped reading for good).
void MelodeckServer::CloseChannel(CClientSocket *channel)
{
    if (!m_channels.Remove(channel))
        return; // already closed by the server
    WriteLog("Client[%d] %d (%s) : connection closed.", 0, channel->station,
             qUtf8Printable(channel->addressText));
    Q_EMIT channelNotice(false);
    DeleteChannel(channel);
}

void MelodeckServer::CloseRemoteChannels()
{
    for (CClientSocket *channel : m_channels.channels()) {
        if (!channel || channel->isLocal())
            continue;
        WriteLog("Closed client %d (%s - %d).", channel->station,
                 qUtf8Printable(channel->addressText), int(channel->port));
        ReleaseChannel(channel);
    }
    m_dispatcher.ClearReconnectRequest();
}

// A header declared a packet larger than the receive buffer: it can never
// complete, so the terminal is dropped rather than left stuck.
void MelodeckServer::CloseOversizeChannel(CClientSocket *channel)
{
    WriteLog("Closed client %d (%s - %d).", channel->station, qUtf8Printable(channel->addressText),
             int(channel->port));
    ReleaseChannel(channel);
    Q_EMIT channelNotice(false);
}

void MelodeckServer::ReleaseChannel(CClientSocket *channel)
{
    m_channels.Remove(channel);
    DeleteChannel(channel);
}

// Closes the connection now; the object goes once the event loop is back,
// since it may be in the middle of emitting a signal.
void MelodeckServer::DeleteChannel(CClientSocket *channel)
{
    if (!channel)
        return;
    channel->disconnect(this);
    channel->Drop();
    channel->deleteLater();
}

bool MelodeckServer::SetChannelBlocked(int station, bool value)
{
    CClientSocket *channel = m_channels.at(station);
    if (!channel || channel->connectionState == 0)
        return false;
    channel->blocked = value ? 1 : 0;
    return true;
}

bool MelodeckServer::SendStationMessage(QStringView address, const QString &text)
{
    CClientSocket *channel = m_channels.Find(address);
    return channel && channel->Send(Packet::StationMessage{text}.Encode());
}

QString MelodeckServer::HostAddressText()
{
    for (const QHostAddress &address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    return {};
}
