#pragma once

#include "web/PostRateLimit.h"
#include "web/SongSearch.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QSet>
#include <functional>

struct GuestWebConfig;
struct QueConfig;
class GuestRequests;
class QHttpServerRequest;
class ReservationQueue;
class SongCatalogue;

// The guest web's HTTP side: the pages (built in as Qt resources) and the JSON
// API under /api/. Every answer is JSON or a page; every error is JSON with a
// reason a person can read. Guests are told apart by a random id in a cookie
// (HttpOnly, SameSite=Strict) given with the first answer that has none.
class GuestWebServer : public QAbstractHttpServer
{
    Q_OBJECT
public:
    static constexpr const char *kCookie = "orva_guest";

    GuestWebServer(const GuestWebConfig &web, const QueConfig &queConfig,
                   const SongCatalogue &catalogue, const ReservationQueue &queue,
                   GuestRequests &requests, QObject *parent = nullptr);

    // The address a phone opens (given by the owner, who knows the port).
    void SetGuestUrl(std::function<QString()> url) { m_guestUrl = std::move(url); }

    // Builds the song search's text now, so that no guest's first search waits for it.
    void PrepareSearch() { m_search.PrepareIfStale(); }
    // The queue as the pages show it; `guest` marks that guest's own entries.
    QJsonObject QueueJson(const QString &guest = QString()) const;

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    struct Reply
    {
        int status = 200;
        QByteArray body;
        QByteArray type = "application/json";
        QByteArray allow; // for 405
    };
    static Reply Json(const QJsonObject &object, int status = 200);
    static Reply Error(int status, const QString &reason);
    static Reply Page(const QString &resource, const QByteArray &type);

    Reply Route(const QHttpServerRequest &request, const QString &guest);
    Reply Info(const QString &guest) const;
    Reply Songs(const QHttpServerRequest &request);
    Reply PostRequest(const QHttpServerRequest &request, const QString &guest);
    Reply DeleteRequest(const QHttpServerRequest &request, const QString &guest, int id);
    // True when no PIN is set, the guest was let in before, or `pin` is right
    // (which lets the guest in for good).
    bool Admit(const QString &guest, const QString &pin);
    bool Admitted(const QString &guest) const;

    const GuestWebConfig &m_web;
    const QueConfig &m_queConfig;
    const SongCatalogue &m_catalogue;
    const ReservationQueue &m_queue;
    GuestRequests &m_requests;
    SongSearch m_search;
    PostRateLimit m_postLimit;
    QElapsedTimer m_clock;
    QSet<QString> m_admitted; // guests who gave the PIN
    std::function<QString()> m_guestUrl;
};
