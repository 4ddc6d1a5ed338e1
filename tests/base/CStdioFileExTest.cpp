#include "base/CStdioFileEx.h"

#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

constexpr int kAnsi = CStdioFileEx::kAnsiCodePage;
constexpr int kUtf8 = CStdioFileEx::kUtf8CodePage;

// Every line the reader gives, until it reports the end.
QStringList ReadLines(CStdioFileEx &file)
{
    QStringList lines;
    QString line = u"stale"_qs;
    while (file.ReadString(line))
        lines.append(line);
    EXPECT_TRUE(line.isEmpty()) << "the end of the file empties the string";
    return lines;
}

class TextFileTest : public testing::Test
{
protected:
    // Opens a new file holding `bytes` for reading.
    bool Open(CStdioFileEx &file, const QByteArray &bytes)
    {
        return file.Open(m_dir.Write(QString::number(++m_files), bytes),
                         CStdioFileEx::modeRead | CStdioFileEx::typeText);
    }
    QStringList ReadAll(const QByteArray &bytes)
    {
        CStdioFileEx file;
        EXPECT_TRUE(Open(file, bytes));
        return ReadLines(file);
    }

    // The ambient code page must not leak into the tests: Windows-1252 unless a test says.
    EnvScope m_codePage{"ORVA_RS_CODEPAGE", nullptr};
    TempFolder m_dir;
    int m_files = 0;
};

TEST_F(TextFileTest, ReadsEachEncodingLineByLineAgainAfterSeekingToTheStart)
{
    const QString cafe = u"Café"_qs, zoe = u"Zoë"_qs;
    const QString longLine = QString(4999, u'é') + u'x';
    const std::tuple<QByteArray, QStringList, int> cases[] = {
        // The mark skipped, CR removed, an empty middle line, a last line without LF;
        // U+0A05 and U+0A0A hold byte 0A, which must not be taken for a line feed.
        {Utf16Le(u"ab\r\n\r\n\u0A05\u0A0Ax\r\nend", true),
         {"ab", "", u"\u0A05\u0A0Ax"_qs, "end"},
         kAnsi},
        // 05 0A 00 4E: a byte 0A and a byte 00 at an odd offset are two
        // characters, no line feed.
        {Utf16Le(u"\u0A05\u4E00\r\nb", true), {u"\u0A05\u4E00"_qs, "b"}, kAnsi},
        {Hex("EF BB BF") + "Caf\xC3\xA9\r\nZo\xC3\xAB", {cafe, zoe}, kUtf8},
        {Hex("EF BB BF") + "ok\n\377bad\nend", {"ok", u"\uFFFDbad"_qs, "end"}, kUtf8},
        {"Caf\xE9\r\nZo\xEB\n", {cafe, zoe}, kAnsi},
        // Mark-less: UTF-8 only when valid over the whole file and beyond ASCII.
        {"Caf\xC3\xA9\n", {cafe}, kUtf8},
        {"\xC3(\n", {u"Ã("_qs}, kAnsi},
        {"plain\n", {"plain"}, kAnsi},
        {"caf\xC3\xA9\n" + QByteArray(200000, 'b') + "\n\xE9\n",
         {u"cafÃ©"_qs, QString(200000, u'b'), u"é"_qs},
         kAnsi},
        // Under 2 bytes is no UTF-16; FE FF is multibyte text in the ANSI code page.
        {{}, {}, kAnsi},
        {"\xFF", {u"ÿ"_qs}, kAnsi},
        {Hex("FE FF 00 41"), {u"þÿ"_qs + QChar(0) + u'A'}, kAnsi},
        // Lines of 5,000 characters; 400 KB of UTF-16LE straddle many buffer refills.
        {Utf16Le((longLine + u"\r\n"_qs).repeated(40), true), QStringList(40, longLine), kAnsi},
        {Hex("EF BB BF") + (longLine + u"\r\nshort"_qs).toUtf8(), {longLine, "short"}, kUtf8},
        {(longLine + u'\n').toLatin1(), {longLine}, kAnsi}};
    for (const auto &[bytes, lines, codePage] : cases) {
        SCOPED_TRACE(bytes.left(8).toHex(' ').constData());
        CStdioFileEx file;
        ASSERT_TRUE(Open(file, bytes));
        EXPECT_EQ(file.IsUtf16(), bytes.startsWith("\xFF\xFE"));
        EXPECT_EQ(file.CodePage(), codePage);
        EXPECT_EQ(ReadLines(file), lines);
        ASSERT_TRUE(file.Seek(0));
        EXPECT_EQ(ReadLines(file), lines) << "the mark is skipped again";
    }
}

