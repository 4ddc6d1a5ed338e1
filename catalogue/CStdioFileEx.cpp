// TEMPORARY minimal text reader so that the favourite lists can be built and
// tested before the full reader lands; the full implementation replaces this
// whole file. It reads UTF-16LE files with the mark FF FE and UTF-8 files (with
// or without the mark EF BB BF; mark-less bytes that are not UTF-8 are taken as
// Latin-1), and writes UTF-16LE or UTF-8 text.
#include "catalogue/CStdioFileEx.h"

#include <QStringDecoder>
#include <QtEndian>

CStdioFileEx::CStdioFileEx() = default;

CStdioFileEx::~CStdioFileEx()
{
    Close();
}

// Opens the file; for reading, finds its encoding from the byte-order mark.
bool CStdioFileEx::Open(const QString &path, quint32 flags)
{
    Close();
    m_bUtf16 = (flags & typeUtf16) != 0;
    m_nOpenFlags = (flags & ~quint32(typeText)) | typeBinary;
    m_file.setFileName(path);
    const bool writing = (flags & (modeWrite | modeCreate)) != 0;
    if (!m_file.open(writing ? QIODevice::WriteOnly : QIODevice::ReadOnly))
        return false;
    m_bAtStart = true;
    if (writing)
        return true;
    const QByteArray head = m_file.peek(3);
    m_bUtf16 = head.startsWith("\xFF\xFE");
    if (!m_bUtf16 && head.startsWith("\xEF\xBB\xBF"))
        m_nCodePage = kUtf8CodePage;
    return true;
}

// Closes the file if it is open.
void CStdioFileEx::Close()
{
    if (m_file.isOpen())
        m_file.close();
}

// Whether a file is open.
bool CStdioFileEx::IsOpen() const
{
    return m_file.isOpen();
}

// Reads the next line as UTF-16 without its line end.
bool CStdioFileEx::ReadString(QString &line)
{
    line.clear();
    if (m_bAtStart && m_file.pos() == 0) {
        if (m_bUtf16)
            m_file.skip(2);
        else if (m_nCodePage == kUtf8CodePage)
            m_file.skip(3);
    }
    QByteArray bytes;
    if (!ReadRawLine(bytes))
        return false;
    if (m_bUtf16) {
        line.reserve(bytes.size() / 2);
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            line.append(QChar(qFromLittleEndian<quint16>(bytes.constData() + i)));
    } else {
        line = ToUtf16(bytes, m_nCodePage);
    }
    if (line.endsWith(u'\r'))
        line.chop(1);
    m_bAtStart = false;
    return true;
}

// Writes the text as UTF-16LE or UTF-8, with a mark at the start of the file.
void CStdioFileEx::WriteString(const QString &text)
{
    const bool utf16 = (m_nOpenFlags & typeUtf16) != 0;
    if (m_bWriteBom && (!m_file.isOpen() || m_file.pos() == 0)) {
        if (utf16)
            m_file.write("\xFF\xFE", 2);
        else if (m_nCodePage == kUtf8CodePage)
            m_file.write("\xEF\xBB\xBF", 3);
    }
    if (!utf16) {
        m_file.write(FromUtf16(text, m_nCodePage, m_chDefault));
        return;
    }
    QByteArray bytes(text.size() * 2, '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text[i].unicode(), bytes.data() + 2 * i);
    m_file.write(bytes);
}

// Moves to a byte offset and re-arms the byte-order-mark skip.
bool CStdioFileEx::Seek(qint64 offset)
{
    m_bAtStart = true;
    return m_file.seek(offset);
}

// The code page named by ORVA_RS_CODEPAGE, else Windows-1252.
int CStdioFileEx::SystemCodePage()
{
    bool ok = false;
    const int codePage = qEnvironmentVariableIntValue("ORVA_RS_CODEPAGE", &ok);
    return ok ? codePage : 1252;
}

// UTF-8 text to UTF-16; other bytes are taken as Latin-1 unless the code page is UTF-8.
QString CStdioFileEx::ToUtf16(QByteArrayView bytes, int codePage)
{
    QStringDecoder decoder(QStringConverter::Utf8);
    const QString text = decoder(bytes);
    if (!decoder.hasError())
        return text;
    if (codePage == kUtf8CodePage)
        return {};
    return QString::fromLatin1(bytes);
}

// UTF-16 text to UTF-8, or to Latin-1 with `defaultChar` for what Latin-1 lacks.
QByteArray CStdioFileEx::FromUtf16(QStringView text, int codePage, char defaultChar)
{
    if (codePage == kUtf8CodePage)
        return text.toUtf8();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text)
        bytes.append(c.unicode() <= 0xFF ? char(c.unicode()) : defaultChar);
    return bytes;
}

// Reads the raw bytes of one line up to and without its line feed.
bool CStdioFileEx::ReadRawLine(QByteArray &bytes)
{
    bytes.clear();
    if (m_file.atEnd())
        return false;
    if (!m_bUtf16) {
        bytes = m_file.readLine();
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        return true;
    }
    char unit[2];
    while (m_file.read(unit, 2) == 2) {
        if (unit[0] == '\n' && unit[1] == '\0')
            return true;
        bytes.append(unit, 2);
    }
    return true;
}
