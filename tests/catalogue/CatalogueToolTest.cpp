#include "tests/support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built orva-catalogue with Windows-1252 as the ANSI code page.
ToolRun RunTool(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("ORVA_RS_CODEPAGE"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ORVA_CATALOGUE_TOOL), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A refusal: a failing exit code and exactly one line on stderr.
void ExpectRefusal(const ToolRun &run, const char *mentions)
{
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
    EXPECT_TRUE(run.err.startsWith("orva-catalogue: ")) << run.err.constData();
    EXPECT_TRUE(run.err.contains(mentions)) << run.err.constData();
}

class CatalogueToolTest : public testing::Test
{
protected:
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QString Write(const QString &name, const QByteArray &bytes)
    {
        WriteFileBytes(Path(name), bytes);
        return Path(name);
    }
    QStringList Entries() const { return QDir(m_dir.path()).entryList(QDir::Files); }

    QTemporaryDir m_dir;
};

TEST_F(CatalogueToolTest, MakeWritesAPairThatDumpsLikeItsList)
{
    // "12|Love Song|Singer", "#kor", "7|아리랑|민요" in UTF-16LE.
    const QString list =
        Write(QStringLiteral("list.txt"),
              Hex("FF FE 31 00 32 00 7C 00 4C 00 6F 00 76 00 65 00 20 00 53 00 6F 00 6E 00 67 00"
                  "7C 00 53 00 69 00 6E 00 67 00 65 00 72 00 0D 00 0A 00 23 00 6B 00 6F 00 72 00"
                  "0D 00 0A 00 37 00 7C 00 44 C5 AC B9 91 B7 7C 00 FC BB 94 C6"));
    const ToolRun make = RunTool({QStringLiteral("make"), list, Path(QStringLiteral("out.dat"))});
    ASSERT_EQ(make.exitCode, 0) << make.err.constData();

    const QByteArray dat = ReadFileBytes(Path(QStringLiteral("out.dat")));
    const QByteArray idx = ReadFileBytes(Path(QStringLiteral("out.idx")));
    ASSERT_EQ(dat.size(), 8 + 2 * 196);
    EXPECT_EQ(dat.left(4), Hex("57 61 31 47"));
    EXPECT_EQ(idx.left(8), dat.left(8)) << "both files carry the same timestamp";
    EXPECT_EQ(idx.mid(8), Hex("65 00 6E 00 67 00 00 00 6B 00 6F 00 72 00 00 00"));
    // Record 1: number 7 and the title 아리랑.
    EXPECT_EQ(dat.mid(8 + 196, 10), Hex("07 00 00 00 44 C5 AC B9 91 B7"));

    const QByteArray expected = "12\tLove Song\tSinger\t\teng\n"
                                "7\t\xEC\x95\x84\xEB\xA6\xAC\xEB\x9E\x91\t\xEB\xAF\xBC\xEC\x9A\x94"
                                "\t\tkor\n";
    const ToolRun fromDat = RunTool({QStringLiteral("dump"), Path(QStringLiteral("out.dat"))});
    EXPECT_EQ(fromDat.exitCode, 0);
    EXPECT_EQ(fromDat.out, expected);
    EXPECT_TRUE(fromDat.err.isEmpty()) << fromDat.err.constData();
    EXPECT_EQ(RunTool({QStringLiteral("dump"), list}).out, expected);

    const ToolRun byNumber = RunTool({QStringLiteral("dump"), Path(QStringLiteral("out.dat")),
                                      QStringLiteral("--order"), QStringLiteral("number")});
    EXPECT_TRUE(byNumber.out.startsWith("7\t")) << byNumber.out.constData();
}

TEST_F(CatalogueToolTest, MakeRefusesBadInputAndKeepsTheOldFiles)
{
    const QString out = Write(QStringLiteral("out.dat"), "old dat");
    Write(QStringLiteral("out.idx"), "old idx");
    const QList<QPair<QByteArray, const char *>> lists = {
        {Hex("FE FF 00 31 00 7C 00 41"), "big-endian"},
        {QByteArray("1|Caf\x81|X\n"), "code page 1252"},
        {Hex("EF BB BF 31 7C FF 0A"), "not valid UTF-8"},
        {QByteArray("1\0|\0A\0", 6), "zero bytes"},
        {QByteArray("just words\n"), "no song lines"}};
    for (const auto &[bytes, mentions] : lists) {
        const QString list = Write(QStringLiteral("bad.txt"), bytes);
        ExpectRefusal(RunTool({QStringLiteral("make"), list, out}), mentions);
    }
    ExpectRefusal(RunTool({QStringLiteral("make"), Path(QStringLiteral("absent.txt")), out}),
                  "no such file");
    const QString good = Write(QStringLiteral("good.txt"), "1|One|A\n");
    ExpectRefusal(RunTool({QStringLiteral("make"), good, Path(QStringLiteral("out.bin"))}),
                  ".dat file");
    ExpectRefusal(RunTool({QStringLiteral("make"), good, Path(QStringLiteral("no/such/x.dat"))}),
                  "cannot write");

    EXPECT_EQ(ReadFileBytes(out), QByteArray("old dat"));
    EXPECT_EQ(ReadFileBytes(Path(QStringLiteral("out.idx"))), QByteArray("old idx"));
    EXPECT_EQ(Entries(), QStringList({QStringLiteral("bad.txt"), QStringLiteral("good.txt"),
                                      QStringLiteral("out.dat"), QStringLiteral("out.idx")}))
        << "no temporary or half-written file is left";
}

TEST_F(CatalogueToolTest, DumpRefusesWhatTheServerCannotLoad)
{
    const ToolRun wrongMagic = RunTool(
        {QStringLiteral("dump"), Write(QStringLiteral("bad.dat"), Hex("12 34 56 78 00 00 00 00"))});
    ExpectRefusal(wrongMagic, "Invalid id [moxiinfo.dat] 78563412.");
    EXPECT_TRUE(wrongMagic.out.isEmpty());
    ExpectRefusal(RunTool({QStringLiteral("dump"), Path(QStringLiteral("absent.dat"))}),
                  "no such file");
    ExpectRefusal(RunTool({QStringLiteral("dump"), Write(QStringLiteral("list.csv"), "1|A|B")}),
                  "not a catalogue file");
    ExpectRefusal(RunTool({QStringLiteral("dump"), Write(QStringLiteral("l.txt"), "1|A|B"),
                           QStringLiteral("--order"), QStringLiteral("colour")}),
                  "unknown order");

    // Without its language file a .dat still loads, every song "eng", with a note.
    const QString lonely = Write(QStringLiteral("lonely.dat"), Hex("57 61 31 47 01 00 00 00"
                                                                   "05 00 00 00 41 00"));
    const ToolRun run = RunTool({QStringLiteral("dump"), lonely});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QByteArray("5\tA\t\t\teng\n"));
    EXPECT_TRUE(run.err.contains("no language file")) << run.err.constData();
}

