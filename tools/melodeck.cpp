// melodeck: a song-request terminal on the command line, for testing a
// station, for terminal programmers and for end-to-end tests.

#include "protocol/Replies.h"
#include "protocol/Requests.h"
#include "tools/CatalogueDownload.h"
#include "tools/ConsoleText.h"
#include "tools/PushListener.h"
#include "tools/TerminalCommands.h"
#include "tools/TerminalSession.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
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
    "  key CODE | numkey N | load FILE | listen\n";

const QStringList kValueOptions = {"--host", "--port",  "--bind", "--timeout", "--sort",
                                   "--size", "--page",  "--out",  "--key",     "--tempo",
                                   "--name", "--index", "--count"};
const QStringList kFlags = {"--raw", "--head"};
const QStringList kSessionOptions = {"--host", "--port", "--bind", "--timeout", "--raw"};

// A command, its positional arguments and the options it takes.
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
};

// The command line split into words, option values and flags; the first
// problem found, if any.
struct Arguments
{
    QString command;
    QStringList args;
    QHash<QString, QString> values;
    QSet<QString> flags;
    QString problem;

    bool has(const QString &option) const
    {
        return values.contains(option) || flags.contains(option);
    }

    // Reads a whole number within [low, high], in decimal or with 0x in hexadecimal.
    qint64 Number(const QString &text, const QString &what, qint64 low, qint64 high)
    {
        const bool hex = text.startsWith(u"0x", Qt::CaseInsensitive);
        bool ok = false;
        const qint64 value = hex ? text.mid(2).toLongLong(&ok, 16) : text.toLongLong(&ok, 10);
        if ((!ok || value < low || value > high) && problem.isEmpty())
            problem = QStringLiteral("%1 must be a whole number from %2 to %3, not '%4'")
                          .arg(what)
                          .arg(low)
                          .arg(high)
                          .arg(text);
        return ok ? value : 0;
    }
    qint64 Option(const QString &option, qint64 fallback, qint64 low, qint64 high)
    {
        return values.contains(option) ? Number(values[option], option, low, high) : fallback;
    }
    quint32 SongNumber(const QString &text)
    {
        return quint32(Number(text, QStringLiteral("a song number"), 0, 0xFFFFFFFF));
    }
    qint32 Signed(const QString &option, qint32 fallback)
    {
        return qint32(Option(option, fallback, std::numeric_limits<qint32>::min(),
                             std::numeric_limits<qint32>::max()));
    }
    // A customer or list name: what fits the packet's name field.
    QString Name(const QString &text, const QString &what)
    {
        if ((text.isEmpty() || text.size() > Packet::kNameUnits) && problem.isEmpty())
            problem =
                QStringLiteral("%1 must be 1 to %2 characters").arg(what).arg(Packet::kNameUnits);
        return text;
    }
};

int Usage(const QString &problem)
{
    if (!problem.isEmpty())
        Print(stderr, QStringLiteral("melodeck: %1\n").arg(problem));
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

// Splits the words; options may stand anywhere, values follow their option.
Arguments Split(const QStringList &words)
{
    Arguments parsed;
    QStringList positional;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (kFlags.contains(word)) {
            parsed.flags.insert(word);
        } else if (kValueOptions.contains(word)) {
            if (i + 1 == words.size() || parsed.values.contains(word))
                parsed.problem = QStringLiteral("%1 needs one value").arg(word);
            else
                parsed.values.insert(word, words[++i]);
        } else if (word.startsWith(u"--")) {
            parsed.problem = QStringLiteral("unknown option %1").arg(word);
        } else {
            positional.append(word);
        }
    }
    // "fav" takes a second word that names what it does.
    const int commandWords = positional.value(0) == u"fav" ? 2 : 1;
    parsed.command = positional.mid(0, commandWords).join(u' ');
    parsed.args = positional.mid(commandWords);
    if (parsed.problem.isEmpty() && parsed.command.isEmpty())
        parsed.problem = QStringLiteral("no command");
    return parsed;
}

// The first thing wrong with the words for their command's form, or nothing.
QString CheckForm(const Arguments &parsed)
{
    for (const CommandForm &form : kCommands) {
        if (parsed.command != QLatin1String(form.name))
            continue;
        if (parsed.args.size() < form.minArgs || parsed.args.size() > form.maxArgs)
            return QStringLiteral("wrong number of arguments for %1").arg(parsed.command);
        for (const QString &option : parsed.values.keys() + parsed.flags.values())
            if (!form.options.contains(option) && !kSessionOptions.contains(option))
                return QStringLiteral("%1 does not take %2").arg(parsed.command, option);
        return {};
    }
    return QStringLiteral("unknown command %1").arg(parsed.command);
}

// The session's options from the command line and ORVA_RS_PORT.
SessionOptions ReadSessionOptions(Arguments &parsed)
{
    SessionOptions options;
    options.host = parsed.values.value(QStringLiteral("--host"), options.host);
    const QString portText =
        parsed.values.value(QStringLiteral("--port"), qEnvironmentVariable("ORVA_RS_PORT", "3838"));
    options.port = quint16(parsed.Number(portText, QStringLiteral("the port"), 1, 65535));
    if (parsed.values.contains(QStringLiteral("--bind"))) {
        options.source = QHostAddress(parsed.values[QStringLiteral("--bind")]);
        if (options.source.isNull() && parsed.problem.isEmpty())
            parsed.problem = QStringLiteral("--bind needs an address, such as 127.0.0.7");
    }
    options.timeoutMs = int(parsed.Option(QStringLiteral("--timeout"), options.timeoutMs, 1,
                                          std::numeric_limits<int>::max()));
    options.raw = parsed.flags.contains(QStringLiteral("--raw"));
    return options;
}

