#pragma once

#include "base/CodePageConverter.h"

#include <QFile>
#include <QString>
#include <limits>

// The system's one text-file class. Reads a file line by line into UTF-16
// whatever its encoding (UTF-16LE with mark FF FE, UTF-8 with mark EF BB BF,
// mark-less UTF-8, or the ANSI code page), and writes UTF-16 text as UTF-16LE
// or in a code page, with a byte-order mark at the start of a new file. Bytes
// that do not convert are replaced, never the line lost; Close logs how many
// characters of the file were replaced.
class CStdioFileEx
{
public:
    // Open flags; the values follow the classic buffered-file flags.
    enum OpenFlag : quint32
    {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeCreate = 0x1000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        typeUtf16 = 0x200000, // write UTF-16LE text
    };
    static constexpr int kUtf8CodePage = 65001;
    static constexpr int kAnsiCodePage = -1; // the system's ANSI code page

    CStdioFileEx();
    ~CStdioFileEx();
    CStdioFileEx(const CStdioFileEx &) = delete;
    CStdioFileEx &operator=(const CStdioFileEx &) = delete;

    // Opens the file; for reading, also finds out its encoding. False on failure.
    bool Open(const QString &path, quint32 flags);
    // Closes the file; logs once how many characters the lines read had replaced.
    void Close();
    bool IsOpen() const;

    // The next line without its line end (and without a trailing CR). False at
    // the end of the file, with `line` emptied. An empty line gives true.
    bool ReadString(QString &line);
    // Writes the text converted as the file was opened; no line end is added.
    void WriteString(const QString &text);
    // Moves to a byte offset from the start and re-arms the byte-order-mark skip.
    bool Seek(qint64 offset);

    bool IsUtf16() const { return m_bUtf16; }
    int CodePage() const { return m_nCodePage; }
    void SetCodePage(int codePage) { m_nCodePage = codePage; }

    // The code page that stands for the system's ANSI code page: the number in
    // ORVA_RS_CODEPAGE, else Windows-1252.
    static int SystemCodePage();
    // Converts multibyte text in a code page (-1: the ANSI code page) to UTF-16,
    // replacing what does not convert (see CodePageConverter::Decode) and adding
    // the number replaced to `replaced`. Empty for an unknown code page.
    static QString ToUtf16(QByteArrayView bytes, int codePage, qsizetype *replaced = nullptr);
    // Converts UTF-16 text to a code page; characters the code page lacks become
    // `defaultChar` (UTF-8 has no such characters).
    static QByteArray FromUtf16(QStringView text, int codePage, char defaultChar);

    char m_chDefault = '#';
    bool m_bWriteBom = true;

private:
    bool ReadRawLine(QByteArray &bytes);
    void DetectEncoding();
    bool HoldsMultiByteUtf8();
    bool FillBuffer();
    qint64 StreamPos() const;
    void SkipBytes(qint64 count);
    CodePageConverter &Converter(CodePageConverter &converter, int &madeFor,
                                 CodePageConverter::Direction direction);

    QFile m_file;
    quint32 m_nOpenFlags = 0;
    bool m_bUtf16 = false;
    int m_nCodePage = kAnsiCodePage;
    bool m_bAtStart = true;
    int m_nMarkBytes = 0;     // length of the byte-order mark Open found
    qsizetype m_replaced = 0; // characters replaced in the lines read since Open

    // Read-ahead over the unbuffered file; lines are cut out of it.
    QByteArray m_readBuffer;
    qsizetype m_readPos = 0;
    qsizetype m_readEnd = 0;
    // The current line's bytes, and the converted bytes to be written; reused.
    QByteArray m_byteLine;

    // Converters for the code page in use, reopened only when it changes.
    CodePageConverter m_decoder;
    CodePageConverter m_encoder;
    static constexpr int kNoConverter = std::numeric_limits<int>::min();
    int m_decoderMadeFor = kNoConverter; // the m_nCodePage value the converter serves
    int m_encoderMadeFor = kNoConverter;
};
