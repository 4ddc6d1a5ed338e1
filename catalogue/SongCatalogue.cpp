#include "catalogue/SongCatalogue.h"

#include "base/CStdioFileEx.h"
#include "base/EventLog.h"
#include "base/NumberText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr int kLanguageUnits = 4;
constexpr int kKeyUnits = SongRecord::kTitleUnits;
constexpr int kPrefixUnits = 8; // units packed into a SortEntry
constexpr qint64 kReadRecords = 1024;
constexpr qint64 kReadBufferBytes = kReadRecords * SongRecord::kSize;
constexpr char16_t kDefaultLanguage[kLanguageUnits] = {u'e', u'n', u'g', 0};

struct FileHeader
{
    quint32 magic;
    quint32 timestamp;
};

// Reads up to `size` bytes; fewer only at the end of the file.
qint64 ReadFully(QFile &file, char *data, qint64 size)
{
    qint64 total = 0;
    while (total < size) {
        const qint64 got = file.read(data + total, size - total);
        if (got <= 0)
            break;
        total += got;
    }
    return total;
}

// Reads the 8-byte header of a .dat or .idx file; bytes missing from a short file read as zero.
FileHeader ReadHeader(QFile &file)
{
    char bytes[8] = {};
    ReadFully(file, bytes, sizeof bytes);
    return {qFromLittleEndian<quint32>(bytes), qFromLittleEndian<quint32>(bytes + 4)};
}

bool IsLetter(char16_t unit, char16_t lower)
{
    return unit == lower || unit == lower - 32;
}

// Writes the title key of `title` into `key` and returns its length.
qsizetype MakeTitleKey(const char16_t *title, qsizetype length, char16_t *key)
{
    qsizetype start = 0;
    if (length >= 2 && IsLetter(title[0], u'a') && title[1] == u' ')
        start = 2;
    else if (length >= 4 && IsLetter(title[0], u't') && IsLetter(title[1], u'h') &&
             IsLetter(title[2], u'e') && title[3] == u' ')
        start = 4;
    // Only ASCII is upper-cased: terminals order titles the same way.
    for (qsizetype i = start; i < length; ++i)
        key[i - start] = title[i] >= u'a' && title[i] <= u'z' ? title[i] - 32 : title[i];
    return length - start;
}

// The length of a fixed-width text: up to its first zero unit or its width.
int TextLength(const char16_t *text, int width)
{
    int length = 0;
    while (length < width && text[length] != 0)
        ++length;
    return length;
}

// Compares fixed-width texts unit by unit as unsigned values; a prefix sorts first.
int CompareText(const char16_t *a, const char16_t *b, int width)
{
    for (int i = 0; i < width; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
        if (a[i] == 0)
            return 0;
    }
    return 0;
}

} // namespace

SongCatalogue::SongCatalogue()
    : m_records(new SongRecord[kCapacity]), m_languages(new char16_t[4 * kCapacity]()),
      m_titleKeys(std::make_unique_for_overwrite<char16_t[]>(size_t(kKeyUnits) * kCapacity)),
      m_sortEntries(std::make_unique_for_overwrite<SortEntry[]>(kCapacity)),
      m_readBuffer(std::make_unique_for_overwrite<char[]>(kReadBufferBytes))
{
    for (auto &index : m_indexes) {
        index.reset(new const SongRecord *[kCapacity]);
        for (int i = 0; i < kCapacity; ++i)
            index[i] = &m_records[i];
    }
}

SongCatalogue::~SongCatalogue() = default;

// Empties the catalogue, then loads a .dat/.idx pair or a .txt song list and sorts it.
void SongCatalogue::LoadSongDatabase(const QString &path)
{
    Clear();
    if (path.isNull())
        return;
    QElapsedTimer timer;
    timer.start();

    const QString file = QFileInfo::exists(path) ? path : QStringLiteral("moxiinfo.dat");
    const QString extension = file.right(4).toLower();
    if (extension == u".dat") {
        if (!LoadRecordFile(file))
            return;
    } else if (extension == u".txt") {
        if (!LoadTextList(file))
            return;
    }
    SortIndexes();
    WriteLog("timestamp %x, loaded %d songs (%d).", quint32(m_timestamp), int(m_songCount),
             int(timer.elapsed()));
}

// The first song in load order with this number, or nullptr.
const SongRecord *SongCatalogue::FindSongByNumber(quint32 number) const
{
    // A plain scan in load order: numbers need not be unique and the first
    // song loaded wins; 200,000 records take well under a millisecond.
    for (quint32 i = 0; i < m_songCount; ++i)
        if (m_records[i].number == number)
            return &m_records[i];
    return nullptr;
}

const SongRecord &SongCatalogue::Record(int position) const
{
    return m_records[position];
}

QString SongCatalogue::Language(int position) const
{
    return SongRecord::FieldText(&m_languages[4 * position], 3);
}

