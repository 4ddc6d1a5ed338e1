#include "tests/support/ServerProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "tools/SongListWriter.h"

#include <QTcpServer>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// The catalogue as a text list in the form a download writes it.
const QString kList =
    QStringLiteral(u"12|Love Song|Singer\n45|Second Song|Band\n#kor\n7|아리랑|민요\n"
                   u"1203|Party Song|Crowd\n#fra\n30|Frère Jacques|Traditionnel\n"
                   u"#eng\n99|Zebra|Alpha\n");

// A server with that catalogue and known queue options.
class MelodeckTest : public testing::Test
{
protected:
    void SetUp() override
    {
        server.WriteDataFile(u"Moxi.ini"_qs, "[QueConfig]\r\nPitch=1\r\nTempo=0\r\n"
                                             "Sync=1\r\nDelete=0\r\nUname=1\r\n"
                                             "Remocon=1\r\n");
        server.WriteDataFile(u"orvabook.txt"_qs, "\xEF\xBB\xBF" + kList.toUtf8());
        ASSERT_TRUE(server.Start());
        ASSERT_TRUE(server.WaitForLog(u"loaded 6 songs"_qs));
    }
    // Runs melodeck against `port` (the server's by default).
    ToolRun Melodeck(const QStringList &arguments, quint16 port = 0)
    {
        return RunProgram(QStringLiteral(ORVA_MELODECK), arguments,
                          {{u"ORVA_RS_PORT"_qs, QString::number(port ? port : server.port())}});
    }
    // As the terminal at 127.0.0.2, so a listening local client keeps its connection.
    ToolRun Terminal(const QStringList &arguments)
    {
        return Melodeck(QStringList{"--bind", "127.0.0.2"} + arguments);
    }
    // Runs each step as the terminal: its arguments, exit code and standard output.
    void Steps(std::initializer_list<std::tuple<QStringList, int, const char *>> steps)
    {
        for (const auto &[arguments, exitCode, out] : steps) {
            const ToolRun run = Terminal(arguments);
            EXPECT_EQ(run.exitCode, exitCode) << arguments.join(u' ').toStdString();
            EXPECT_EQ(run.out, QLatin1String(out)) << run.err.toStdString();
        }
    }
    // A catalogue file as orva-catalogue shows it: number, title, artist, extra, language.
    QStringList Dump(const QString &path, const QString &order = {})
    {
        const QStringList how = order.isEmpty() ? QStringList() : QStringList{"--order", order};
        return RunProgram(QStringLiteral(ORVA_CATALOGUE_TOOL), QStringList{"dump", path} + how)
            .out.split(u'\n', Qt::SkipEmptyParts);
    }
    // Starts `melodeck listen`, the local client, and waits until the server serves it.
    void Listen()
    {
        QObject::connect(&listener, &QProcess::readyReadStandardOutput, [this] {
            listened += QString::fromUtf8(listener.readAllStandardOutput());
        });
        listener.setProcessEnvironment(
            Environment({{u"ORVA_RS_PORT"_qs, QString::number(server.port())}}));
        listener.start(QStringLiteral(ORVA_MELODECK), {u"listen"_qs});
        ASSERT_TRUE(WaitUntil([&] { return listened.contains(u"listening\t"); }, 10000));
    }

    ServerProcess server;
    QProcess listener; // killed, if still running, as it goes
    QString listened;
};

} // namespace

