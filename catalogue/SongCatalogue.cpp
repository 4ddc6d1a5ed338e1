#include "catalogue/SongCatalogue.h"

#include "base/CStdioFileEx.h"
#include "base/EventLog.h"
#include "base/NumberText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <future>
#include <vector>

// The record and language files are read straight into the tables: their
// layout is the in-memory layout of a little-endian machine.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "catalogue files are read as they lie in memory");

namespace {

constexpr int kPrefixUnits = 6; // key units packed into a SortEntry
constexpr quint32 kPrefetchAhead = 12;
// Below this a second reading thread costs more than it saves.
constexpr qint64 kParallelReadBytes = qint64(1) << 20;

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

// A language code's four units as one integer, to look it up by.
quint64 PackedLanguage(const char16_t *units)
{
    return quint64(units[0]) | quint64(units[1]) << 16 | quint64(units[2]) << 32 |
           quint64(units[3]) << 48;
}

bool IsLetter(char16_t unit, char16_t lower)
{
    return unit == lower || unit == lower - 32;
}

// How many leading units the title key drops: "A " or "The " in any case.
int ArticleLength(const char16_t *title)
{
    if (IsLetter(title[0], u'a') && title[1] == u' ')
        return 2;
    if (IsLetter(title[0], u't') && IsLetter(title[1], u'h') && IsLetter(title[2], u'e') &&
        title[3] == u' ')
        return 4;
    return 0;
}

// Only ASCII is upper-cased: terminals order titles the same way.
char16_t FoldCase(char16_t unit)
{
    return unit >= u'a' && unit <= u'z' ? unit - 32 : unit;
}

// The text a sort order compares, without copying: a field from some offset,
// its width, and whether letters are folded (title order).
struct SortKey
{
    const char16_t *text;
    int width;
    bool fold;

    char16_t at(int i) const { return i < width ? (fold ? FoldCase(text[i]) : text[i]) : 0; }
};

SortKey KeyOf(const SongRecord &song, int sortMode)
{
    switch (sortMode) {
    case SongCatalogue::ByTitle: {
        const int skip = ArticleLength(song.title);
        return {song.title + skip, SongRecord::kTitleUnits - skip, true};
    }
    case SongCatalogue::ByArtist:
        return {song.artist, SongRecord::kArtistUnits, false};
    default:
        return {song.extra, SongRecord::kExtraUnits, false};
    }
}

} // namespace

SongCatalogue::SongCatalogue()
{
    ResetLanguages();
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
    // Numbers need not be unique and the first song loaded wins. The number
    // index keeps equal numbers in load order, so the lowest match in it is
    // that song: a binary search instead of a scan of every record, since
    // each reservation looks its song up.
    int low = 0;
    int high = int(m_songCount);
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (m_records[size_t(SongAt(ByNumber, middle))].number < number)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == int(m_songCount))
        return nullptr;
    const SongRecord &found = m_records[size_t(SongAt(ByNumber, low))];
    return found.number == number ? &found : nullptr;
}

const SongRecord &SongCatalogue::Record(int position) const
{
    return m_records[size_t(position)];
}

QString SongCatalogue::Language(int position) const
{
    if (position < 0 || quint32(position) >= m_songCount)
        return {};
    return m_languageNames[m_languageIds[size_t(position)]];
}

int SongCatalogue::SongAt(int sortMode, int rank) const
{
    if (sortMode < 0 || sortMode > 3)
        sortMode = ByNumber;
    const quint8 *const bytes = m_indexes[sortMode][size_t(rank)].bytes;
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16;
}

