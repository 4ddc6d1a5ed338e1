#include "catalogue/CStdioFileEx.h"

#include "tests/catalogue/CodePageScope.h"
#include "tests/support/TempDir.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TextFileTest : public testing::Test
{
protected:
    QString Write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("file%1.txt").arg(++m_files));
        WriteFileBytes(path, bytes);
        return path;
    }

    // Every line the reader gives, until it reports the end.
    QStringList ReadAll(const QString &path)
    {
        CStdioFileEx file;
        EXPECT_TRUE(file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText));
        QStringList lines;
        QString line;
        while (file.ReadString(line))
            lines.append(line);
        EXPECT_TRUE(line.isEmpty()) << "the end of the file empties the string";
        return lines;
    }

    // The ambient code page must not leak into the tests: Windows-1252 unless a test says.
    CodePageScope m_codePage{nullptr};
    QTemporaryDir m_dir;
    int m_files = 0;
};

TEST_F(TextFileTest, Utf16LinesComeWithoutMarkCarriageReturnOrLineFeed)
{
    // "ab" CR LF, an empty line, U+0A05 U+0A0A "x" CR LF, and "end" without line end.
    // The Gurmukhi letters hold byte 0A, which must not be taken for a line feed.
    const QString path = Write(Hex("FF FE 61 00 62 00 0D 00 0A 00 0D 00 0A 00"
                                   "05 0A 0A 0A 78 00 0D 00 0A 00 65 00 6E 00 64 00"));
    EXPECT_EQ(ReadAll(path),
              QStringList({QStringLiteral("ab"), QString(), QStringLiteral(u"\u0A05\u0A0Ax"),
                           QStringLiteral("end")}));
}

TEST_F(TextFileTest, MarkedUtf8AndAnsiGiveTheSameLines)
{
    const QStringList expected = {QStringLiteral(u"Café"), QStringLiteral(u"Naïve Zoë")};
    const QString utf8 =
        Write(Hex("EF BB BF 43 61 66 C3 A9 0D 0A 4E 61 C3 AF 76 65 20 5A 6F C3 AB"));
    const QString ansi = Write(Hex("43 61 66 E9 0D 0A 4E 61 EF 76 65 20 5A 6F EB 0A"));
    EXPECT_EQ(ReadAll(utf8), expected);
    EXPECT_EQ(ReadAll(ansi), expected);

    CStdioFileEx marked;
    ASSERT_TRUE(marked.Open(utf8, CStdioFileEx::modeRead));
    EXPECT_EQ(marked.CodePage(), CStdioFileEx::kUtf8CodePage);
    CStdioFileEx unmarked;
    ASSERT_TRUE(unmarked.Open(ansi, CStdioFileEx::modeRead));
    EXPECT_EQ(unmarked.CodePage(), CStdioFileEx::kAnsiCodePage);
}

TEST_F(TextFileTest, MarklessTextIsUtf8OnlyWhenValidAndBeyondAscii)
{
    // Valid UTF-8 with a multibyte sequence: read as UTF-8, and no mark is skipped.
    EXPECT_EQ(ReadAll(Write(Hex("43 61 66 C3 A9 0A"))), QStringList(QStringLiteral(u"Café")));
    // Not valid UTF-8: the ANSI code page.
    EXPECT_EQ(ReadAll(Write(Hex("C3 28 0A"))), QStringList(QStringLiteral(u"Ã(")));

    CStdioFileEx ascii;
    ASSERT_TRUE(ascii.Open(Write("plain\n"), CStdioFileEx::modeRead));
    EXPECT_EQ(ascii.CodePage(), CStdioFileEx::kAnsiCodePage);

    // The check runs over the whole file, across read chunks: a sequence split
    // between two chunks is still valid, and a bad byte far down still counts.
    QByteArray split(65535, 'a');
    split += "\xC3\xA9 tail";
    EXPECT_EQ(ReadAll(Write(split)), QStringList(QString(65535, u'a') + QStringLiteral(u"é tail")));
    QByteArray lateBad = QByteArray("caf\xC3\xA9\n") + QByteArray(200000, 'b') + "\n\xE9\n";
    CStdioFileEx late;
    ASSERT_TRUE(late.Open(Write(lateBad), CStdioFileEx::modeRead));
    EXPECT_EQ(late.CodePage(), CStdioFileEx::kAnsiCodePage);
}

TEST_F(TextFileTest, AnsiCodePageComesFromTheEnvironment)
{
    {
        CodePageScope korean("949");
        EXPECT_EQ(ReadAll(Write(Hex("B3 EB B7 A1 0A"))), QStringList(QStringLiteral(u"노래")));
    }
    {
        CodePageScope cyrillic("1251");
        EXPECT_EQ(ReadAll(Write(Hex("CF F0 E8 E2 E5 F2"))), QStringList(QStringLiteral(u"Привет")));
    }
    CodePageScope nonsense("not a number");
    EXPECT_EQ(CStdioFileEx::SystemCodePage(), 1252);
}

TEST_F(TextFileTest, LongLinesAreReadWhole)
{
    const QString longLine = QString(4999, u'é') + u'x';
    QByteArray utf16 = Hex("FF FE");
    for (int i = 0; i < 40; ++i) { // 400 KB: lines straddle many buffer refills
        for (QChar c : longLine)
            utf16 += c == u'x' ? QByteArray("x\0", 2) : QByteArray("\xE9\0", 2);
        utf16 += QByteArray("\r\0\n\0", 4);
    }
    const QStringList lines = ReadAll(Write(utf16));
    ASSERT_EQ(lines.size(), 40);
    EXPECT_EQ(lines.first(), longLine);
    EXPECT_EQ(lines.last(), longLine);

    QByteArray utf8 = Hex("EF BB BF");
    for (int i = 0; i < 4999; ++i)
        utf8 += "\xC3\xA9";
    utf8 += "x\r\nshort";
    EXPECT_EQ(ReadAll(Write(utf8)), QStringList({longLine, QStringLiteral("short")}));

    QByteArray ansi(4999, '\xE9');
    ansi += "x\n";
    EXPECT_EQ(ReadAll(Write(ansi)), QStringList(longLine));
}