TEST_F(MelodeckTest, WrongCommandLinesPrintUsageAndConnectNowhere)
{
    const std::pair<QStringList, const char *> cases[] = {
        {{}, "no command"},
        {{"frob"}, "unknown command frob"},
        {{"fav", "list"}, "unknown command fav list"},
        {{"info", "now"}, "wrong number of arguments for info"},
        {{"add", "12", "--sort", "title"}, "add does not take --sort"},
        {{"info", "--verbose"}, "unknown option --verbose"},
        {{"info", "--timeout"}, "--timeout needs one value"},
        {{"page", "--size", "21"}, "--size must be a whole number from 1 to 20, not '21'"},
        {{"page", "--sort", "year"}, "--sort takes number, title, artist or extra"},
        {{"page", "sideways"}, "page takes next or prev, not sideways"},
        {{"add", "twelve"}, "a song number must be a whole number from 0 to 4294967295"},
        {{"del", "12", "--index", "1"}, "--index and --count go together"},
        {{"fav", "new", "A name longer than twenty"}, "a list name must be 1 to 20 characters"},
        {{"fav", "set", "Mine", "12", "0"}, "a song number must be a whole number from 1 to"},
        {{"key", "0xZZ"}, "the key code must be a whole number"},
        {{"--port", "0", "info"}, "the port must be a whole number from 1 to 65535"},
        {{"--bind", "here", "info"}, "--bind needs an address"},
        {{"load", QString(80, u'x')}, "the server takes file names of at most 79 characters"},
        {{"bench", "--terminals", "0"}, "--terminals must be a whole number from 1 to 200"},
    };
    for (const auto &[arguments, problem] : cases) {
        const ToolRun run = Melodeck(arguments);
        EXPECT_TRUE(run.exitCode == 2 && run.out.isEmpty() &&
                    run.err.startsWith(u"melodeck: "_qs + QLatin1String(problem)) &&
                    run.err.contains(u"\nusage: melodeck"))
            << testing::PrintToString(run);
    }
    EXPECT_EQ(server.CountLog(u"Accepted ch"_qs), 0);
}

TEST_F(MelodeckTest, RefusedOrUnansweredRequestsPrintOneLineAndFail)
{
    QTcpServer silent; // accepts connections and never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const quint16 nobody = FreePort();
    const std::tuple<QStringList, quint16, QString> cases[] = {
        {{"add", "99999"},
         0,
         "song 99999 was not added: it is not in the catalogue, or the queue is full"},
        {{"fav", "get", "Nobody"}, 0, "no favourite list is named Nobody"},
        {{"fav", "add", "Nobody", "12"},
         0,
         "song 12 was not added to favourite list Nobody: no such list, or the list is full"},
        {{"fav", "set", "Nobody", "12"}, 0, "favourite list Nobody was not replaced: no such list"},
        {{"info"}, nobody, u"cannot connect to 127.0.0.1:%1: Connection refused"_qs.arg(nobody)},
        {{"--timeout", "300", "book"}, silent.serverPort(), "no BookList within 300 ms"},
    };
    for (const auto &[arguments, port, error] : cases)
        EXPECT_EQ(Melodeck(arguments, port), (ToolRun{1, {}, u"melodeck: "_qs + error + u'\n'}));
}