// The title with its article dropped and ASCII letters upper-cased.
QString SongCatalogue::TitleKey(QStringView title)
{
    qsizetype skip = 0;
    if (title.size() >= 2 && IsLetter(title[0].unicode(), u'a') && title[1] == u' ')
        skip = 2;
    else if (title.size() >= 4 && IsLetter(title[0].unicode(), u't') &&
             IsLetter(title[1].unicode(), u'h') && IsLetter(title[2].unicode(), u'e') &&
             title[3] == u' ')
        skip = 4;
    QString key = title.sliced(skip).toString();
    for (QChar &unit : key)
        unit = QChar(FoldCase(unit.unicode()));
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

// Restores the empty catalogue: everything a load wrote goes back to zero.
void SongCatalogue::Clear()
{
    m_records.Clear(m_songCount);
    m_languageIds.Clear(m_songCount);
    ResetLanguages();
    for (auto &index : m_indexes)
        index.Clear(m_songCount);
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
    // Records past a full catalogue could only be ignored, so reading stops
    // there. A short last record still counts; its missing bytes stay zero.
    const qint64 bytes =
        std::clamp(file.size() - 8, qint64(0), qint64(kCapacity) * SongRecord::kSize);
    m_records.UseLargePages(size_t((bytes + SongRecord::kSize - 1) / SongRecord::kSize));
    const qint64 got = ReadRecords(file, path, bytes);
    m_songCount = quint32((got + SongRecord::kSize - 1) / SongRecord::kSize);
    file.close();
    // Every song's language id is already 0, "eng", until the .idx says otherwise.
    LoadLanguageFile(path.chopped(4) + QStringLiteral(".idx"));
    return true;
}

// Reads `bytes` of records from `file`, just past its header, into the record
// table; returns the bytes read. Most of the time goes into the system handing
// out fresh zeroed pages, so a large file is read in two halves on two
// threads, the second through its own handle on `path`.
qint64 SongCatalogue::ReadRecords(QFile &file, const QString &path, qint64 bytes)
{
    char *const data = reinterpret_cast<char *>(m_records.data());
    if (bytes < kParallelReadBytes)
        return ReadFully(file, data, bytes);
    const qint64 half = bytes / 2 / SongRecord::kSize * SongRecord::kSize;
    auto second = std::async(std::launch::async, [&path, data, half, bytes] {
        QFile tail(path);
        if (!tail.open(QIODevice::ReadOnly) || !tail.seek(8 + half))
            return qint64(0);
        return ReadFully(tail, data + half, bytes - half);
    });
    const qint64 first = ReadFully(file, data, half);
    const qint64 rest = second.get();
    // A first half cut short (the file shrank meanwhile) ends the records there.
    return first < half ? first : half + rest;
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
    // Entries past the last song would never be read, so they are not stored;
    // a unit cut short at the end of the file is left out, and the units an
    // entry cut short lacks stay those of "eng".
    const qint64 wanted = std::min(qint64(m_songCount) * qint64(sizeof(LanguageCode)),
                                   (file.size() - 8) & ~qint64(1));
    constexpr int kChunk = 4096; // entries read at a time
    std::vector<char> bytes(kChunk * sizeof(LanguageCode));
    LanguageCode previous = kDefaultLanguage;
    quint16 previousId = 0;
    for (qint64 done = 0; done < wanted;) {
        const qint64 got =
            ReadFully(file, bytes.data(), std::min<qint64>(bytes.size(), wanted - done));
        if (got <= 0)
            break;
        for (qint64 at = 0; at < got; at += qint64(sizeof(LanguageCode))) {
            LanguageCode code = kDefaultLanguage;
            std::memcpy(code.units, bytes.data() + at,
                        size_t(std::min<qint64>(sizeof code, got - at)));
            // Neighbouring songs mostly share a language: no lookup then.
            if (std::memcmp(&code, &previous, sizeof code) != 0) {
                previous = code;
                previousId = LanguageId(code);
            }
            m_languageIds[size_t((done + at) / qint64(sizeof(LanguageCode)))] = previousId;
        }
        done += got;
    }
}

void SongCatalogue::ResetLanguages()
{
    m_languageNames = {SongRecord::FieldText(kDefaultLanguage.units, 3)};
    m_languageIdOf.clear();
    m_languagesFull = false;
    m_languageIdOf.insert(PackedLanguage(kDefaultLanguage.units), 0);
}

quint16 SongCatalogue::LanguageId(const LanguageCode &code)
{
    const quint64 key = PackedLanguage(code.units);
    if (const auto found = m_languageIdOf.constFind(key); found != m_languageIdOf.cend())
        return found.value();
    if (m_languageNames.size() >= kMaxLanguages) {
        // Only a damaged or hostile file names so many; its songs stay readable.
        if (!m_languagesFull)
            WriteLog("More than %d languages: the others read as eng.", kMaxLanguages);
        m_languagesFull = true;
        return 0;
    }
    const quint16 id = quint16(m_languageNames.size());
    m_languageNames.append(SongRecord::FieldText(code.units, 3));
    m_languageIdOf.insert(key, id);
    return id;
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
    // A song line takes at least four bytes; large pages only where a big list
    // is sure to reach, so a small one never takes a whole large page.
    m_records.UseLargePages(size_t(QFileInfo(path).size() / 4), 1);
    quint16 languageId = 0; // "eng" until a "#" line names another
    QString line;
    // Lines past a full catalogue could only be ignored, so reading stops there.
    while (m_songCount < quint32(kCapacity) && file.ReadString(line)) {
        QStringView text = QStringView(line).trimmed();
        if (text.startsWith(u'#')) {
            text = text.sliced(1);
            while (!text.isEmpty() && text.front().isSpace())
                text = text.sliced(1);
            if (text.size() >= 3) {
                LanguageCode language = {};
                std::copy_n(text.utf16(), 3, language.units);
                languageId = LanguageId(language);
            }
        }
        AddTextSong(text, languageId);
    }
    m_timestamp = timestamp;
    return true;
}

// Adds the song of a "number|title|artist" line; other lines and number 0 add nothing.
void SongCatalogue::AddTextSong(QStringView line, quint16 languageId)
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
    m_languageIds[m_songCount] = languageId;
    ++m_songCount;
}

