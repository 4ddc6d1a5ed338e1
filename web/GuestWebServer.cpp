#include "web/GuestWebServer.h"

#include "base/GuestWebConfig.h"
#include "base/QueConfig.h"
#include "catalogue/SongCatalogue.h"
#include "queue/ReservationQueue.h"
#include "web/GuestRequests.h"
#include "web/QrSvg.h"
#include "web/WebConnectionGuard.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QUrlQuery>

namespace {

using Method = QHttpServerRequest::Method;

// The guest id of the request's cookie: 32 hex digits, or empty.
QString CookieGuest(const QHttpServerRequest &request)
{
    const QByteArray prefix = QByteArray(GuestWebServer::kCookie) + '=';
    for (QByteArray part : request.value("cookie").split(';')) {
        part = part.trimmed();
        if (!part.startsWith(prefix))
            continue;
        const QByteArray id = part.mid(prefix.size());
        const bool hex = id.size() == 32 && std::all_of(id.begin(), id.end(), [](char c) {
                             return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
                         });
        return hex ? QString::fromLatin1(id) : QString();
    }
    return {};
}

QString NewGuestId()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex());
}

// The methods a path answers, or empty for a path that does not exist.
QByteArray AllowedMethods(const QString &path)
{
    static const QHash<QString, QByteArray> kRoutes = {
        {QStringLiteral("/"), "GET"},
        {QStringLiteral("/screen"), "GET"},
        {QStringLiteral("/guest.js"), "GET"},
        {QStringLiteral("/screen.js"), "GET"},
        {QStringLiteral("/style.css"), "GET"},
        {QStringLiteral("/qr.svg"), "GET"},
        {QStringLiteral("/api/info"), "GET"},
        {QStringLiteral("/api/songs"), "GET"},
        {QStringLiteral("/api/queue"), "GET"},
        {QStringLiteral("/api/live"), "GET"},
        {QStringLiteral("/api/requests"), "POST"},
    };
    if (path.startsWith(QStringLiteral("/api/requests/")))
        return "DELETE";
    return kRoutes.value(path);
}

const char *MethodName(Method method)
{
    switch (method) {
    case Method::Get:
        return "GET";
    case Method::Post:
        return "POST";
    case Method::Delete:
        return "DELETE";
    default:
        return "";
    }
}

} // namespace

GuestWebServer::GuestWebServer(const GuestWebConfig &web, const QueConfig &queConfig,
                               const SongCatalogue &catalogue, const ReservationQueue &queue,
                               GuestRequests &requests, QObject *parent)
    : QAbstractHttpServer(parent), m_web(web), m_queConfig(queConfig), m_catalogue(catalogue),
      m_queue(queue), m_requests(requests), m_search(catalogue)
{
    m_clock.start();
}

bool GuestWebServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    WebConnectionGuard::RequestHandled(socket);
    // The WebSocket handshake answers this one; a word from here would spoil it.
    if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0)
        return true;
    QString guest = CookieGuest(request);
    const bool newGuest = guest.isEmpty();
    if (newGuest)
        guest = NewGuestId();
    const Reply reply = Route(request, guest);
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(reply.status));
    responder.writeHeader("Content-Type", reply.type);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    // Only the venue's own scripts and styles; no inline script, nothing from outside.
    responder.writeHeader("Content-Security-Policy",
                          "default-src 'self'; img-src 'self' data:; connect-src 'self' ws: wss:; "
                          "frame-ancestors 'none'");
    if (!reply.allow.isEmpty())
        responder.writeHeader("Allow", reply.allow);
    if (newGuest)
        responder.writeHeader("Set-Cookie",
                              QByteArray(kCookie) + '=' + guest.toLatin1() +
                                  "; Path=/; HttpOnly; SameSite=Strict; Max-Age=86400");
    responder.writeBody(reply.body);
    return true;
}

void GuestWebServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    handleRequest(request, socket);
}

