#include "tests/support/Program.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// Runs the built orva-catalogue with Windows-1252 as the ANSI code page.
ToolRun RunTool(const QStringList &arguments)
{
    return RunProgram(QStringLiteral(ORVA_CATALOGUE_TOOL), arguments,
                      {{QStringLiteral("ORVA_RS_CODEPAGE"), QString()}});
}

class CatalogueToolTest : public testing::Test
{
protected:
    QStringList Entries() const { return QDir(dir.path()).entryList(QDir::Files); }

    TempFolder dir;
};

TEST_F(CatalogueToolTest, MakeWritesAPairThatDumpsLikeItsList)
{
    const QString list =
        dir.Write("list.txt", Utf16Le(u"12|Love Song|Singer\r\n#kor\r\n7|아리랑|민요", true));
    const QString out = dir.Path("out.dat");
    const ToolRun make = RunTool({"make", list, out});
    ASSERT_EQ(make.exitCode, 0) << make.err.toStdString();

    const QByteArray dat = ReadFileBytes(out);
    const QByteArray idx = ReadFileBytes(dir.Path("out.idx"));
    ASSERT_EQ(dat.size(), 8 + 2 * 196);
    EXPECT_EQ(dat.left(4), Hex("57 61 31 47"));
    EXPECT_EQ(idx.left(8), dat.left(8)) << "both files carry the same timestamp";
    EXPECT_EQ(idx.mid(8), Hex("65 00 6E 00 67 00 00 00 6B 00 6F 00 72 00 00 00"));
    EXPECT_EQ(dat.mid(8 + 196, 10), Hex("07 00 00 00 44 C5 AC B9 91 B7")); // 7, 아리랑

    const QString expected =
        QStringLiteral(u"12\tLove Song\tSinger\t\teng\n7\t아리랑\t민요\t\tkor\n");
    EXPECT_EQ(RunTool({"dump", out}), (ToolRun{0, expected, {}}));
    EXPECT_EQ(RunTool({"dump", list}).out, expected);
    EXPECT_TRUE(RunTool({"dump", out, "--order", "number"}).out.startsWith("7\t"));

    // Without its language file a .dat still loads, every song "eng", with a note.
    const ToolRun lonely = RunTool({"dump", dir.Write("lonely.dat", Hex("57 61 31 47 01 00 00 00"
                                                                        "05 00 00 00 41 00"))});
    EXPECT_EQ(lonely.exitCode, 0);
    EXPECT_EQ(lonely.out, QStringLiteral("5\tA\t\t\teng\n"));
    EXPECT_TRUE(lonely.err.contains("no language file")) << lonely.err.toStdString();
}

TEST_F(CatalogueToolTest, RefusalsExitWithOneLineAndLeaveNoFileHalfWritten)
{
    const QString out = dir.Write("out.dat", "old dat");
    dir.Write("out.idx", "old idx");
    const QString good = dir.Write("good.txt", "1|One|A\n");
    const auto make = [&](const char *name, const QByteArray &bytes) {
        return QStringList{"make", dir.Write(name, bytes), out};
    };
    const std::pair<QStringList, const char *> runs[] = {
        {make("be.txt", Hex("FE FF 00 31 00 7C 00 41")), "big-endian"},
        {make("cp.txt", "1|Caf\x81|X\n"), "code page 1252"},
        {make("u8.txt", Hex("EF BB BF 31 7C FF 0A")), "not valid UTF-8"},
        {make("nul.txt", QByteArray("1\0|\0A\0", 6)), "zero bytes"},
        {make("words.txt", "just words\n"), "no song lines"},
        {{"make", dir.Path("absent.txt"), out}, "no such file"},
        {{"make", good, dir.Path("out.bin")}, ".dat file"},
        {{"make", good, dir.Path("no/such/x.dat")}, "cannot write"},
        {{"dump", dir.Write("bad.dat", Hex("12 34 56 78 00 00 00 00"))},
         "Invalid id [moxiinfo.dat] 78563412."},
        {{"dump", dir.Write("list.csv", "1|A|B")}, "not a catalogue file"},
        {{"dump", good, "--order", "colour"}, "unknown order"},
        {{"generate", "200001", dir.Path("gen.txt")}, "N must be"},
        {{"generate", "0", dir.Path("gen.txt")}, "N must be"},
        {{"generate", "many", dir.Path("gen.txt")}, "N must be"},
        {{"generate", "5", dir.Path("gen.txt"), "--encoding", "ebcdic"}, "unknown encoding"}};
    const QStringList inputs = Entries();
    for (const auto &[arguments, mentions] : runs) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const ToolRun run = RunTool(arguments);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.out.isEmpty() && run.err.count('\n') == 1 &&
                    run.err.startsWith("orva-catalogue: ") && run.err.contains(mentions))
            << run.out.toStdString() << run.err.toStdString();
    }
    EXPECT_EQ(ReadFileBytes(out), QByteArray("old dat"));
    EXPECT_EQ(ReadFileBytes(dir.Path("out.idx")), QByteArray("old idx"));
    EXPECT_EQ(Entries(), inputs) << "no temporary or half-written file is left";
    EXPECT_EQ(RunTool({}).exitCode, 2) << "no command: usage";
}

TEST_F(CatalogueToolTest, GenerateMakesTheSameLoadableCatalogueEveryTime)
{
    const QString first = dir.Path("first.txt");
    ASSERT_EQ(RunTool({"generate", "600", first}).exitCode, 0);
    ASSERT_EQ(RunTool({"generate", "600", dir.Path("second.txt")}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(first), ReadFileBytes(dir.Path("second.txt")));
    EXPECT_TRUE(ReadFileBytes(first).startsWith(Hex("EF BB BF")));

    // 600 songs of five fields, languages beyond English, titles with an article,
    // text beyond ASCII.
    const QString dump = RunTool({"dump", first}).out;
    EXPECT_EQ(dump.count('\n'), 600);
    EXPECT_EQ(dump.count('\t'), 4 * 600);
    EXPECT_TRUE(dump.contains("\tkor\n") && dump.contains("\tfra\n") && dump.contains("\tThe "));
    EXPECT_NE(dump.toUtf8().size(), dump.size());

    // The same songs through make, and in UTF-16LE.
    ASSERT_EQ(RunTool({"make", first, dir.Path("made.dat")}).exitCode, 0);
    EXPECT_EQ(RunTool({"dump", dir.Path("made.dat")}).out, dump);
    ASSERT_EQ(RunTool({"generate", "600", dir.Path("utf16.txt"), "--encoding", "utf16"}).exitCode,
              0);
    EXPECT_TRUE(ReadFileBytes(dir.Path("utf16.txt")).startsWith(Hex("FF FE")));
    EXPECT_EQ(RunTool({"dump", dir.Path("utf16.txt")}).out, dump);

    // A generated .dat fills the extra column and has its language file.
    ASSERT_EQ(RunTool({"generate", "50", dir.Path("generated.dat")}).exitCode, 0);
    const ToolRun withExtra = RunTool({"dump", dir.Path("generated.dat")});
    EXPECT_TRUE(withExtra.err.isEmpty()) << withExtra.err.toStdString();
    EXPECT_EQ(withExtra.out.count('\n'), 50);
    EXPECT_FALSE(withExtra.out.contains("\t\t")) << "no empty field";
}

} // namespace
