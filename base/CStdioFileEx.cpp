#include "base/CStdioFileEx.h"

#include "base/EventLog.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype kReadChunk = 64 * 1024;
constexpr qsizetype kLineReserve = 4096;
constexpr int kWesternCodePage = 1252;
constexpr char kUtf16Mark[] = "\xFF\xFE";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool HasHighByte(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; });
}

// Offset of the first line feed in `bytes`, or -1. In UTF-16 only a whole
// unit 0x000A counts, so a byte 0A inside another character never ends a line.
// Multibyte code pages never use 0A as a trail byte, so a byte search is exact.
qsizetype FindLineFeed(const char *bytes, qsizetype size, bool utf16)
{
    const char *const end = bytes + size;
    for (const char *at = bytes; at < end; ++at) {
        at = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)));
        if (!at)
            return -1;
        if (!utf16)
            return at - bytes;
        if ((at - bytes) % 2 == 0 && at + 1 < end && at[1] == 0)
            return at - bytes;
    }
    return -1;
}

// The longest start of a UTF-8 sequence that is not yet a whole one.
constexpr qsizetype kMaxCarry = 3;

// How many bytes at the end of `bytes` start a UTF-8 sequence that needs more
// bytes than are there (at most kMaxCarry); 0 when the end is a whole sequence
// or is invalid anyway, which the validity check then finds.
qsizetype UnfinishedTail(QByteArrayView bytes)
{
    for (qsizetype back = 1; back <= std::min(kMaxCarry, bytes.size()); ++back) {
        const uchar byte = uchar(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: its lead is further back
        const qsizetype length = (byte & 0xE0) == 0xC0   ? 2
                                 : (byte & 0xF0) == 0xE0 ? 3
                                 : (byte & 0xF8) == 0xF0 ? 4
                                                         : 1;
        return length > back ? back : 0;
    }
    return 0;
}

} // namespace

CStdioFileEx::CStdioFileEx()
{
    m_byteLine.reserve(kLineReserve);
}

CStdioFileEx::~CStdioFileEx()
{
    Close();
}

// Opens the file, always as a binary stream; for reading, finds its encoding.
bool CStdioFileEx::Open(const QString &path, quint32 flags)
{
    Close();
    m_bUtf16 = (flags & typeUtf16) != 0;
    m_nOpenFlags = (flags & ~quint32(typeText)) | typeBinary;
    m_nMarkBytes = 0;
    m_decoderMadeFor = kNoConverter;
    m_encoderMadeFor = kNoConverter;
    m_file.setFileName(path);

    const bool writing = (flags & (modeWrite | modeCreate)) != 0;
    QIODevice::OpenMode mode = QIODevice::ReadOnly | QIODevice::Unbuffered;
    if (writing && (flags & modeCreate))
        mode = QIODevice::WriteOnly | QIODevice::Truncate;
    else if (writing)
        // Writing without create keeps the file's bytes, as the classic flag does;
        // Qt's plain write-only mode would truncate.
        mode = QIODevice::ReadWrite | QIODevice::ExistingOnly;
    if (!m_file.open(mode))
        return false;
    m_bAtStart = true;
    if (!writing)
        DetectEncoding();
    return true;
}

// Closes the file, first logging the characters that did not convert, if any.
void CStdioFileEx::Close()
{
    if (m_replaced > 0)
        WriteLog("Replaced %lld characters that do not convert in [%s] (code page %d).",
                 static_cast<long long>(m_replaced), qUtf8Printable(m_file.fileName()),
                 m_nCodePage == kAnsiCodePage ? SystemCodePage() : m_nCodePage);
    m_replaced = 0;
    m_file.close();
    m_readPos = 0;
    m_readEnd = 0;
}

bool CStdioFileEx::IsOpen() const
{
    return m_file.isOpen();
}

