// The guest web under load, against the real server binary with a full
// catalogue (200,000 generated songs): the time of /api/songs queries on one
// kept-alive connection, and the time for a queue change to reach 200
// WebSocket clients with the memory those connections add to the server.
// Run: build/orva_web_bench [SERVER_BINARY]   (default: build/orva-rs-server)

#include "catalogue/SongCatalogue.h"
#include "tools/SongGenerator.h"
#include "tools/SongListWriter.h"
#include "web/SongSearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A /proc/<pid>/status field in KiB ("VmRSS", "VmHWM").
long StatusKiB(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').first().toLong();
    return -1;
}

void PrintTimes(const char *what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * ms.size()))]; };
    std::printf("%-44s n=%-6zu p50 %7.3f ms  p99 %7.3f ms  max %7.3f ms\n", what, ms.size(),
                at(0.5), at(0.99), ms.back());
}

// One HTTP exchange on a kept-alive connection; the answer's body.
QByteArray Exchange(QTcpSocket &socket, const QByteArray &request)
{
    socket.write(request);
    QByteArray got;
    qsizetype need = -1;
    WaitUntil([&] {
        got += socket.readAll();
        const qsizetype end = got.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        if (need < 0) {
            const qsizetype at = got.indexOf("Content-Length: ");
            need = end + 4 + got.mid(at + 16, 12).split('\r').first().toLongLong();
        }
        return got.size() >= need;
    });
    return got;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString binary =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/orva-rs-server");
    QTemporaryDir home;
    const QString data = home.filePath(QStringLiteral("Documents/ORVA RS Server"));
    QDir().mkpath(data);
    const QList<CatalogueSong> songs = SongGenerator().Generate(SongCatalogue::kCapacity, true);
    SongListWriter::WriteRecordFiles(data + QStringLiteral("/moxiinfo.dat"), songs, 0x5EED0001);
    QFile ini(data + QStringLiteral("/Moxi.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[QueConfig]\r\nUname=0\r\n[GuestWeb]\r\nMaxPerGuest=0\r\n");
    ini.close();

    // --- Search: words and fragments of titles and artists, and numbers.
    QRandomGenerator random(7);
    QList<QString> texts;
    for (int i = 0; i < 1000; ++i) {
        const CatalogueSong &song = songs[random.bounded(int(songs.size()))];
        const QString text = i % 3 == 0 ? song.artist : song.title;
        const int length = 1 + random.bounded(std::min<int>(6, int(text.size())));
        const QString part = i % 10 == 9
                                 ? QString::number(song.number).left(3)
                                 : text.mid(random.bounded(int(text.size()) - length + 1), length);
        texts.append(part);
    }
    // The search alone, in this process, as the server runs it.
    {
        SongCatalogue catalogue;
        catalogue.LoadSongDatabase(data + QStringLiteral("/moxiinfo.dat"));
        SongSearch search(catalogue);
        QElapsedTimer clock;
        clock.start();
        search.Find(QStringLiteral("love"), 0, 20);
        std::printf("building the search text (first search after a load) %.1f ms\n",
                    clock.nsecsElapsed() / 1e6);
        std::vector<double> times;
        for (const QString &text : texts) {
            clock.restart();
            search.Find(text, 0, 20);
            times.push_back(clock.nsecsElapsed() / 1e6);
        }
        PrintTimes("SongSearch::Find in process", times);
    }

    const quint16 webPort = FreePort();
    QProcess server;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("ORVA_RS_PORT"), QString::number(FreePort()));
    env.insert(QStringLiteral("ORVA_RS_WEB_PORT"), QString::number(webPort));
    env.remove(QStringLiteral("XDG_DOCUMENTS_DIR"));
    server.setProcessEnvironment(env);
    server.setWorkingDirectory(home.path());
    server.start(binary, {});
    QByteArray log;
    if (!WaitUntil([&] {
            log += server.readAllStandardOutput();
            return log.contains("MelodeckServer started port");
        })) {
        std::fprintf(stderr, "the server did not start: %s\n", log.constData());
        return 1;
    }
    std::printf("server %s, %lld songs, RSS after start %ld KiB\n", qPrintable(binary),
                qlonglong(songs.size()), StatusKiB(server.processId(), "VmRSS:"));

    QTcpSocket http;
    http.connectToHost(QHostAddress::LocalHost, webPort);
    const auto query = [&](const QByteArray &q) {
        return "GET /api/songs?q=" + q + "&size=20 HTTP/1.1\r\nHost: bench\r\n\r\n";
    };
    QElapsedTimer clock;
    clock.start();
    Exchange(http, query("love"));
    std::printf("first search over HTTP (builds the search text) %.1f ms\n",
                clock.nsecsElapsed() / 1e6);
    std::vector<double> times;
    for (const QString &text : texts) {
        clock.restart();
        Exchange(http, query(QUrl::toPercentEncoding(text)));
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    PrintTimes("/api/songs round trip (1-6 letters, numbers)", times);
    std::printf("RSS after searching %ld KiB\n", StatusKiB(server.processId(), "VmRSS:"));

    // --- 200 live clients: memory, then the time a change takes to reach all.
    const long rssBefore = StatusKiB(server.processId(), "VmRSS:");
    std::vector<std::unique_ptr<QWebSocket>> clients;
    std::vector<qint64> received(200, 0);
    QElapsedTimer since;
    since.start();
    int messages = 0;
    for (int i = 0; i < 200; ++i) {
        clients.push_back(std::make_unique<QWebSocket>());
        QObject::connect(clients.back().get(), &QWebSocket::textMessageReceived, [&, i] {
            received[size_t(i)] = since.nsecsElapsed();
            ++messages;
        });
        clients.back()->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/live").arg(webPort)));
    }
    if (!WaitUntil([&] { return messages == 200; })) {
        std::fprintf(stderr, "only %d of 200 clients got the queue\n", messages);
        return 1;
    }
    QThread::msleep(200);
    const long rssAfter = StatusKiB(server.processId(), "VmRSS:");
    std::printf("200 WebSocket clients add %ld KiB to the server's RSS (%ld -> %ld KiB)\n",
                rssAfter - rssBefore, rssBefore, rssAfter);
    times.clear();
    for (int round = 0; round < 50; ++round) {
        // Each request from its own loopback address: one address may post 20 a minute.
        QTcpSocket poster;
        poster.bind(QHostAddress(quint32((127u << 24) | quint32(10 + round))), 0);
        poster.connectToHost(QHostAddress::LocalHost, webPort);
        WaitUntil([&] { return poster.state() == QAbstractSocket::ConnectedState; });
        const QByteArray body =
            "{\"number\":" + QByteArray::number(songs[round * 1000].number) + '}';
        messages = 0;
        const qint64 sent = since.nsecsElapsed();
        poster.write("POST /api/requests HTTP/1.1\r\nHost: bench\r\nContent-Type: "
                     "application/json\r\nContent-Length: " +
                     QByteArray::number(body.size()) + "\r\n\r\n" + body);
        if (!WaitUntil([&] { return messages == 200; })) {
            std::fprintf(stderr, "round %d: %d of 200 clients got the change\n", round, messages);
            return 1;
        }
        for (const qint64 at : received)
            times.push_back((at - sent) / 1e6);
    }
    PrintTimes("change (web request) to each of 200 clients", times);
    std::printf("server peak RSS %ld KiB\n", StatusKiB(server.processId(), "VmHWM:"));
    server.terminate();
    server.waitForFinished(5000);
    clients.clear();

    // --- The terminals' round trips (melodeck bench, 31 terminals), with the
    // web off, then while 50 phones search (four queries a second each) and
    // request songs (every tenth query).
    const auto terminalBench = [&](bool web) {
        QFile settings(data + QStringLiteral("/Moxi.ini"));
        settings.open(QIODevice::WriteOnly);
        settings.write(QByteArray("[QueConfig]\r\nUsers=30\r\nUname=0\r\n[GuestWeb]\r\nEnabled=") +
                       (web ? "1" : "0") + "\r\nMaxPerGuest=0\r\n");
        settings.close();
        const quint16 port = FreePort();
        QProcess busy;
        QProcessEnvironment busyEnv = env;
        busyEnv.insert(QStringLiteral("ORVA_RS_PORT"), QString::number(port));
        busy.setProcessEnvironment(busyEnv);
        busy.setWorkingDirectory(home.path());
        busy.start(binary, {});
        QByteArray started;
        WaitUntil([&] {
            started += busy.readAllStandardOutput();
            return started.contains("MelodeckServer started port");
        });
        QThread::sleep(1); // past the start, where the web builds its search text
        struct Phone
        {
            std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
            QByteArray got;
            int sent = 0;
        };
        std::vector<Phone> phones(web ? 50 : 0);
        int answers = 0;
        for (size_t i = 0; i < phones.size(); ++i) {
            Phone &phone = phones[i];
            // Its next request: a search, every tenth a song request.
            const auto next = [&phone, &texts, &songs, &random] {
                QByteArray request;
                if (++phone.sent % 10 == 0) {
                    const QByteArray body =
                        "{\"number\":" +
                        QByteArray::number(songs[random.bounded(int(songs.size()))].number) + '}';
                    request = "POST /api/requests HTTP/1.1\r\nHost: b\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body;
                } else {
                    request = "GET /api/songs?q=" +
                              QUrl::toPercentEncoding(texts[random.bounded(int(texts.size()))]) +
                              " HTTP/1.1\r\nHost: b\r\n\r\n";
                }
                phone.socket->write(request);
            };
            QObject::connect(phone.socket.get(), &QTcpSocket::connected, next);
            QObject::connect(phone.socket.get(), &QTcpSocket::readyRead, [&phone, &answers, next] {
                phone.got += phone.socket->readAll();
                const qsizetype end = phone.got.indexOf("\r\n\r\n");
                const qsizetype at = phone.got.indexOf("Content-Length: ");
                if (end < 0 || at < 0)
                    return;
                const qsizetype need =
                    end + 4 + phone.got.mid(at + 16, 12).split('\r').first().toLongLong();
                if (phone.got.size() < need)
                    return;
                phone.got.remove(0, need);
                ++answers;
                // A phone's pace: four requests a second, as a guest typing.
                QTimer::singleShot(250, phone.socket.get(), next);
            });
            phone.socket->bind(QHostAddress(quint32((127u << 24) | (1u << 8) | quint32(i + 1))), 0);
            phone.socket->connectToHost(QHostAddress::LocalHost, webPort);
        }
        QProcess melodeck;
        melodeck.start(QCoreApplication::applicationDirPath() + QStringLiteral("/melodeck"),
                       {QStringLiteral("--port"), QString::number(port), QStringLiteral("bench"),
                        QStringLiteral("--terminals"), QStringLiteral("31"),
                        QStringLiteral("--requests"), QStringLiteral("500"),
                        QStringLiteral("--server-pid"), QString::number(busy.processId())});
        WaitUntil([&] { return melodeck.state() == QProcess::NotRunning; }, 30 * 60 * 1000);
        std::printf("--- melodeck bench, %s\n%s", web ? "50 phones busy on the web" : "web off",
                    melodeck.readAllStandardOutput().constData());
        if (web)
            std::printf("(the phones had %d answers meanwhile)\n", answers);
        phones.clear();
        busy.terminate();
        busy.waitForFinished(5000);
    };
    terminalBench(false);
    terminalBench(true);
    return 0;
}