TEST_F(TextFileTest, ShortAndBigEndianFilesAreNotUtf16)
{
    EXPECT_EQ(ReadAll(Write(QByteArray())), QStringList());

    CStdioFileEx single;
    ASSERT_TRUE(single.Open(Write(Hex("FF")), CStdioFileEx::modeRead));
    EXPECT_FALSE(single.IsUtf16());
    QString line;
    EXPECT_TRUE(single.ReadString(line));
    EXPECT_EQ(line, QStringLiteral(u"ÿ"));

    // FE FF is read as multibyte text in the ANSI code page.
    CStdioFileEx bigEndian;
    ASSERT_TRUE(bigEndian.Open(Write(Hex("FE FF 00 41")), CStdioFileEx::modeRead));
    EXPECT_FALSE(bigEndian.IsUtf16());
    EXPECT_TRUE(bigEndian.ReadString(line));
    EXPECT_EQ(line, QStringLiteral(u"þÿ") + QChar(0) + u'A');
}

TEST_F(TextFileTest, SeekToTheStartSkipsTheMarkAgain)
{
    for (const char *bytes : {"FF FE 31 00 0A 00 32 00", "EF BB BF 31 0A 32"}) {
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(Write(Hex(bytes)), CStdioFileEx::modeRead));
        QString line;
        ASSERT_TRUE(file.ReadString(line));
        EXPECT_EQ(line, QStringLiteral("1")) << bytes;
        ASSERT_TRUE(file.ReadString(line));
        EXPECT_EQ(line, QStringLiteral("2")) << bytes;
        ASSERT_TRUE(file.Seek(0));
        ASSERT_TRUE(file.ReadString(line));
        EXPECT_EQ(line, QStringLiteral("1")) << bytes;
    }
}

TEST_F(TextFileTest, WritesUtf16WithASingleMark)
{
    const QString path = m_dir.filePath(QStringLiteral("out16.txt"));
    {
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite |
                                        CStdioFileEx::typeUtf16));
        file.WriteString(QStringLiteral("ab"));
        file.WriteString(QStringLiteral(u"\u0A05\r\n"));
    }
    EXPECT_EQ(ReadFileBytes(path), Hex("FF FE 61 00 62 00 05 0A 0D 00 0A 00"));
    EXPECT_EQ(ReadAll(path), QStringList(QStringLiteral(u"ab\u0A05")));
}

TEST_F(TextFileTest, WritesTheDefaultCharacterForWhatTheCodePageLacks)
{
    const QString text = QStringLiteral(u"Café ☃ 노 😀!");
    const QString path = m_dir.filePath(QStringLiteral("out.txt"));
    {
        CStdioFileEx file;
        ASSERT_TRUE(file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
        file.WriteString(text);
        file.m_chDefault = '?';
        file.WriteString(text);
    }
    // No mark in the ANSI code page; a surrogate pair is one character.
    EXPECT_EQ(ReadFileBytes(path), QByteArray("Caf\xE9 # # #!Caf\xE9 ? ? ?!"));

    CStdioFileEx utf8;
    ASSERT_TRUE(utf8.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
    utf8.SetCodePage(CStdioFileEx::kUtf8CodePage);
    utf8.WriteString(QStringLiteral(u"é"));
    utf8.WriteString(QStringLiteral(u"é"));
    utf8.Close();
    EXPECT_EQ(ReadFileBytes(path), Hex("EF BB BF C3 A9 C3 A9"));

    CStdioFileEx noMark;
    noMark.m_bWriteBom = false;
    ASSERT_TRUE(noMark.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite |
                                      CStdioFileEx::typeUtf16));
    noMark.WriteString(QStringLiteral("a"));
    noMark.Close();
    EXPECT_EQ(ReadFileBytes(path), Hex("61 00"));
}

TEST_F(TextFileTest, ConversionFailuresGiveEmptyLinesAndEmptyResults)
{
    EXPECT_EQ(ReadAll(Write(Hex("EF BB BF 6F 6B 0A FF 62 61 64 0A 65 6E 64"))),
              QStringList({QStringLiteral("ok"), QString(), QStringLiteral("end")}));
    EXPECT_TRUE(CStdioFileEx::ToUtf16("\x81", 1252).isEmpty());
    EXPECT_TRUE(CStdioFileEx::ToUtf16("abc", 99999).isEmpty()) << "an unknown code page";
    EXPECT_EQ(CStdioFileEx::ToUtf16("\xB3\xEB", 949), QStringLiteral(u"노"));
    EXPECT_EQ(CStdioFileEx::FromUtf16(u"노x", 949, '#'), QByteArray("\xB3\xEBx"));
}

TEST_F(TextFileTest, MissingFileDoesNotOpen)
{
    CStdioFileEx file;
    EXPECT_FALSE(file.Open(m_dir.filePath(QStringLiteral("absent.txt")), CStdioFileEx::modeRead));
    EXPECT_FALSE(file.IsOpen());
    QString line = QStringLiteral("stale");
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.isEmpty());
}

} // namespace