// The mark-less UTF-8 check reads the file in 64 KiB blocks: a sequence cut
// by a block's end is whole with the next block's bytes, and a bad or
// unfinished one anywhere makes the file ANSI, as does pure ASCII.
TEST_F(TextFileTest, MarklessUtf8CheckHoldsAcrossReadBlocks)
{
    constexpr qsizetype kBlock = 64 * 1024;
    const QByteArray euro = "\xE2\x82\xAC", smile = "\xF0\x9F\x98\x80";
    // `bytes` placed so that its first `before` bytes end the first block.
    const auto at = [&](qsizetype before, const QByteArray &bytes, const QByteArray &after = "x") {
        return QByteArray(kBlock - before, 'a') + bytes + after;
    };
    const std::pair<QByteArray, int> cases[] = {
        {at(1, euro), kUtf8},
        {at(2, euro), kUtf8},
        {at(1, smile), kUtf8},
        {at(2, smile), kUtf8},
        {at(3, smile), kUtf8},
        {at(0, "\xC3\xA9", QByteArray(3 * kBlock, 'b')), kUtf8},
        {at(2, euro.left(2), {}), kAnsi},    // cut off by the end of the file
        {at(1, "\xC3", "("), kAnsi},         // a lead byte without its continuation
        {at(0, "\x80"), kAnsi},              // a continuation without its lead
        {at(1, smile.left(3) + "A"), kAnsi}, // a four-byte sequence cut by ASCII
        {at(1, euro) + QByteArray(2 * kBlock, 'c') + "\xFF", kAnsi},
        {QByteArray(3 * kBlock, 'a'), kAnsi}};
    for (const auto &[bytes, codePage] : cases) {
        SCOPED_TRACE(bytes.mid(kBlock - 4, 8).toHex(' ').constData());
        CStdioFileEx file;
        EXPECT_TRUE(Open(file, bytes) && file.CodePage() == codePage) << file.CodePage();
    }
}

TEST_F(TextFileTest, AnsiCodePageComesFromTheEnvironment)
{
    for (const auto &[codePage, bytes, line] :
         {std::tuple{"949", "\xB3\xEB\xB7\xA1\n", u"노래"},
          std::tuple{"1251", "\xCF\xF0\xE8\xE2\xE5\xF2", u"Привет"}}) {
        EnvScope scope("ORVA_RS_CODEPAGE", codePage);
        EXPECT_EQ(ReadAll(bytes), QStringList(QString::fromUtf16(line)));
    }
    EnvScope nonsense("ORVA_RS_CODEPAGE", "not a number");
    EXPECT_EQ(CStdioFileEx::SystemCodePage(), 1252);
}

