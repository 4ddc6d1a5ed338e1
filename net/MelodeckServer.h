#pragma once

#include <QObject>
#include <QString>
#include <memory>

class CClientSocket;
class CListenSocket;
class ChannelList;
class Dispatcher;
struct QueConfig;

// The listener and the channels: admits terminals within the limit, replaces
// older connections from the same address, feeds received bytes to the
// dispatcher and closes channels one by one or all at once. It creates and
// deletes the channels; the channel list says which station each one is.
class MelodeckServer : public QObject
{
    Q_OBJECT
public:
    MelodeckServer(const QueConfig &config, ChannelList &channels, Dispatcher &dispatcher,
                   QObject *parent = nullptr);
    ~MelodeckServer() override;

    // Opens the listener on CListenSocket::ListenPort(); false when the port
    // cannot be had (startError() says why).
    bool StartServer();
    // Closes the listener and every channel, without notices.
    void StopServer();
    bool serverRunning() const { return m_serverRunning; }
    quint16 port() const { return m_port; }
    QString startError() const { return m_startError; }

    // Switches a station's channel off (packets logged and skipped) or on.
    bool SetChannelBlocked(int station, bool value);
    // Sends the operator's text (its first 40 characters) as StationMessage to
    // the first connected channel from `address`; false when there is none or
    // the send failed.
    bool SendStationMessage(QStringView address, const QString &text);

    // The host's first IPv4 address other than loopback, as dotted text, or
    // empty. Read from the network interfaces: no name lookup that could block.
    static QString HostAddressText();

Q_SIGNALS:
    // A channel was admitted (true) or closed by its peer (false).
    void channelNotice(bool admitted);
    // The local client (the player) was admitted.
    void localClientAdmitted();

private:
    void AcceptChannel();
    void AdmitChannel(std::unique_ptr<CClientSocket> channel);
    void ReceiveOnChannel(CClientSocket *channel);
    void CloseChannel(CClientSocket *channel);
    void CloseRemoteChannels();
    void CloseOversizeChannel(CClientSocket *channel);
    // Empties the channel's slot and deletes the channel.
    void ReleaseChannel(CClientSocket *channel);
    void DeleteChannel(CClientSocket *channel);

    const QueConfig &m_config;
    ChannelList &m_channels;
    Dispatcher &m_dispatcher;
    std::unique_ptr<CListenSocket> m_listenSocket;
    QString m_lastRefusedAddress;
    QString m_startError;
    quint16 m_port = 0;
    bool m_serverRunning = false;
};