const SongRecord *const *SongCatalogue::IndexFor(int sortMode) const
{
    if (sortMode < 0 || sortMode > 3)
        sortMode = ByNumber;
    return m_indexes[sortMode].get();
}

// The title with its article dropped and ASCII letters upper-cased.
QString SongCatalogue::TitleKey(QStringView title)
{
    QString key(title.size(), Qt::Uninitialized);
    const qsizetype length =
        MakeTitleKey(title.utf16(), title.size(), reinterpret_cast<char16_t *>(key.data()));
    key.resize(length);
    return key;
}

// Hundredths of a second since the start of the year, to the second.
quint32 SongCatalogue::YearTimestamp(const QDateTime &when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    if (!date.isValid() || !time.isValid())
        return 0;
    const quint32 day = quint32(date.dayOfYear() - 1);
    const quint32 seconds = ((day * 24 + quint32(time.hour())) * 60 + quint32(time.minute())) * 60 +
                            quint32(time.second());
    // At most 3,162,239,900 at the end of a leap year: fits 32 bits.
    return seconds * 100;
}

// Restores the empty catalogue: zero records and languages, identity indexes.
void SongCatalogue::Clear()
{
    // A load writes records and languages only below its song count, and sorting
    // permutes only those positions, so resetting them restores the empty state.
    const size_t used = m_songCount;
    std::fill_n(m_records.get(), used, SongRecord{});
    std::fill_n(m_languages.get(), used * kLanguageUnits, u'\0');
    for (auto &index : m_indexes)
        for (size_t i = 0; i < used; ++i)
            index[i] = &m_records[i];
    m_songCount = 0;
    m_timestamp = 0;
}

// Reads the records of a .dat file, then its .idx; false when the .dat is unusable.
bool SongCatalogue::LoadRecordFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        WriteLog("Failed to open [%s].", qUtf8Printable(path));
        return false;
    }
    const FileHeader header = ReadHeader(file);
    if (header.magic != kFileMagic) {
        // Operators know the catalogue by its default name, whatever path was given.
        WriteLog("Invalid id [%s] %X.", "moxiinfo.dat", header.magic);
        return false;
    }
    m_timestamp = header.timestamp;

    const uchar *const buffer = reinterpret_cast<const uchar *>(m_readBuffer.get());
    quint32 count = 0;
    // Records past a full catalogue could only be ignored, so reading stops there.
    while (count < quint32(kCapacity)) {
        const qint64 wanted = std::min<qint64>(kReadRecords, kCapacity - count) * SongRecord::kSize;
        const qint64 got = ReadFully(file, m_readBuffer.get(), wanted);
        // A short last record still counts; its missing bytes stay zero.
        for (qint64 offset = 0; offset < got; offset += SongRecord::kSize, ++count) {
            m_records[count] = SongRecord::Decode(
                buffer + offset, std::min<qint64>(SongRecord::kSize, got - offset));
            std::copy_n(kDefaultLanguage, kLanguageUnits, &m_languages[count * kLanguageUnits]);
        }
        if (got < wanted)
            break;
    }
    m_songCount = count;
    file.close();
    LoadLanguageFile(path.chopped(4) + QStringLiteral(".idx"));
    return true;
}

// Takes the languages from a .idx file whose magic and timestamp match the .dat.
void SongCatalogue::LoadLanguageFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        WriteLog("Failed to open [%s].", qUtf8Printable(path));
        return;
    }
    const FileHeader header = ReadHeader(file);
    WriteLog("Open moxiinfo.idx [%x = %x].", quint32(m_timestamp), header.timestamp);
    if (header.magic != kFileMagic || header.timestamp != m_timestamp)
        return;
    // Entries past the last song would never be read, so they are not stored.
    const qint64 wanted = qint64(m_songCount) * kLanguageUnits * 2;
    qint64 done = 0;
    while (done < wanted) {
        const qint64 chunk = std::min(kReadBufferBytes, wanted - done);
        const qint64 got = ReadFully(file, m_readBuffer.get(), chunk);
        for (qint64 i = 0; i + 1 < got; i += 2)
            m_languages[(done + i) / 2] = qFromLittleEndian<quint16>(m_readBuffer.get() + i);
        done += got;
        if (got < chunk)
            break;
    }
}

// Reads a text song list line by line; false when it cannot be opened.
bool SongCatalogue::LoadTextList(const QString &path)
{
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText)) {
        WriteLog("Failed to open [%s].", qUtf8Printable(path));
        return false;
    }
    const quint32 timestamp = YearTimestamp(QDateTime::currentDateTime());
    char16_t language[kLanguageUnits] = {u'e', u'n', u'g', 0};
    QString line;
    // Lines past a full catalogue could only be ignored, so reading stops there.
    while (m_songCount < quint32(kCapacity) && file.ReadString(line)) {
        QStringView text = QStringView(line).trimmed();
        if (text.startsWith(u'#')) {
            text = text.sliced(1);
            while (!text.isEmpty() && text.front().isSpace())
                text = text.sliced(1);
            if (text.size() >= 3)
                std::copy_n(text.utf16(), 3, language);
        }
        AddTextSong(text, language);
    }
    m_timestamp = timestamp;
    return true;
}