// A byte that does not convert costs its character, never the line: it is
// replaced as the Windows conversion does, and closing the file logs the count.
TEST_F(TextFileTest, BytesThatDoNotConvertAreReplacedAndCountedOnce)
{
    const std::tuple<const char *, QByteArray, QStringList, int> cases[] = {
        // The five bytes Windows-1252 leaves undefined read as the C1 controls.
        {"1252",
         "1|A\x81|X\n2|\x8D|X\r\n3|\x8F\x90|X\n4|\x9D\n",
         {u"1|A\u0081|X"_qs, u"2|\u008D|X"_qs, u"3|\u008F\u0090|X"_qs, u"4|\u009D"_qs},
         5},
        {"1252", Hex("EF BB BF") + "a\xFF|\xC3\xA9\n\xE2\x82", {u"a\uFFFD|é"_qs, u"\uFFFD"_qs}, 2},
        // A lead byte with a trail byte is one character gone; with a byte that
        // cannot trail (space, CR, '|') or at the end, the lead alone is.
        {"949",
         "\xC9\xA1|\xB3 |\xB3\r\n\xB3\xEB\xB3|\x80",
         {u"\u30FB|\u30FB |\u30FB"_qs, u"노\u30FB|\u30FB"_qs},
         5},
        {"932", "\x82\xA0\x81 |\x81", {u"あ\u30FB |\u30FB"_qs}, 2},
        {"1252", Hex("EF BB BF") + "\xEF\xBF\xBD ok", {u"\uFFFD ok"_qs}, 0}};
    for (const auto &[codePage, bytes, lines, replaced] : cases) {
        SCOPED_TRACE(bytes.toHex(' ').constData());
        EnvScope scope("ORVA_RS_CODEPAGE", codePage);
        LogCapture log;
        CStdioFileEx file;
        ASSERT_TRUE(Open(file, bytes));
        EXPECT_EQ(ReadLines(file), lines);
        file.Close();
        const QString line =
            u"Replaced %1 characters that do not convert in [%2] (code page %3)."_qs.arg(replaced)
                .arg(m_dir.Path(QString::number(m_files)))
                .arg(bytes.startsWith("\xEF") ? kUtf8 : atoi(codePage));
        EXPECT_EQ(log.Lines(), replaced ? QStringList(line) : QStringList());
    }
}

TEST_F(TextFileTest, WritesOneMarkAndTheDefaultCharacterForWhatTheCodePageLacks)
{
    const QString path = m_dir.filePath(u"out.txt"_qs);
    // Writes `text` twice, the second time with '?' as the default character.
    const auto write = [&](quint32 type, int codePage, bool mark, const QString &text) {
        CStdioFileEx file;
        file.m_bWriteBom = mark;
        EXPECT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | type));
        file.SetCodePage(codePage);
        file.WriteString(text);
        file.m_chDefault = '?';
        file.WriteString(text);
        file.Close();
        return ReadFileBytes(path);
    };
    const QByteArray utf16 = write(CStdioFileEx::typeUtf16, kAnsi, true, u"a\u0A05\r\n"_qs);
    EXPECT_EQ(utf16, Hex("FF FE 61 00 05 0A 0D 00 0A 00 61 00 05 0A 0D 00 0A 00"));
    EXPECT_EQ(ReadAll(utf16), QStringList(2, u"a\u0A05"_qs));
    EXPECT_EQ(write(CStdioFileEx::typeUtf16, kAnsi, false, u"a"_qs), Hex("61 00 61 00"));
    EXPECT_EQ(write(0, kUtf8, true, u"é"_qs), Hex("EF BB BF C3 A9 C3 A9"));
    // No mark in the ANSI code page; a surrogate pair is one character.
    EXPECT_EQ(write(0, kAnsi, true, u"Café ☃ 노 😀!"_qs),
              QByteArray("Caf\xE9 # # #!Caf\xE9 ? ? ?!"));
}

TEST_F(TextFileTest, FailuresGiveFalseOrEmptyResults)
{
    CStdioFileEx file;
    EXPECT_FALSE(file.Open(m_dir.filePath(u"absent.txt"_qs), CStdioFileEx::modeRead) ||
                 file.IsOpen());
    EXPECT_EQ(ReadLines(file), QStringList());
    qsizetype replaced = 0;
    EXPECT_EQ(CStdioFileEx::ToUtf16("\x81", 1252, &replaced), u"\u0081"_qs);
    EXPECT_EQ(replaced, 1);
    EXPECT_TRUE(CStdioFileEx::ToUtf16("abc", 99999).isEmpty()) << "an unknown code page";
    EXPECT_EQ(CStdioFileEx::ToUtf16("\xB3\xEB", 949), u"노"_qs);
    EXPECT_EQ(CStdioFileEx::FromUtf16(u"노x", 949, '#'), QByteArray("\xB3\xEBx"));
}

} // namespace
