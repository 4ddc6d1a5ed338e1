#pragma once

#include "base/RowTable.h"
#include "base/ZeroFilledTable.h"
#include "queue/FavoriteList.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>

// The favourite lists shared by all terminals: up to 5,000 named lists in the
// order created or loaded, kept in the text file "Favorite.txt" and mirrored
// row for row in the favourite view's rows. Names are compared exactly, unit by
// unit; when two lists share a name, every lookup finds the first.
class FavoriteStore
{
public:
    static constexpr int kCapacity = 5000;
    static constexpr int kMaxSongs = FavoriteList::kMaxSongs;
    static constexpr int kMaxNameChars = FavoriteList::kNameUnits - 1;
    using SongNumbers = std::array<quint32, kMaxSongs>;

    // The favourite view's columns, in order.
    enum Column
    {
        NameColumn,
        SongsColumn,
        ColumnCount
    };

    // Keeps the lists in `filePath`; an empty path stands for
    // DataPath("Favorite.txt"), looked up at each load and save.
    explicit FavoriteStore(QString filePath = QString());
    ~FavoriteStore();
    FavoriteStore(const FavoriteStore &) = delete;
    FavoriteStore &operator=(const FavoriteStore &) = delete;

    // --- State ---
    int listCount() const { return m_listCount; }
    // List i (0..listCount-1); any other i gives an empty list.
    const FavoriteList &list(int i) const;
    // The favourite view's rows ("Favorite List", "Songs"); row i shows list i.
    RowTable &rows() { return m_rows; }
    const RowTable &rows() const { return m_rows; }
    // The file the lists are loaded from and saved to.
    QString filePath() const;

    // --- File ---
    // Adds the lists of the file (any encoding the text reader accepts) behind
    // those held. A missing or unreadable file adds nothing. Lists beyond
    // 5,000, songs beyond 128 on a line and name characters beyond 39 are ignored.
    void LoadFavoriteLists();
    // Replaces the file with all lists, atomically: a failed save leaves the
    // old file whole and is not reported.
    void SaveFavoriteLists() const;
    // Saves the lists if a replace asked for it since the last save. Called
    // once a batch of requests is handled, before any of its replies leaves.
    void SaveIfDue();
    bool saveDue() const { return m_saveDue; }
    // Saves made by SaveIfDue so far.
    qint64 saves() const { return m_saves; }
    // The whole file as SaveFavoriteLists writes it: UTF-16LE lines
    // "name|numbers" + CR LF after the mark FF FE; no lists give no bytes.
    QByteArray FileBytes() const;

    // --- Operations ---
    // The first list named `name`: true with its 128 numbers, else false with
    // 128 zeros. `numbers` may be null.
    bool FindFavoriteList(const QString &name, SongNumbers *numbers) const;
    // Adds an empty list. False for a name in use, a name over 39 characters
    // or a full store.
    bool CreateFavoriteList(const QString &name);
    // Appends a song to the named list. True also when the song is already in
    // it or the list is full (nothing changes then); false for number 0 or an
    // unknown name.
    bool AddSongToFavoriteList(const QString &name, quint32 number);
    // Overwrites all 128 numbers of the named list; the file is saved at the
    // next SaveIfDue. Logs each name comparison made on the way. False
    // (nothing changes) for an unknown name.
    bool ReplaceFavoriteList(const QString &name, const SongNumbers &numbers);
    // Removes the named list and its row, keeping the order of the others; the
    // file is not written (the next save carries the change). False for an unknown name.
    bool DeleteFavoriteList(const QString &name);

private:
    // Index of the first list named `name`, or -1.
    int IndexOf(QStringView name) const;
    // Stores one "name|numbers" line as a new list; lines without bar are skipped.
    void LoadLine(const QString &line);
    // Rewrites the "Songs" cell of row i.
    void RefreshRow(int i);

    QString m_filePath;
    ZeroFilledTable<FavoriteList> m_lists;
    int m_listCount = 0;
    RowTable m_rows;
    bool m_saveDue = false;
    qint64 m_saves = 0;
};