GuestWebServer::Reply GuestWebServer::Route(const QHttpServerRequest &request, const QString &guest)
{
    const QString path = request.url().path();
    const QByteArray allow = AllowedMethods(path);
    if (allow.isEmpty())
        return Error(404, QStringLiteral("there is no page %1").arg(path.left(100)));
    if (allow != MethodName(request.method())) {
        Reply reply = Error(
            405,
            QStringLiteral("%1 takes only %2").arg(path.left(100), QString::fromLatin1(allow)));
        reply.allow = allow;
        return reply;
    }
    if (request.method() == Method::Post &&
        !m_postLimit.Allow(request.remoteAddress().toString(), m_clock.elapsed()))
        return Error(429, QStringLiteral("too many requests from this address: wait a minute"));
    if (path == u"/")
        return Page(QStringLiteral(":/web/guest.html"), "text/html; charset=utf-8");
    if (path == u"/screen")
        return Page(QStringLiteral(":/web/screen.html"), "text/html; charset=utf-8");
    if (path.endsWith(u".js"))
        return Page(QStringLiteral(":/web") + path, "text/javascript; charset=utf-8");
    if (path == u"/style.css")
        return Page(QStringLiteral(":/web/style.css"), "text/css; charset=utf-8");
    if (path == u"/qr.svg") {
        const QString url = m_guestUrl ? m_guestUrl() : QString();
        return {200, QrSvg(url.toUtf8()), "image/svg+xml", {}};
    }
    if (path == u"/api/info")
        return Info(guest);
    if (path == u"/api/songs")
        return Songs(request);
    if (path == u"/api/queue")
        return Json(QueueJson(guest));
    if (path == u"/api/live")
        return Error(426, QStringLiteral("/api/live is a WebSocket"));
    if (path == u"/api/requests")
        return PostRequest(request, guest);
    bool ok = false;
    const int id = path.mid(int(qstrlen("/api/requests/"))).toInt(&ok);
    if (!ok || id <= 0)
        return Error(404, QStringLiteral("there is no request %1").arg(path.mid(14).left(20)));
    return DeleteRequest(request, guest, id);
}

GuestWebServer::Reply GuestWebServer::Info(const QString &guest) const
{
    return Json({{"requests", m_web.Requests},
                 {"keyControl", m_queConfig.Pitch},
                 {"tempoControl", m_queConfig.Tempo},
                 {"nameRequired", m_queConfig.Uname},
                 {"maxPerGuest", m_web.MaxPerGuest},
                 {"pinRequired", !m_web.Pin.isEmpty()},
                 {"admitted", Admitted(guest)},
                 {"songCount", int(m_catalogue.songCount())},
                 {"url", m_guestUrl ? m_guestUrl() : QString()}});
}

GuestWebServer::Reply GuestWebServer::Songs(const QHttpServerRequest &request)
{
    const QUrlQuery query = request.query();
    bool pageOk = true;
    bool sizeOk = true;
    const QString pageText = query.queryItemValue(QStringLiteral("page"));
    const QString sizeText = query.queryItemValue(QStringLiteral("size"));
    const int page = pageText.isEmpty() ? 0 : pageText.toInt(&pageOk);
    const int size = sizeText.isEmpty() ? 20 : sizeText.toInt(&sizeOk);
    if (!pageOk || page < 0)
        return Error(400, QStringLiteral("page must be a number from 0"));
    if (!sizeOk || size < 1 || size > SongSearch::kMaxPageSize)
        return Error(400, QStringLiteral("size must be a number from 1 to 100"));
    const QString q = query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded).left(100);
    const SongSearch::Page found = m_search.Find(q, page, size);
    QJsonArray songs;
    for (const int position : found.positions) {
        const SongRecord &song = m_catalogue.Record(position);
        songs.append(QJsonObject{{"number", qint64(song.number)},
                                 {"title", song.TitleText()},
                                 {"artist", song.ArtistText()}});
    }
    return Json({{"total", found.total},
                 {"more", found.more},
                 {"page", page},
                 {"size", size},
                 {"songs", songs}});
}