// Sorts the four indexes over the loaded songs. The orders are independent,
// so two run at once; both finish before the load returns.
void SongCatalogue::SortIndexes()
{
    if (m_songCount < 2)
        return; // zero-filled indexes already list song 0 first
    // Titles and numbers on one thread, artists and extras on the other: about
    // the same work each.
    // Each thread gives its scratch table back as soon as it is done, so the
    // memory of the two is held together only while both are sorting.
    auto titles = std::async(std::launch::async, [this] {
        SortIndex(ByTitle, m_scratch[1]);
        SortIndex(ByNumber, m_scratch[1]);
        m_scratch[1].Clear(m_songCount);
    });
    SortIndex(ByArtist, m_scratch[0]);
    SortIndex(ByExtra, m_scratch[0]);
    m_scratch[0].Clear(m_songCount);
    titles.wait();
}

// Sorts one index: entries carry six key units packed so that integer
// comparison orders them; runs that agree in those units and go on past them
// are packed again from the next six units and sorted again, until keys
// differ or end. Equal keys keep load order. Each record is read once per
// level of refinement, never once per comparison.
void SongCatalogue::SortIndex(int sortMode, ZeroFilledTable<SortEntry> &scratch)
{
    SortEntry *const entries = scratch.data();
    const quint32 count = m_songCount;
    scratch.UseLargePages(count);
    const auto pack = [&](SortEntry &entry, int from) {
        const quint32 position = entry.position();
        const SortKey key = KeyOf(m_records[position], sortMode);
        quint64 head = 0;
        quint64 next = 0;
        for (int unit = 0; unit < kPrefixUnits; ++unit) {
            const char16_t c = key.at(from + unit);
            if (c == 0)
                break;
            if (unit < 4)
                head |= quint64(c) << (48 - 16 * unit);
            else
                next |= quint64(c) << (16 - 16 * (unit - 4));
        }
        entry = {head, next << 32 | position};
    };
    const auto less = [](const SortEntry &a, const SortEntry &b) {
        return a.head < b.head || (a.head == b.head && a.tail < b.tail);
    };
    for (quint32 i = 0; i < count; ++i) {
        if (sortMode == ByNumber) {
            entries[i] = {m_records[i].number, i};
        } else {
            entries[i].tail = i;
            pack(entries[i], 0);
        }
    }
    std::sort(entries, entries + count, less);

    // Runs still to refine: [begin, end) agreeing in the units before `from`.
    struct Run
    {
        quint32 begin, end;
        int from;
    };
    std::vector<Run> runs;
    const auto findRuns = [&](quint32 begin, quint32 end, int from) {
        for (quint32 first = begin; first < end;) {
            quint32 last = first + 1;
            while (last < end && entries[last].head == entries[first].head &&
                   entries[last].next() == entries[first].next())
                ++last;
            // A sixth unit of zero means the keys ended: load order stands.
            if (last - first > 1 && (entries[first].next() & 0xFFFF) != 0 &&
                from + kPrefixUnits < SongRecord::kTitleUnits)
                runs.push_back({first, last, from + kPrefixUnits});
            first = last;
        }
    };
    if (sortMode != ByNumber)
        findRuns(0, count, 0);
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        for (quint32 i = run.begin; i < run.end; ++i) {
            // Entries of a run lie in key order, their records anywhere: ask
            // for a record a few entries ahead so its cache miss overlaps.
            if (i + kPrefetchAhead < run.end)
                __builtin_prefetch(&m_records[entries[i + kPrefetchAhead].position()]);
            pack(entries[i], run.from);
        }
        std::sort(entries + run.begin, entries + run.end, less);
        findRuns(run.begin, run.end, run.from);
    }

    IndexEntry *const index = m_indexes[sortMode].data();
    for (quint32 i = 0; i < count; ++i) {
        const quint32 position = entries[i].position();
        index[i] = {{quint8(position), quint8(position >> 8), quint8(position >> 16)}};
    }
}
