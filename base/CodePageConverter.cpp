#include "base/CodePageConverter.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr int kUtf8 = 65001;
constexpr char16_t kReplacement = 0xFFFD;
// The Unicode default character the East Asian multi-byte code pages declare.
constexpr char16_t kMiddleDot = 0x30FB;

// Qt's UTF-8 decoder, which also tells when the input ended inside a
// sequence: it keeps such bytes for a next input that never comes. A U+FEFF
// inside the text is a character, not a mark to drop.
class Utf8Decoder : public QStringDecoder
{
public:
    Utf8Decoder() : QStringDecoder(Utf8, Flag::ConvertInitialBom) {}
    bool EndsInsideSequence() const { return state.remainingChars > 0; }
    // The bad sequences it put U+FFFD in for.
    qsizetype Replaced() const { return state.invalidChars; }
};

// Whether a code page is one of the East Asian multi-byte ones.
bool IsMultiByte(int codePage)
{
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 1361:
    case 20932:
    case 51932:
    case 51949:
    case 54936:
        return true;
    default:
        return false;
    }
}

// Whether `trail` may follow a lead byte in a double-byte code page; then a
// lead and trail that do not convert together are one character gone, not two.
bool IsTrailByte(int codePage, uchar trail)
{
    switch (codePage) {
    case 932:
        return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
    case 936:
        return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE);
    case 949:
        return (trail >= 0x41 && trail <= 0x5A) || (trail >= 0x61 && trail <= 0x7A) ||
               (trail >= 0x81 && trail <= 0xFE);
    case 950:
        return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE);
    default:
        return false;
    }
}

// UTF-16 in the host's byte order, so iconv can write straight into a QString.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char *kHostUtf16 = "UTF-16LE";
#else
constexpr const char *kHostUtf16 = "UTF-16BE";
#endif

// Runs iconv over the whole input into `out` (a QString or QByteArray used as
// raw storage), growing it as needed. `onInvalid` decides what an input
// sequence that does not convert does: return false to fail, or skip it.
template <typename Buffer, typename OnInvalid>
bool RunIconv(iconv_t handle, QByteArrayView input, Buffer &out, OnInvalid onInvalid)
{
    constexpr size_t unit = sizeof(*out.data());
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    // iconv's signature takes a non-const input pointer; it never writes through it.
    char *in = const_cast<char *>(input.data());
    size_t inLeft = size_t(input.size());
    size_t written = 0;
    bool flushing = false;
    out.resize(std::max<qsizetype>(out.size(), input.size() + 16));
    for (;;) {
        char *base = reinterpret_cast<char *>(out.data());
        char *cursor = base + written;
        size_t outLeft = size_t(out.size()) * unit - written;
        const size_t result = flushing ? iconv(handle, nullptr, nullptr, &cursor, &outLeft)
                                       : iconv(handle, &in, &inLeft, &cursor, &outLeft);
        written = size_t(cursor - base);
        if (result != size_t(-1)) {
            if (flushing)
                break;
            // Stateful encodings may still owe a closing shift sequence.
            flushing = true;
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2 + 16);
            continue;
        }
        if (flushing || !onInvalid(in, inLeft, out, written)) {
            out.resize(0);
            return false;
        }
    }
    out.resize(qsizetype(written / unit));
    return true;
}

} // namespace

CodePageConverter::CodePageConverter(int codePage, Direction direction)
{
    Reset(codePage, direction);
}

CodePageConverter::~CodePageConverter()
{
    Release();
}

// Opens the iconv descriptor for a code page and direction.
bool CodePageConverter::Reset(int codePage, Direction direction)
{
    Release();
    m_codePage = codePage;
    m_direction = direction;
    if (codePage == kUtf8)
        return true;
    const QByteArray name = IconvName(codePage);
    m_handle = direction == ToUtf16 ? iconv_open(kHostUtf16, name.constData())
                                    : iconv_open(name.constData(), kHostUtf16);
    return IsValid();
}

// Whether conversions can run (UTF-8 needs no iconv descriptor).
bool CodePageConverter::IsValid() const
{
    return m_codePage == kUtf8 || m_handle != iconv_t(-1);
}