TEST_F(MelodeckTest, InfoShowsTheCatalogueAndOptionsAndRawShowsThePackets)
{
    const QString summary = server.LogLines().filter(u"loaded 6 songs"_qs).value(0);
    const QString stamp = summary.section(u"timestamp "_qs, 1).section(u',', 0, 0);
    const ToolRun run = Melodeck({"--raw", "info"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("songs\t6\ntimestamp\t%1\npitch\ton\ntempo\toff\nsync\ton\n"
                                      "delete\toff\ncustomer-name\ton\nremocon\t1\n")
                           .arg(stamp));
    EXPECT_TRUE(run.err.startsWith(u"> RequestServerInfo, 16 bytes\n"
                                   u"> 0000  4f 52 56 41 00 00 01 10  00 00 00 00 00 00 00 00\n"
                                   u"< ServerInfo, 36 bytes\n"
                                   u"< 0000  4f 52 56 41 00 00 81 10  00 00 00 10 00 00 00 00\n"))
        << run.err.toStdString();
}

TEST_F(MelodeckTest, PagesShowTheCatalogueInEachOrder)
{
    // Arguments, order, page, page count, and the first song and song count shown in that order.
    const std::tuple<QStringList, const char *, int, int, int, int> cases[] = {
        {{"page", "--size", "4"}, "number", 0, 2, 0, 4},
        {{"page", "--size", "4", "next"}, "number", 1, 2, 4, 2},
        {{"page", "--size", "4", "--page", "1", "next"}, "number", 1, 2, 4, 2},
        {{"page", "--size", "4", "prev"}, "number", 0, 2, 0, 4},
        {{"page", "--sort", "title", "--size", "3", "--page", "1"}, "title", 1, 2, 3, 3},
        {{"page", "--sort", "artist"}, "artist", 0, 1, 0, 6},
        {{"page", "--sort", "extra", "--size", "5", "--page", "7"}, "extra", 7, 2, 0, 0},
    };
    const QString list = server.DataFile(u"orvabook.txt"_qs);
    for (const auto &[arguments, order, page, pages, first, count] : cases) {
        QString expected =
            u"page\t%1\npages\t%2\nnumber\ttitle\tartist\textra\n"_qs.arg(page).arg(pages);
        for (const QString &song : Dump(list, QLatin1String(order)).mid(first, count))
            expected += song.section(u'\t', 0, 3) + u'\n';
        EXPECT_EQ(Terminal(arguments), (ToolRun{0, expected, {}}));
    }
}

TEST_F(MelodeckTest, DownloadWritesAListTheServerLoadsBack)
{
    // No progress bar unless standard error is a terminal.
    EXPECT_EQ(Terminal({"download"}), (ToolRun{0, kList, {}}));
    const QString file = server.home() + u"/downloaded.txt"_qs;
    EXPECT_EQ(Terminal({"download", "--out", file}), (ToolRun{0, u"songs\t6\n"_qs, {}}));
    EXPECT_EQ(ReadFileBytes(file), "\xEF\xBB\xBF" + kList.toUtf8()); // the list the server loaded
}

TEST_F(MelodeckTest, QueueAndKeysReachTheListeningLocalClient)
{
    Listen();
    Steps({
        {{"add", "12", "--key", "-2", "--name", "Abc"}, 0, ""},
        {{"add", "45", "--head"}, 0, ""},
        {{"book"}, 0, "numberkey\t0\nqueued\t45\t12\n"},
        {{"del", "12"}, 0, ""},
        {{"numkey", "42"}, 0, ""},
        {{"key", "0x3ff"}, 0, ""},
        {{"key", "10"}, 0, ""},
        {{"del", "99", "--index", "0", "--count", "1"}, 0, ""},
        {{"book"}, 0, "numberkey\t42\nqueued\n"},
    });
    // The local client is station 0 and the terminal at 127.0.0.2 station 1.
    const QString expected =
        u"listening\t127.0.0.1:%1\n\n"_qs.arg(server.port()) +
        QStringLiteral(u"QueueList\t1\n0\t12\t-2\t0\t1\tAbc\n\n"
                       u"QueueList\t2\n0\t45\t0\t0\t1\t\n1\t12\t-2\t0\t1\tAbc\n\n"
                       u"QueueList\t1\n0\t45\t0\t0\t1\t\n\n"
                       u"RemoteControlKey\t3ff\n\nQueueList\t1\n0\t45\t0\t0\t1\t\n\n"
                       u"RemoteControlKey\ta\n\n"
                       u"QueueList\t0\n\n");
    EXPECT_TRUE(WaitUntil([&] { return listened == expected; }, 10000)) << listened.toStdString();
    ::kill(pid_t(listener.processId()), SIGTERM);
    ASSERT_TRUE(listener.waitForFinished(10000));
    EXPECT_TRUE(listener.exitStatus() == QProcess::NormalExit && listener.exitCode() == 0);
}

TEST_F(MelodeckTest, FavouriteListsChangeAsAsked)
{
    Steps({
        {{"fav", "new", "Mine"}, 0, ""},
        {{"fav", "new", "Mine"}, 1, ""},
        {{"fav", "set", "Mine", "12", "45"}, 0, ""},
        {{"fav", "add", "Mine", "7"}, 0, ""},
        {{"fav", "get", "Mine"}, 0, "songs\t12\t45\t7\n"},
        {{"fav", "addcreate", "Other", "30"}, 0, ""},
        {{"fav", "get", "Other"}, 0, "songs\t30\n"},
        {{"fav", "set", "Mine"}, 0, ""},
        {{"fav", "get", "Mine"}, 0, "songs\n"},
    });
}

TEST_F(MelodeckTest, LoadReplacesTheCatalogueAndDownloadNotesWhatAListCannotCarry)
{
    Listen();
    const QString dat = server.home() + u"/odd.dat"_qs;
    ASSERT_TRUE(
        SongListWriter::WriteRecordFiles(
            dat, {{5, "Either|Or", "Duo ", "live", "eng"}, {6, "Plain", "Solo", "", "ko"}}, 0x5EED)
            .isEmpty());
    EXPECT_EQ(Terminal({"load", dat}), (ToolRun{0, u"songs\t2\ntimestamp\t5eed\n"_qs, {}}));

    const ToolRun download = Terminal({"download"});
    EXPECT_EQ(download.exitCode, 0);
    EXPECT_EQ(download.out, u"5|Either/Or|Duo \n#ko\n6|Plain|Solo\n"_qs);
    const QStringList notes = download.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(notes.size(), 3) << download.err.toStdString();
    EXPECT_TRUE(notes[0].startsWith(u"melodeck: note: 1 songs (the first: 5) have a bar"));
    EXPECT_TRUE(notes[1].startsWith(u"melodeck: note: 1 songs (the first: 5) have an extra"));
    EXPECT_TRUE(notes[2].startsWith(u"melodeck: note: 1 songs (the first: 6) have a language"));

    // A file the server cannot find makes it load its default, absent here: nothing.
    const ToolRun empty = Terminal({"load", server.home() + u"/missing.txt"_qs});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.err.startsWith(u"melodeck: the server loaded no songs from "))
        << empty.err.toStdString();
    EXPECT_EQ(listener.state(), QProcess::Running) << "the local client stays connected";
}