// Reads the next line, skipping the byte-order mark on the first read from the start.
bool CStdioFileEx::ReadString(QString &line)
{
    const bool readable = m_file.isOpen() && !(m_nOpenFlags & (modeWrite | modeCreate));
    if (readable && m_bAtStart && StreamPos() == 0)
        SkipBytes(m_nMarkBytes);
    if (!readable || !ReadRawLine(m_byteLine)) {
        line.resize(0);
        return false;
    }
    if (m_bUtf16) {
        line.resize(m_byteLine.size() / 2);
        qFromLittleEndian<quint16>(m_byteLine.constData(), line.size(), line.data());
    } else {
        Converter(m_decoder, m_decoderMadeFor, CodePageConverter::ToUtf16)
            .Decode(m_byteLine, line, &m_replaced);
    }
    if (line.endsWith(u'\r'))
        line.chop(1);
    m_bAtStart = false;
    return true;
}

// Writes text as UTF-16LE or in the code page, with a mark when at the file's start.
void CStdioFileEx::WriteString(const QString &text)
{
    if (!m_file.isOpen() || !m_file.isWritable())
        return;
    const bool utf16 = (m_nOpenFlags & typeUtf16) != 0;
    if (m_bWriteBom && m_file.pos() == 0) {
        if (utf16)
            m_file.write(kUtf16Mark, 2);
        else if (m_nCodePage == kUtf8CodePage)
            m_file.write(kUtf8Mark, 3);
    }
    if (utf16) {
        m_byteLine.resize(text.size() * 2);
        qToLittleEndian<quint16>(text.utf16(), text.size(), m_byteLine.data());
    } else {
        Converter(m_encoder, m_encoderMadeFor, CodePageConverter::FromUtf16)
            .Encode(text, m_byteLine, m_chDefault);
    }
    if (!m_byteLine.isEmpty())
        m_file.write(m_byteLine);
}

// Moves to a byte offset; the next read from offset 0 skips the mark again.
bool CStdioFileEx::Seek(qint64 offset)
{
    m_bAtStart = true;
    m_readPos = 0;
    m_readEnd = 0;
    return m_file.isOpen() && m_file.seek(offset);
}

// The ANSI code page: ORVA_RS_CODEPAGE if it holds a positive number, else Windows-1252.
int CStdioFileEx::SystemCodePage()
{
    bool ok = false;
    const int codePage = qEnvironmentVariableIntValue("ORVA_RS_CODEPAGE", &ok);
    return ok && codePage > 0 ? codePage : kWesternCodePage;
}

// Converts bytes in a code page to UTF-16, counting the characters replaced.
QString CStdioFileEx::ToUtf16(QByteArrayView bytes, int codePage, qsizetype *replaced)
{
    CodePageConverter converter(codePage == kAnsiCodePage ? SystemCodePage() : codePage,
                                CodePageConverter::ToUtf16);
    QString text;
    converter.Decode(bytes, text, replaced);
    return text;
}

// Converts UTF-16 to a code page, with `defaultChar` for what it cannot represent.
QByteArray CStdioFileEx::FromUtf16(QStringView text, int codePage, char defaultChar)
{
    CodePageConverter converter(codePage == kAnsiCodePage ? SystemCodePage() : codePage,
                                CodePageConverter::FromUtf16);
    QByteArray bytes;
    converter.Encode(text, bytes, defaultChar);
    return bytes;
}

// Reads the bytes of one line, without its line feed; false at the end of the file.
bool CStdioFileEx::ReadRawLine(QByteArray &bytes)
{
    bytes.resize(0);
    const qsizetype unit = m_bUtf16 ? 2 : 1;
    for (;;) {
        if (m_readEnd - m_readPos < unit) {
            if (!FillBuffer())
                break;
            continue;
        }
        const char *begin = m_readBuffer.constData() + m_readPos;
        // Whole units only; half a UTF-16 unit waits for the next fill.
        const qsizetype available = (m_readEnd - m_readPos) / unit * unit;
        const qsizetype lineFeed = FindLineFeed(begin, available, m_bUtf16);
        if (lineFeed >= 0) {
            bytes.append(begin, lineFeed);
            m_readPos += lineFeed + unit;
            return true;
        }
        bytes.append(begin, available);
        m_readPos += available;
    }
    // The end of the file ends a last line without line feed; a lone odd byte
    // of a UTF-16 file is no unit and is dropped.
    return !bytes.isEmpty();
}