TEST_F(CatalogueToolTest, GenerateMakesTheSameLoadableCatalogueEveryTime)
{
    const QString first = Path(QStringLiteral("first.txt"));
    const QString second = Path(QStringLiteral("second.txt"));
    ASSERT_EQ(RunTool({QStringLiteral("generate"), QStringLiteral("600"), first}).exitCode, 0);
    ASSERT_EQ(RunTool({QStringLiteral("generate"), QStringLiteral("600"), second}).exitCode, 0);
    const QByteArray bytes = ReadFileBytes(first);
    EXPECT_EQ(bytes, ReadFileBytes(second));
    EXPECT_TRUE(bytes.startsWith(Hex("EF BB BF")));

    const QByteArray dump = RunTool({QStringLiteral("dump"), first}).out;
    const QStringList lines = QString::fromUtf8(dump).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 600);
    QSet<QString> languages;
    int articles = 0;
    int nonAscii = 0;
    for (const QString &line : lines) {
        const QStringList fields = line.split(u'\t');
        ASSERT_EQ(fields.size(), 5) << line.toStdString();
        languages.insert(fields[4]);
        articles += fields[1].startsWith(u"The ", Qt::CaseInsensitive) ||
                    fields[1].startsWith(u"A ", Qt::CaseInsensitive);
        nonAscii += std::any_of(fields[1].begin(), fields[1].end(),
                                [](QChar c) { return c.unicode() > 0x7F; });
    }
    EXPECT_GE(languages.size(), 3);
    EXPECT_GT(articles, 0);
    EXPECT_GT(nonAscii, 0);

    // The same songs through make, and in UTF-16LE.
    const QString dat = Path(QStringLiteral("made.dat"));
    ASSERT_EQ(RunTool({QStringLiteral("make"), first, dat}).exitCode, 0);
    EXPECT_EQ(RunTool({QStringLiteral("dump"), dat}).out, dump);
    const QString utf16 = Path(QStringLiteral("utf16.txt"));
    ASSERT_EQ(RunTool({QStringLiteral("generate"), QStringLiteral("600"), utf16,
                       QStringLiteral("--encoding"), QStringLiteral("utf16")})
                  .exitCode,
              0);
    EXPECT_TRUE(ReadFileBytes(utf16).startsWith(Hex("FF FE")));
    EXPECT_EQ(RunTool({QStringLiteral("dump"), utf16}).out, dump);

    // A generated .dat fills the extra column and has its language file.
    const QString generated = Path(QStringLiteral("generated.dat"));
    ASSERT_EQ(RunTool({QStringLiteral("generate"), QStringLiteral("50"), generated}).exitCode, 0);
    const ToolRun withExtra = RunTool({QStringLiteral("dump"), generated});
    EXPECT_TRUE(withExtra.err.isEmpty()) << withExtra.err.constData();
    const QStringList datLines = QString::fromUtf8(withExtra.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(datLines.size(), 50);
    for (const QString &line : datLines)
        EXPECT_FALSE(line.split(u'\t').value(3).isEmpty()) << line.toStdString();
}

TEST_F(CatalogueToolTest, GenerateRefusesCountsOutOfRange)
{
    for (const char *count : {"200001", "0", "-5", "many"}) {
        ExpectRefusal(RunTool({QStringLiteral("generate"), QString::fromLatin1(count),
                               Path(QStringLiteral("out.txt"))}),
                      "N must be");
    }
    ExpectRefusal(
        RunTool({QStringLiteral("generate"), QStringLiteral("5"), Path(QStringLiteral("out.txt")),
                 QStringLiteral("--encoding"), QStringLiteral("ebcdic")}),
        "unknown encoding");
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_EQ(RunTool({}).exitCode, 2) << "no command: usage";
}

} // namespace
