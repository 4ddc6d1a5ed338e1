#include "web/GuestWeb.h"

#include "base/EventLog.h"
#include "base/GuestWebConfig.h"
#include "web/GuestRequests.h"
#include "web/GuestWebServer.h"
#include "web/LivePush.h"
#include "web/WebListener.h"

#include <QJsonDocument>
#include <QNetworkInterface>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>
#include <cstdio>

// The pages live in this static library; its resources are registered by hand.
static void InitWebResources()
{
    Q_INIT_RESOURCE(web);
}

GuestWeb::GuestWeb(const GuestWebConfig &web, const QueConfig &queConfig, const VenueConfig &venue,
                   const SongCatalogue &catalogue, ReservationQueue &queue, LocalClientRelay &relay,
                   QObject *parent)
    : QObject(parent), m_web(web),
      m_requests(std::make_unique<GuestRequests>(catalogue, queue, relay, queConfig, venue, web)),
      m_server(std::make_unique<GuestWebServer>(web, queConfig, catalogue, queue, *m_requests)),
      m_live(std::make_unique<LivePush>(queue, [this] {
          return QJsonDocument(m_server->QueueJson()).toJson(QJsonDocument::Compact);
      }))
{
    InitWebResources();
    m_server->SetGuestUrl([this] { return GuestUrl(); });
    connect(m_server.get(), &GuestWebServer::newWebSocketConnection, this, [this] {
        while (m_server->hasPendingWebSocketConnections()) {
            std::unique_ptr<QWebSocket> socket = m_server->nextPendingWebSocketConnection();
            if (m_listener)
                m_listener->HandOver(socket->peerAddress(), socket->peerPort());
            m_live->Add(std::move(socket));
        }
    });
}

GuestWeb::~GuestWeb()
{
    Stop();
}

bool GuestWeb::Start()
{
    if (!m_web.Enabled || isListening())
        return true;
    const quint16 port = WebListener::ListenPort(m_web.Port);
    auto listener = std::make_unique<WebListener>();
    if (!listener->listen(QHostAddress::AnyIPv4, port)) {
        WriteLog("Guest web could not open port %d: %s.", port,
                 qUtf8Printable(listener->errorString()));
        std::fprintf(stderr, "Guest web could not open port %d: %s.\n", port,
                     qUtf8Printable(listener->errorString()));
        return false;
    }
    listener->SetHttpServer(m_server.get());
    m_server->bind(listener.get());
    m_listener = std::move(listener);
    // No line on success: the Guest Web dialog shows where it listens.
    // The search text is built once the event loop runs, at start rather
    // than in the middle of a busy evening.
    QTimer::singleShot(0, m_server.get(), [server = m_server.get()] { server->PrepareSearch(); });
    return true;
}

void GuestWeb::Stop()
{
    // Its connections are its children and close with it.
    m_listener.reset();
}

bool GuestWeb::Restart()
{
    Stop();
    return Start();
}

bool GuestWeb::isListening() const
{
    return m_listener && m_listener->isListening();
}

quint16 GuestWeb::port() const
{
    return isListening() ? m_listener->serverPort() : WebListener::ListenPort(m_web.Port);
}

QString GuestWeb::GuestUrl() const
{
    return GuestUrlFor(port(), m_web.Pin);
}

QString GuestWeb::GuestUrlFor(quint16 port, const QString &pin)
{
    QString host = QStringLiteral("127.0.0.1");
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()) {
            host = address.toString();
            break;
        }
    }
    QString url = QStringLiteral("http://%1:%2/").arg(host).arg(port);
    if (!pin.isEmpty())
        url += QStringLiteral("?pin=") + QString::fromLatin1(QUrl::toPercentEncoding(pin));
    return url;
}
