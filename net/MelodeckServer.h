#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <memory>

class CClientSocket;
class CListenSocket;
class Dispatcher;
struct QueConfig;

// The listener and the channel list: admits terminals within the limit,
// replaces older connections from the same address, feeds received bytes to
// the dispatcher and closes channels one by one or all at once.
class MelodeckServer : public QObject
{
    Q_OBJECT
public:
    // More terminals than this are refused whatever the operator's limit.
    static constexpr int kMaxOthers = 30;

    explicit MelodeckServer(const QueConfig &config, QObject *parent = nullptr);
    ~MelodeckServer() override;

    void setDispatcher(Dispatcher *dispatcher) { m_dispatcher = dispatcher; }

    // Opens the listener on ListenPort(); false when the port cannot be had.
    bool StartServer();
    // Closes the listener and every channel, without notices.
    void StopServer();
    bool serverRunning() const { return m_serverRunning; }
    quint16 port() const { return m_port; }
    // Why the last StartServer failed, for the operator without a window.
    QString startError() const { return m_startError; }

    // Closes every terminal but the local client once the current receive is handled.
    void RequestReconnect() { m_reconnectRequested = true; }
    // Switches a station's channel off (packets logged and skipped) or on.
    bool SetChannelBlocked(int station, bool value);

    // Slots of the channel list; an empty slot holds nullptr.
    const QList<CClientSocket *> &channelList() const { return m_channelList; }
    // The first channel connected from 127.0.0.1, if any.
    CClientSocket *LocalClient() const;
    // The first channel with a connection whose address text is `address`.
    CClientSocket *FindChannel(const QString &address) const;

    // The host's first IPv4 address as dotted text, or empty.
    static QString HostAddressText();

Q_SIGNALS:
    // A channel was admitted (true) or closed by its peer (false).
    void channelNotice(bool admitted);

private:
    void AcceptChannel();
    void AdmitChannel(std::unique_ptr<CClientSocket> channel);
    void ReceiveOnChannel(CClientSocket *channel);
    void CloseChannel(CClientSocket *channel);
    void CloseRemoteChannels();
    void CloseOversizeChannel(CClientSocket *channel);
    // Empties the channel's slot under the lock and deletes the channel.
    void ReleaseChannel(CClientSocket *channel);
    void DeleteChannel(CClientSocket *channel);

    const QueConfig &m_config;
    Dispatcher *m_dispatcher = nullptr;
    std::unique_ptr<CListenSocket> m_listenSocket;
    QList<CClientSocket *> m_channelList;
    QMutex m_channelLock;
    QString m_lastRefusedAddress;
    QString m_startError;
    quint16 m_port = 0;
    bool m_serverRunning = false;
    bool m_reconnectRequested = false;
};