// Sets m_bUtf16, m_nCodePage and the mark length from the file's first bytes.
void CStdioFileEx::DetectEncoding()
{
    char head[3] = {};
    const qint64 got = m_file.read(head, 3);
    m_bUtf16 = got >= 2 && std::memcmp(head, kUtf16Mark, 2) == 0;
    if (m_bUtf16) {
        m_nMarkBytes = 2;
    } else if (got == 3 && std::memcmp(head, kUtf8Mark, 3) == 0) {
        m_nCodePage = kUtf8CodePage;
        m_nMarkBytes = 3;
    } else if (m_nCodePage == kAnsiCodePage) {
        // Mark-less files written by today's editors are mostly UTF-8; text that
        // is valid UTF-8 and uses it beyond ASCII is almost never meant as ANSI.
        m_file.seek(0);
        if (HoldsMultiByteUtf8())
            m_nCodePage = kUtf8CodePage;
    }
    m_file.seek(0);
    m_readPos = 0;
    m_readEnd = 0;
}

// Whether the whole file is valid UTF-8 with at least one byte beyond ASCII.
// One pass over blocks; a sequence cut by a block's end is carried over.
bool CStdioFileEx::HoldsMultiByteUtf8()
{
    bool multiByte = false;
    QByteArray block(kReadChunk + kMaxCarry, Qt::Uninitialized);
    qsizetype carried = 0;
    for (;;) {
        const qint64 got = m_file.read(block.data() + carried, kReadChunk);
        if (got <= 0)
            break;
        const qsizetype size = carried + qsizetype(got);
        carried = UnfinishedTail(QByteArrayView(block.constData(), size));
        const QByteArrayView part(block.constData(), size - carried);
        if (!part.isValidUtf8())
            return false;
        multiByte = multiByte || HasHighByte(part);
        std::memmove(block.data(), block.constData() + part.size(), size_t(carried));
    }
    return carried == 0 && multiByte;
}

// Moves the unread tail to the front of the read-ahead buffer and reads more.
bool CStdioFileEx::FillBuffer()
{
    if (m_readBuffer.size() < kReadChunk)
        m_readBuffer.resize(kReadChunk);
    char *data = m_readBuffer.data();
    const qsizetype tail = m_readEnd - m_readPos;
    if (tail > 0 && m_readPos > 0)
        std::memmove(data, data + m_readPos, size_t(tail));
    m_readPos = 0;
    m_readEnd = tail;
    const qint64 got = m_file.read(data + tail, m_readBuffer.size() - tail);
    if (got <= 0)
        return false;
    m_readEnd += got;
    return true;
}

// The byte offset of the next unread byte.
qint64 CStdioFileEx::StreamPos() const
{
    return m_file.pos() - (m_readEnd - m_readPos);
}

// Consumes up to `count` bytes.
void CStdioFileEx::SkipBytes(qint64 count)
{
    while (count > 0) {
        if (m_readPos == m_readEnd && !FillBuffer())
            return;
        const qint64 take = std::min<qint64>(count, m_readEnd - m_readPos);
        m_readPos += take;
        count -= take;
    }
}

// The converter for the current code page, reopened when the code page changed.
CodePageConverter &CStdioFileEx::Converter(CodePageConverter &converter, int &madeFor,
                                           CodePageConverter::Direction direction)
{
    if (madeFor != m_nCodePage) {
        converter.Reset(m_nCodePage == kAnsiCodePage ? SystemCodePage() : m_nCodePage, direction);
        madeFor = m_nCodePage;
    }
    return converter;
}