GuestWebServer::Reply GuestWebServer::PostRequest(const QHttpServerRequest &request,
                                                  const QString &guest)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(request.body(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return Error(400, QStringLiteral("the request is not a JSON object"));
    const QJsonObject body = document.object();
    const QJsonValue number = body.value(u"number");
    if (!number.isDouble() || number.toDouble() < 1 || number.toDouble() > 4294967295.0 ||
        number.toDouble() != std::floor(number.toDouble()))
        return Error(400, QStringLiteral("number must be a song number"));
    if (!Admit(guest, body.value(u"pin").toString()))
        return Error(403, QStringLiteral("this venue asks for its PIN: ask the staff"));
    GuestRequests::Ask ask;
    ask.guest = guest;
    ask.address = request.remoteAddress().toString();
    ask.number = quint32(number.toDouble());
    ask.name = body.value(u"name").toString();
    ask.key = body.value(u"key").toInt();
    ask.tempo = body.value(u"tempo").toInt();
    const GuestRequests::Outcome outcome = m_requests.Add(ask);
    if (outcome.status != 200)
        return Error(outcome.status, outcome.reason);
    return Json(
        {{"id", outcome.id}, {"number", qint64(ask.number)}, {"position", outcome.position}}, 201);
}

GuestWebServer::Reply GuestWebServer::DeleteRequest(const QHttpServerRequest &request,
                                                    const QString &guest, int id)
{
    if (!Admitted(guest))
        return Error(403, QStringLiteral("this venue asks for its PIN: ask the staff"));
    const GuestRequests::Outcome outcome =
        m_requests.Cancel(guest, request.remoteAddress().toString(), id);
    if (outcome.status != 200)
        return Error(outcome.status, outcome.reason);
    return Json({{"id", id}});
}

QJsonObject GuestWebServer::QueueJson(const QString &guest) const
{
    QJsonArray entries;
    const std::vector<int> ids = m_requests.IdsInQueue();
    const QSet<int> mine = guest.isEmpty() ? QSet<int>() : m_requests.GuestIds(guest);
    for (int i = 0; i < m_queue.count(); ++i) {
        const QueueEntry &e = m_queue.entry(i);
        const SongRecord *song = m_catalogue.FindSongByNumber(e.number);
        QJsonObject entry{{"position", i + 1},
                          {"number", qint64(e.number)},
                          {"title", song ? song->TitleText() : QString()},
                          {"artist", song ? song->ArtistText() : QString()},
                          {"name", e.CustomerText()},
                          {"accepted", e.acceptedAt.isValid()}};
        if (const int id = ids[size_t(i)]) {
            entry.insert(u"id", id);
            if (!guest.isEmpty())
                entry.insert(u"mine", mine.contains(id));
        }
        entries.append(entry);
    }
    return {{"count", m_queue.count()}, {"entries", entries}};
}

bool GuestWebServer::Admit(const QString &guest, const QString &pin)
{
    if (Admitted(guest))
        return true;
    if (pin != m_web.Pin)
        return false;
    m_admitted.insert(guest);
    return true;
}

bool GuestWebServer::Admitted(const QString &guest) const
{
    return m_web.Pin.isEmpty() || m_admitted.contains(guest);
}

GuestWebServer::Reply GuestWebServer::Json(const QJsonObject &object, int status)
{
    return {status, QJsonDocument(object).toJson(QJsonDocument::Compact), "application/json", {}};
}

GuestWebServer::Reply GuestWebServer::Error(int status, const QString &reason)
{
    return Json({{"error", reason}}, status);
}

GuestWebServer::Reply GuestWebServer::Page(const QString &resource, const QByteArray &type)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return Error(404, QStringLiteral("there is no such page"));
    return {200, file.readAll(), type, {}};
}