// Adds the song of a "number|title|artist" line; other lines and number 0 add nothing.
void SongCatalogue::AddTextSong(QStringView line, const char16_t *language)
{
    const qsizetype firstBar = line.indexOf(u'|');
    if (firstBar < 0)
        return;
    // Number 0 marks no song: the line is dropped before it touches the tables.
    const quint32 number = quint32(ParseLeadingInt(line.first(firstBar)));
    if (number == 0)
        return;
    const QStringView rest = line.sliced(firstBar + 1);
    const qsizetype secondBar = rest.indexOf(u'|');
    const QStringView title = secondBar < 0 ? rest : rest.first(secondBar);
    QStringView artist = secondBar < 0 ? QStringView() : rest.sliced(secondBar + 1);
    const qsizetype thirdBar = artist.indexOf(u'|');
    if (thirdBar >= 0)
        artist = artist.first(thirdBar);

    // The slot past the last song is all zero (Clear), so only the texts need copying.
    SongRecord &record = m_records[m_songCount];
    record.number = number;
    std::copy_n(title.utf16(), std::min<qsizetype>(title.size(), SongRecord::kTitleUnits),
                record.title);
    std::copy_n(artist.utf16(), std::min<qsizetype>(artist.size(), SongRecord::kArtistUnits),
                record.artist);
    std::copy_n(language, kLanguageUnits, &m_languages[size_t(m_songCount) * kLanguageUnits]);
    ++m_songCount;
}

// Sorts the four indexes over the loaded songs.
void SongCatalogue::SortIndexes()
{
    if (m_songCount < 2)
        return;
    SortIndex(ByNumber, 0, [](quint32) -> const char16_t * { return nullptr; });
    for (quint32 i = 0; i < m_songCount; ++i) {
        char16_t *key = &m_titleKeys[size_t(i) * kKeyUnits];
        const char16_t *title = m_records[i].title;
        const qsizetype length =
            MakeTitleKey(title, TextLength(title, SongRecord::kTitleUnits), key);
        std::fill(key + length, key + kKeyUnits, u'\0');
    }
    SortIndex(ByTitle, kKeyUnits, [this](quint32 i) -> const char16_t * {
        return &m_titleKeys[size_t(i) * kKeyUnits];
    });
    SortIndex(ByArtist, SongRecord::kArtistUnits,
              [this](quint32 i) -> const char16_t * { return m_records[i].artist; });
    SortIndex(ByExtra, SongRecord::kExtraUnits,
              [this](quint32 i) -> const char16_t * { return m_records[i].extra; });
}

// Sorts one index: by number when `width` is 0, else by the text `textOf` gives
// for a load position (`width` units, ending at its first zero unit).
template <typename TextOf> void SongCatalogue::SortIndex(int sortMode, int width, TextOf textOf)
{
    SortEntry *const entries = m_sortEntries.get();
    const quint32 count = m_songCount;
    // Comparing packed prefixes keeps most comparisons inside the entry array;
    // only texts that agree in their first eight units look at the records.
    for (quint32 i = 0; i < count; ++i) {
        if (width == 0) {
            entries[i] = {m_records[i].number, 0, i};
            continue;
        }
        const char16_t *text = textOf(i);
        quint64 packed[2] = {0, 0};
        for (int unit = 0; unit < kPrefixUnits && text[unit] != 0; ++unit)
            packed[unit / 4] |= quint64(text[unit]) << (48 - 16 * (unit % 4));
        entries[i] = {packed[0], packed[1], i};
    }
    std::sort(entries, entries + count, [](const SortEntry &a, const SortEntry &b) {
        return a.head != b.head ? a.head < b.head : a.next < b.next;
    });
    // Runs of equal prefixes are ordered by the rest of their texts, then by load
    // position (which FindSongByNumber relies on). Sorting each run on its own
    // reads each text about once, not once per comparison.
    const auto byRest = [&](const SortEntry &a, const SortEntry &b) {
        if (width > kPrefixUnits && (a.next & 0xFFFF) != 0) {
            const int order = CompareText(textOf(a.position) + kPrefixUnits,
                                          textOf(b.position) + kPrefixUnits, width - kPrefixUnits);
            if (order != 0)
                return order < 0;
        }
        return a.position < b.position;
    };
    for (quint32 begin = 0; begin < count;) {
        quint32 end = begin + 1;
        while (end < count && entries[end].head == entries[begin].head &&
               entries[end].next == entries[begin].next)
            ++end;
        if (end - begin > 1)
            std::sort(entries + begin, entries + end, byRest);
        begin = end;
    }
    const SongRecord **index = m_indexes[sortMode].get();
    for (quint32 i = 0; i < count; ++i)
        index[i] = &m_records[entries[i].position];
}