TEST_F(MelodeckTest, BenchPrintsARowPerRequestAndTerminalCountAndUndoesItsAdds)
{
    const ToolRun run = Melodeck({"bench", "--terminals", "2", "--requests", "3", "--server-pid",
                                  QString::number(server.process().processId())});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList rows; // each row's request, terminals and (downloads) songs
    for (const QString &line : run.out.split(u'\n'))
        if (line.startsWith(u"Request") || line.startsWith(u"MultiDownload"))
            rows.append(line.simplified().section(u' ', 0, line.startsWith(u'M') ? 2 : 1));
    EXPECT_EQ(rows, QStringList({"RequestPage 1", "RequestAdd 1", "RequestDel 1", "RequestPage 2",
                                 "RequestAdd 2", "RequestDel 2", "MultiDownload 1 6",
                                 "MultiDownload 2 6"}))
        << run.out.toStdString();
    const auto adds = [&] { return server.CountLog(u"Requested add number"_qs); };
    EXPECT_TRUE(WaitUntil([&] { return adds() == 3 * (1 + 2); }, 5000)) << adds();
    EXPECT_EQ(Terminal({"book"}).out, u"numberkey\t0\nqueued\n"_qs);

    // The server admits four terminals (three besides the newcomer); the fifth is closed.
    const ToolRun tooMany = Melodeck({"bench", "--terminals", "5", "--requests", "1"});
    EXPECT_EQ(tooMany.exitCode, 1);
    EXPECT_EQ(tooMany.err, QStringLiteral("melodeck: server: the server closed the connection of "
                                          "terminal 5 (127.0.0.6)\n"));
}