// Decodes multibyte text into UTF-16, replacing what does not convert.
bool CodePageConverter::Decode(QByteArrayView bytes, QString &text, qsizetype *replaced)
{
    text.resize(0);
    if (!IsValid() || m_direction != ToUtf16)
        return false;
    if (bytes.isEmpty())
        return true;
    qsizetype count = 0;
    if (m_codePage == kUtf8) {
        Utf8Decoder decoder;
        text.resize(bytes.size());
        QChar *const begin = text.data();
        QChar *end = decoder.appendToBuffer(begin, bytes);
        count = decoder.Replaced();
        // A sequence cut off by the end is one bad character, as in the middle.
        if (decoder.EndsInsideSequence()) {
            *end++ = QChar(kReplacement);
            ++count;
        }
        text.resize(end - begin);
    } else {
        const int codePage = m_codePage;
        RunIconv(m_handle, bytes, text,
                 [codePage, &count](char *&in, size_t &inLeft, QString &out, size_t &written) {
                     const uchar lead = uchar(*in);
                     size_t skip = 1;
                     char16_t unit = lead >= 0x80 && lead <= 0x9F ? lead : u'?';
                     if (IsMultiByte(codePage)) {
                         unit = kMiddleDot;
                         // A trail byte that could not pair is read again as a
                         // character of its own: it may be a line's CR or '|'.
                         if (lead >= 0x81 && inLeft >= 2 && IsTrailByte(codePage, uchar(in[1])))
                             skip = 2;
                     }
                     in += skip;
                     inLeft -= skip;
                     if (written + sizeof unit > size_t(out.size()) * sizeof unit)
                         out.resize(out.size() * 2 + 16);
                     std::memcpy(reinterpret_cast<char *>(out.data()) + written, &unit,
                                 sizeof unit);
                     written += sizeof unit;
                     ++count;
                     return true;
                 });
    }
    if (replaced)
        *replaced += count;
    return true;
}

// Encodes UTF-16 text, putting the default character in for what the code page lacks.
bool CodePageConverter::Encode(QStringView text, QByteArray &bytes, char defaultChar)
{
    bytes.resize(0);
    if (!IsValid() || m_direction != FromUtf16)
        return false;
    if (text.isEmpty())
        return true;
    if (m_codePage == kUtf8) {
        QStringEncoder encoder(QStringEncoder::Utf8);
        bytes.resize(text.size() * 3);
        char *const begin = bytes.data();
        const char *end = encoder.appendToBuffer(begin, text);
        bytes.resize(end - begin);
        return true;
    }
    const QByteArrayView input(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return RunIconv(m_handle, input, bytes,
                    [defaultChar](char *&in, size_t &inLeft, QByteArray &out, size_t &written) {
                        // Skip one unit, or both units of a surrogate pair.
                        size_t skip = 2;
                        if (inLeft >= 4) {
                            char16_t pair[2];
                            std::memcpy(pair, in, sizeof pair);
                            if (QChar::isHighSurrogate(pair[0]) && QChar::isLowSurrogate(pair[1]))
                                skip = 4;
                        }
                        skip = std::min(skip, inLeft);
                        in += skip;
                        inLeft -= skip;
                        if (written >= size_t(out.size()))
                            out.resize(out.size() * 2 + 16);
                        out[qsizetype(written++)] = defaultChar;
                        return true;
                    });
}

// Maps a Windows code page number to the name iconv knows it by.
QByteArray CodePageConverter::IconvName(int codePage)
{
    switch (codePage) {
    case kUtf8:
        return "UTF-8";
    case 1200:
        return "UTF-16LE";
    case 1201:
        return "UTF-16BE";
    case 1252:
        return "WINDOWS-1252";
    case 20127:
        return "ASCII";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 20932:
    case 51932:
        return "EUC-JP";
    case 51949:
        return "EUC-KR";
    case 54936:
        return "GB18030";
    case 1361:
        return "JOHAB";
    case 10000:
        return "MACINTOSH";
    case 28603:
        return "ISO-8859-13";
    case 28605:
        return "ISO-8859-15";
    default:
        break;
    }
    if (codePage >= 28591 && codePage <= 28599)
        return "ISO-8859-" + QByteArray::number(codePage - 28590);
    // 437, 850, 866, 874, 932, 936, 949, 950 and 1250 to 1258 are known as CPnnn.
    return "CP" + QByteArray::number(codePage);
}

// Closes the iconv descriptor, if any.
void CodePageConverter::Release()
{
    if (m_handle != iconv_t(-1))
        iconv_close(m_handle);
    m_handle = iconv_t(-1);
}
