#include "queue/FavoriteStore.h"

#include "base/CStdioFileEx.h"
#include "base/DataPath.h"
#include "base/EventLog.h"
#include "base/NumberText.h"
#include "base/SaveFile.h"

#include <QFileInfo>
#include <QStringEncoder>
#include <algorithm>

// An empty store; all 5,000 list slots are allocated here, once, costing
// memory only as lists are written.
FavoriteStore::FavoriteStore(QString filePath)
    : m_filePath(std::move(filePath)), m_lists(kCapacity),
      m_rows({QStringLiteral("Favorite List"), QStringLiteral("Songs")})
{
}

FavoriteStore::~FavoriteStore() = default;

// List i, or an empty list outside the store.
const FavoriteList &FavoriteStore::list(int i) const
{
    static const FavoriteList kNone;
    if (i < 0 || i >= m_listCount)
        return kNone;
    return m_lists[size_t(i)];
}

// The explicit path, else "Favorite.txt" in the data folder.
QString FavoriteStore::filePath() const
{
    return m_filePath.isEmpty() ? DataPath(QStringLiteral("Favorite.txt")) : m_filePath;
}

// Reads the file line by line through the text reader and shows the lists.
void FavoriteStore::LoadFavoriteLists()
{
    const QString path = filePath();
    if (!QFileInfo::exists(path))
        return;
    CStdioFileEx file;
    if (file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText)) {
        QString line;
        while (m_listCount < kCapacity && file.ReadString(line))
            LoadLine(line);
        file.Close();
    }
    if (m_listCount == 0)
        return;
    m_rows.clear();
    for (int i = 0; i < m_listCount; ++i)
        m_rows.appendRow(
            {m_lists[size_t(i)].NameView().toString(), m_lists[size_t(i)].SongsText()});
}

// Writes the whole file through a temporary that replaces the old one only when complete.
void FavoriteStore::SaveFavoriteLists() const
{
    const QByteArray bytes = FileBytes();
    QString error;
    if (!SaveFile(filePath(), bytes, &error))
        DebugTrace("SaveFavoriteLists: %s not written: %s", qUtf8Printable(filePath()),
                   qUtf8Printable(error));
}

// One save for any number of replaced lists since the last.
void FavoriteStore::SaveIfDue()
{
    if (!m_saveDue)
        return;
    m_saveDue = false;
    ++m_saves;
    SaveFavoriteLists();
}

// The file's bytes: mark FF FE, then one UTF-16LE line per list ending in CR LF.
QByteArray FavoriteStore::FileBytes() const
{
    if (m_listCount == 0)
        return {};
    QString text;
    for (int i = 0; i < m_listCount; ++i) {
        const FavoriteList &list = m_lists[size_t(i)];
        text += list.NameView();
        text += u'|';
        text += list.SongsText();
        text += u"\r\n";
    }
    QStringEncoder toUtf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return toUtf16(text);
}

// Copies out the numbers of the first list with that name, or zeros.
bool FavoriteStore::FindFavoriteList(const QString &name, SongNumbers *numbers) const
{
    const int i = IndexOf(name);
    if (numbers)
        *numbers = i < 0 ? SongNumbers{} : m_lists[size_t(i)].songNumbers;
    return i >= 0;
}

// Adds an empty list behind the others, with its row.
bool FavoriteStore::CreateFavoriteList(const QString &name)
{
    // The dispatcher only creates below capacity; this guard protects the table.
    if (m_listCount >= kCapacity || name.size() > kMaxNameChars || IndexOf(name) >= 0)
        return false;
    FavoriteList &list = m_lists[size_t(m_listCount)];
    list = FavoriteList();
    list.SetName(name);
    ++m_listCount;
    m_rows.appendRow({name, QString()});
    return true;
}

// Writes the song into the list's first free place unless it is already there.
bool FavoriteStore::AddSongToFavoriteList(const QString &name, quint32 number)
{
    if (number == 0 || m_listCount == 0)
        return false;
    const int i = IndexOf(name);
    if (i < 0)
        return false;
    for (quint32 &slot : m_lists[size_t(i)].songNumbers) {
        if (slot == number)
            break;
        if (slot == 0) {
            slot = number;
            break;
        }
    }
    // A duplicate or a full list is still a success for the terminal.
    RefreshRow(i);
    return true;
}

// Finds the list with a logged comparison per list, overwrites it and marks the
// file for the next SaveIfDue.
bool FavoriteStore::ReplaceFavoriteList(const QString &name, const SongNumbers &numbers)
{
    if (m_listCount == 0)
        return false;
    int found = -1;
    for (int i = 0; i < m_listCount && found < 0; ++i) {
        const QStringView stored = m_lists[size_t(i)].NameView();
        // Case-sensitive QStringView comparison is unit by unit, unsigned 16-bit.
        const int result = qBound(-1, stored.compare(name), 1);
        WriteLog("(%s, %s) result %d.", qUtf8Printable(stored.toString()), qUtf8Printable(name),
                 result);
        if (result == 0)
            found = i;
    }
    if (found < 0)
        return false;
    m_lists[size_t(found)].songNumbers = numbers;
    RefreshRow(found);
    m_saveDue = true;
    return true;
}

// Closes the gap left by the list and empties the slot that fell free.
bool FavoriteStore::DeleteFavoriteList(const QString &name)
{
    if (m_listCount == 0)
        return false;
    const int i = IndexOf(name);
    if (i < 0)
        return false;
    std::copy(m_lists.data() + i + 1, m_lists.data() + m_listCount, m_lists.data() + i);
    --m_listCount;
    m_lists[size_t(m_listCount)] = FavoriteList();
    m_rows.removeRow(i);
    return true;
}

// Linear scan in store order, exact unit-by-unit comparison.
int FavoriteStore::IndexOf(QStringView name) const
{
    for (int i = 0; i < m_listCount; ++i)
        if (m_lists[size_t(i)].NameView() == name)
            return i;
    return -1;
}

// Name before the first bar; songs between the first and a second bar, split at commas.
void FavoriteStore::LoadLine(const QString &line)
{
    const QString text = line.trimmed();
    const qsizetype bar = text.indexOf(u'|');
    if (bar < 0)
        return;
    QStringView songs = QStringView(text).mid(bar + 1);
    const qsizetype secondBar = songs.indexOf(u'|');
    if (secondBar >= 0)
        songs = songs.left(secondBar);

    FavoriteList &list = m_lists[size_t(m_listCount)];
    list = FavoriteList();
    list.SetName(QStringView(text).left(bar));
    int count = 0;
    for (const QStringView piece : songs.tokenize(u',', Qt::SkipEmptyParts)) {
        if (count == kMaxSongs)
            break;
        // A piece that is no number is kept as 0, which ends the list from then on.
        list.songNumbers[count++] = quint32(ParseLeadingInt(piece.trimmed()));
    }
    ++m_listCount;
}

// Shows the list's current numbers.
void FavoriteStore::RefreshRow(int i)
{
    m_rows.setCell(i, SongsColumn, m_lists[size_t(i)].SongsText());
}