// Builds the command's request from the arguments and runs it on an open session.
int Dispatch(Arguments &a, TerminalSession &session)
{
    TerminalCommands commands(session);
    const QString &c = a.command;
    // Each branch reads its arguments first; a problem stops before connecting.
    const auto run = [&](const std::function<int()> &command) {
        if (!a.problem.isEmpty())
            return Usage(a.problem);
        return session.Open() ? command() : Fail(session.error());
    };
    if (c == u"info")
        return run([&] { return commands.Info(); });
    if (c == u"page") {
        static const QStringList sorts = {"number", "title", "artist", "extra"};
        const qint32 sort = qint32(sorts.indexOf(a.values.value("--sort", "number")));
        if (sort < 0)
            a.problem = QStringLiteral("--sort takes number, title, artist or extra");
        const QString step = a.args.value(0);
        if (!step.isEmpty() && step != u"next" && step != u"prev" && a.problem.isEmpty())
            a.problem = QStringLiteral("page takes next or prev, not %1").arg(step);
        const qint32 direction = step == u"next"   ? Packet::RequestPage::kNext
                                 : step == u"prev" ? Packet::RequestPage::kPrevious
                                                   : 0;
        Packet::SetBookView view;
        view.sortMode = sort;
        view.pageSize = qint32(a.Option("--size", 20, 1, Packet::PageData::kSlots));
        view.currentPage = qint32(a.Option("--page", 0, 0, std::numeric_limits<qint32>::max()));
        return run([&] { return commands.Page(view, direction); });
    }
    if (c == u"download")
        return run([&] { return CatalogueDownload(session).Run(a.values.value("--out")); });
    if (c == u"add") {
        Packet::RequestAdd request;
        request.position = a.has("--head") ? Packet::RequestAdd::kAtHead : 0;
        request.number = a.SongNumber(a.args[0]);
        request.pitch = a.Signed("--key", 0);
        request.tempo = a.Signed("--tempo", 0);
        if (a.values.contains("--name"))
            request.customer = a.Name(a.values["--name"], QStringLiteral("--name"));
        return run([&] { return commands.Add(request); });
    }
    if (c == u"del") {
        if (a.has("--index") != a.has("--count") && a.problem.isEmpty())
            a.problem = QStringLiteral("--index and --count go together");
        const Packet::RequestDel request{a.SongNumber(a.args[0]), a.Signed("--index", -1),
                                         a.Signed("--count", -1)};
        return run([&] { return commands.Del(request); });
    }
    if (c == u"book")
        return run([&] { return commands.Book(); });
    if (c == u"fav get" || c == u"fav new") {
        const QString name = a.Name(a.args[0], QStringLiteral("a list name"));
        return run([&] {
            return c == u"fav get" ? commands.FavoriteGet(name) : commands.FavoriteNew(name);
        });
    }
    if (c == u"fav add" || c == u"fav addcreate") {
        const Packet::AddFavorite request{a.SongNumber(a.args[1]),
                                          a.Name(a.args[0], QStringLiteral("a list name"))};
        return run([&] {
            return c == u"fav add" ? commands.FavoriteAdd(request)
                                   : commands.FavoriteAddCreate(request);
        });
    }
    if (c == u"fav set") {
        Packet::SetFavoriteList request;
        request.name = a.Name(a.args[0], QStringLiteral("a list name"));
        for (qsizetype i = 1; i < a.args.size(); ++i)
            request.numbers[size_t(i - 1)] =
                quint32(a.Number(a.args[i], QStringLiteral("a song number"), 1, 0xFFFFFFFF));
        return run([&] { return commands.FavoriteSet(request); });
    }
    if (c == u"key") {
        const quint32 code =
            quint32(a.Number(a.args[0], QStringLiteral("the key code"), 0, 0xFFFFFFFF));
        return run([&] { return commands.Key(code); });
    }
    if (c == u"numkey") {
        const quint32 number =
            quint32(a.Number(a.args[0], QStringLiteral("the number key"), 0, 0xFFFFFFFF));
        return run([&] { return commands.NumberKey(number); });
    }
    if (c == u"load") {
        Packet::LoadSongList request;
        request.fileName = a.args[0];
        if (request.fileName.size() > Packet::LoadSongList::kMaxNameUnits && a.problem.isEmpty())
            a.problem = QStringLiteral("the server takes file names of at most %1 characters")
                            .arg(Packet::LoadSongList::kMaxNameUnits);
        return run([&] { return commands.Load(request); });
    }
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
    Arguments parsed = Split(words);
    if (parsed.problem.isEmpty())
        parsed.problem = CheckForm(parsed);
    if (!parsed.problem.isEmpty())
        return Usage(parsed.problem);
    const SessionOptions options = ReadSessionOptions(parsed);
    TerminalSession session(options);
    return Dispatch(parsed, session);
}
