#pragma once

#include <QObject>
#include <QString>
#include <memory>

struct GuestWebConfig;
struct QueConfig;
struct VenueConfig;
class GuestRequests;
class GuestWebServer;
class LivePush;
class LocalClientRelay;
class ReservationQueue;
class SongCatalogue;
class WebListener;

// The guest web front as a whole: its listener with the limits, the HTTP
// server with the pages and the API, the requests from phones and the live
// pushes. It uses the core only through the operations the terminals use.
// A port that cannot be opened costs a log line and a line on standard
// error; the server runs on without the web.
class GuestWeb : public QObject
{
    Q_OBJECT
public:
    GuestWeb(const GuestWebConfig &web, const QueConfig &queConfig, const VenueConfig &venue,
             const SongCatalogue &catalogue, ReservationQueue &queue, LocalClientRelay &relay,
             QObject *parent = nullptr);
    ~GuestWeb() override;

    // Listens when the settings enable the web; false when enabled but the
    // port could not be opened.
    bool Start();
    void Stop();
    // After a change of the settings: listens again on the (new) port, or stops.
    bool Restart();

    bool isListening() const;
    quint16 port() const;
    // The address a phone opens: this machine's first network address (not
    // loopback, when there is one), the port, and the PIN when one is set.
    QString GuestUrl() const;
    // The same for a port and PIN not (yet) in use, as the settings dialog shows them.
    static QString GuestUrlFor(quint16 port, const QString &pin);

    WebListener &listener() { return *m_listener; }
    LivePush &live() { return *m_live; }
    GuestRequests &requests() { return *m_requests; }

private:
    const GuestWebConfig &m_web;
    std::unique_ptr<GuestRequests> m_requests;
    std::unique_ptr<GuestWebServer> m_server;
    std::unique_ptr<LivePush> m_live;
    std::unique_ptr<WebListener> m_listener;
};
