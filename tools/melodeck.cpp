// melodeck: a song-request terminal on the command line, for testing a
// station, for terminal programmers and for end-to-end tests.

#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "tools/CatalogueDownload.h"
#include "tools/CommandLine.h"
#include "tools/ConsoleText.h"
#include "tools/PushListener.h"
#include "tools/ServerBench.h"
#include "tools/TerminalCommands.h"
#include "tools/TerminalSession.h"

#include <QCoreApplication>
#include <functional>
#include <limits>

namespace {

const char kUsage[] =
    "usage: melodeck [--host H] [--port P] [--bind ADDRESS] [--timeout MS] [--raw] COMMAND\n"
    "  info\n"
    "  page [--sort number|title|artist|extra] [--size 1..20] [--page N] [next|prev]\n"
    "  download [--out FILE]\n"
    "  add NUMBER [--key K] [--tempo T] [--name NAME] [--head]\n"
    "  del NUMBER [--index I --count C]\n"
    "  book\n"
    "  fav get|new NAME | fav add|addcreate NAME NUMBER | fav set NAME [NUMBER...]\n"
    "  key CODE | numkey N | load FILE | listen\n"
    "  bench [--terminals N] [--requests N] [--server-pid PID]\n"
    "    (times the server beside an echo responder; terminals connect from\n"
    "    --bind, default 127.0.0.2, and the addresses after it)\n"
    "  --help | --version\n";

const QStringList kValueOptions = {"--host",  "--port",      "--bind",     "--timeout",
                                   "--sort",  "--size",      "--page",     "--out",
                                   "--key",   "--tempo",     "--name",     "--index",
                                   "--count", "--terminals", "--requests", "--server-pid"};
const QStringList kFlags = {"--raw", "--head"};
const QStringList kSessionOptions = {"--host", "--port", "--bind", "--timeout", "--raw"};
constexpr qint64 kMaxUnsigned = std::numeric_limits<quint32>::max();

// A command, how many positional arguments it takes and its own options.
struct CommandForm
{
    const char *name;
    int minArgs;
    int maxArgs;
    QStringList options;
};

const QList<CommandForm> kCommands = {
    {"info", 0, 0, {}},
    {"page", 0, 1, {"--sort", "--size", "--page"}},
    {"download", 0, 0, {"--out"}},
    {"add", 1, 1, {"--key", "--tempo", "--name", "--head"}},
    {"del", 1, 1, {"--index", "--count"}},
    {"book", 0, 0, {}},
    {"fav get", 1, 1, {}},
    {"fav new", 1, 1, {}},
    {"fav add", 2, 2, {}},
    {"fav addcreate", 2, 2, {}},
    {"fav set", 1, 1 + Packet::SetFavoriteList::kSongs, {}},
    {"key", 1, 1, {}},
    {"numkey", 1, 1, {}},
    {"load", 1, 1, {}},
    {"listen", 0, 0, {}},
    {"bench", 0, 0, {"--terminals", "--requests", "--server-pid"}},
};

// Prints what is wrong and the usage; the usage status.
int Usage(const QString &problem)
{
    Print(stderr, QStringLiteral("melodeck: %1\n").arg(problem));
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

// Refuses a command that is unknown, or given the wrong arguments or options.
void CheckForm(CommandLine &line)
{
    for (const CommandForm &form : kCommands) {
        if (line.command() != QLatin1String(form.name))
            continue;
        if (line.args().size() < form.minArgs || line.args().size() > form.maxArgs)
            line.Refuse(QStringLiteral("wrong number of arguments for %1").arg(line.command()));
        for (const QString &option : line.given())
            if (!form.options.contains(option) && !kSessionOptions.contains(option))
                line.Refuse(QStringLiteral("%1 does not take %2").arg(line.command(), option));
        return;
    }
    line.Refuse(QStringLiteral("unknown command %1").arg(line.command()));
}

// The session's options from the command line and ORVA_RS_PORT.
SessionOptions ReadSessionOptions(CommandLine &line)
{
    SessionOptions options;
    options.host = line.value("--host", options.host);
    const QString port = line.value("--port", qEnvironmentVariable("ORVA_RS_PORT", "3838"));
    options.port = quint16(line.Number(port, QStringLiteral("the port"), 1, 65535));
    if (line.has("--bind")) {
        options.source = QHostAddress(line.value("--bind"));
        if (options.source.isNull())
            line.Refuse(QStringLiteral("--bind needs an address, such as 127.0.0.7"));
    }
    options.timeoutMs =
        int(line.Option("--timeout", options.timeoutMs, 1, std::numeric_limits<int>::max()));
    options.raw = line.has("--raw");
    return options;
}

// A song number as the wire carries it.
quint32 SongNumber(CommandLine &line, const QString &text)
{
    return quint32(line.Number(text, QStringLiteral("a song number"), 0, kMaxUnsigned));
}

// A signed option such as --key, or `fallback` when not given.
qint32 SignedOption(CommandLine &line, const QString &option, qint32 fallback)
{
    return qint32(line.Option(option, fallback, std::numeric_limits<qint32>::min(),
                              std::numeric_limits<qint32>::max()));
}

// The favourite list named by the first argument.
QString ListName(CommandLine &line)
{
    return line.Text(line.args().value(0), QStringLiteral("a list name"), Packet::kNameUnits);
}

// The book view of `page`: order, page size and page.
Packet::SetBookView ReadBookView(CommandLine &line)
{
    static const QStringList sorts = {"number", "title", "artist", "extra"};
    Packet::SetBookView view;
    view.sortMode = qint32(sorts.indexOf(line.value("--sort", "number")));
    if (view.sortMode < 0)
        line.Refuse(QStringLiteral("--sort takes number, title, artist or extra"));
    view.pageSize =
        qint32(line.Option("--size", Packet::PageData::kSlots, 1, Packet::PageData::kSlots));
    view.currentPage = qint32(line.Option("--page", 0, 0, std::numeric_limits<qint32>::max()));
    return view;
}

// The direction of `page`: next, prev or none (stay).
qint32 ReadDirection(CommandLine &line)
{
    const QString step = line.args().value(0);
    if (step == u"next")
        return Packet::RequestPage::kNext;
    if (step == u"prev")
        return Packet::RequestPage::kPrevious;
    if (!step.isEmpty())
        line.Refuse(QStringLiteral("page takes next or prev, not %1").arg(step));
    return 0;
}

// The reservation of `add`: song, key, tempo, customer, at the head or not.
Packet::RequestAdd ReadAdd(CommandLine &line)
{
    Packet::RequestAdd request;
    request.position = line.has("--head") ? Packet::RequestAdd::kAtHead : 0;
    request.number = SongNumber(line, line.args().value(0));
    request.pitch = SignedOption(line, "--key", 0);
    request.tempo = SignedOption(line, "--tempo", 0);
    if (line.has("--name"))
        request.customer = line.Text(line.value("--name"), "--name", Packet::kNameUnits);
    return request;
}

// The deletion of `del`: by number, or at an index of a queue of a given length.
Packet::RequestDel ReadDel(CommandLine &line)
{
    if (line.has("--index") != line.has("--count"))
        line.Refuse(QStringLiteral("--index and --count go together"));
    return {SongNumber(line, line.args().value(0)), SignedOption(line, "--index", -1),
            SignedOption(line, "--count", -1)};
}

// The song and list of `fav add` and `fav addcreate`.
Packet::AddFavorite ReadAddFavorite(CommandLine &line)
{
    return {SongNumber(line, line.args().value(1)), ListName(line)};
}

// The list of `fav set`: its name and up to 128 songs.
Packet::SetFavoriteList ReadFavoriteSet(CommandLine &line)
{
    Packet::SetFavoriteList request;
    request.name = ListName(line);
    // A zero would end the list early, so songs are numbered from 1.
    for (qsizetype i = 1; i < line.args().size(); ++i)
        request.numbers[size_t(i - 1)] =
            quint32(line.Number(line.args()[i], QStringLiteral("a song number"), 1, kMaxUnsigned));
    return request;
}

// The file of `load`, a path on the server's machine.
Packet::LoadSongList ReadLoad(CommandLine &line)
{
    Packet::LoadSongList request;
    request.fileName = line.args().value(0);
    if (request.fileName.size() > Packet::LoadSongList::kMaxNameUnits)
        line.Refuse(QStringLiteral("the server takes file names of at most %1 characters")
                        .arg(Packet::LoadSongList::kMaxNameUnits));
    return request;
}

// A key code or number key of `key` and `numkey`.
quint32 ReadCode(CommandLine &line, const QString &what)
{
    return quint32(line.Number(line.args().value(0), what, 0, kMaxUnsigned));
}

// The options of `bench`; its terminals start at 127.0.0.2 unless --bind says otherwise.
BenchOptions ReadBench(CommandLine &line, const SessionOptions &session)
{
    BenchOptions bench;
    bench.session = session;
    if (bench.session.source.isNull())
        bench.session.source = QHostAddress(QStringLiteral("127.0.0.2"));
    bench.terminals = int(line.Option("--terminals", bench.terminals, 1, 200));
    bench.requests = int(line.Option("--requests", bench.requests, 1, 1000000));
    bench.serverPid = line.Option("--server-pid", 0, 1, std::numeric_limits<int>::max());
    return bench;
}

// Reads the command's arguments into its request, then connects and runs it;
// a wrong argument stops before connecting.
int Dispatch(CommandLine &line, TerminalSession &session)
{
    TerminalCommands commands(session);
    const auto run = [&](const std::function<int()> &command) {
        if (!line.problem().isEmpty())
            return Usage(line.problem());
        return session.Open() ? command() : Fail(session.error());
    };
    const QString &c = line.command();
    if (c == u"bench") {
        const BenchOptions bench = ReadBench(line, session.options());
        return line.problem().isEmpty() ? ServerBench(bench).Run() : Usage(line.problem());
    }
    if (c == u"info")
        return run([&] { return commands.Info(); });
    if (c == u"page") {
        const Packet::SetBookView view = ReadBookView(line);
        const qint32 direction = ReadDirection(line);
        return run([&] { return commands.Page(view, direction); });
    }
    if (c == u"download")
        return run([&] { return CatalogueDownload(session).Run(line.value("--out")); });
    if (c == u"add")
        return run([&, request = ReadAdd(line)] { return commands.Add(request); });
    if (c == u"del")
        return run([&, request = ReadDel(line)] { return commands.Del(request); });
    if (c == u"book")
        return run([&] { return commands.Book(); });
    if (c == u"fav get")
        return run([&, name = ListName(line)] { return commands.FavoriteGet(name); });
    if (c == u"fav new")
        return run([&, name = ListName(line)] { return commands.FavoriteNew(name); });
    if (c == u"fav add")
        return run([&, request = ReadAddFavorite(line)] { return commands.FavoriteAdd(request); });
    if (c == u"fav addcreate")
        return run(
            [&, request = ReadAddFavorite(line)] { return commands.FavoriteAddCreate(request); });
    if (c == u"fav set")
        return run([&, request = ReadFavoriteSet(line)] { return commands.FavoriteSet(request); });
    if (c == u"key")
        return run([&, key = ReadCode(line, "the key code")] { return commands.Key(key); });
    if (c == u"numkey")
        return run(
            [&, number = ReadCode(line, "the number key")] { return commands.NumberKey(number); });
    if (c == u"load")
        return run([&, request = ReadLoad(line)] { return commands.Load(request); });
    return run([&] { return PushListener(session).Run(); }); // listen
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList words = app.arguments().mid(1);
    if (words.contains(QStringLiteral("--help")) || words.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (words.contains(QStringLiteral("--version"))) {
        std::fputs("melodeck " ORVA_VERSION "\n", stdout);
        return kExitOk;
    }
    CommandLine line(words, kValueOptions, kFlags, {QStringLiteral("fav")});
    CheckForm(line);
    if (!line.problem().isEmpty())
        return Usage(line.problem());
    TerminalSession session(ReadSessionOptions(line));
    return Dispatch(line, session);
}
