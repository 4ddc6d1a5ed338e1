#pragma once

#include <QByteArray>
#include <QString>
#include <iconv.h>

// Converts text between UTF-16 and one code page, in one direction. Code
// pages are given by their Windows numbers (1252, 949, 932, 65001 for UTF-8)
// and converted through iconv; UTF-8 goes through Qt's own codec. Bytes that
// do not convert are replaced as the Windows conversion replaces them, so a
// text with one bad byte still reads as a text.
class CodePageConverter
{
public:
    enum Direction
    {
        ToUtf16,
        FromUtf16
    };

    CodePageConverter() = default;
    CodePageConverter(int codePage, Direction direction);
    ~CodePageConverter();
    CodePageConverter(const CodePageConverter &) = delete;
    CodePageConverter &operator=(const CodePageConverter &) = delete;

    // Prepares the converter for a code page; false when iconv does not know it.
    bool Reset(int codePage, Direction direction);
    bool IsValid() const;
    int CodePage() const { return m_codePage; }

    // Decodes bytes into `text`. A byte sequence that does not convert becomes
    // one character: U+FFFD in UTF-8, U+30FB in the East Asian double-byte code
    // pages, and in a single-byte code page the C1 control of the same number
    // (81 -> U+0081) or '?'. Adds the number of such characters to `replaced`.
    // False (and empty) only when the converter is not valid.
    bool Decode(QByteArrayView bytes, QString &text, qsizetype *replaced = nullptr);
    // Encodes text into `bytes`; characters the code page lacks are written as
    // `defaultChar`. False (and empty) only when the converter is not valid.
    bool Encode(QStringView text, QByteArray &bytes, char defaultChar);

    // The iconv name of a code page number ("WINDOWS-1252", "CP949", "UTF-8").
    static QByteArray IconvName(int codePage);

private:
    void Release();

    iconv_t m_handle = iconv_t(-1);
    int m_codePage = 0;
    Direction m_direction = ToUtf16;
};
