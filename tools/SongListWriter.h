#pragma once

#include "tools/CatalogueSong.h"

#include <QList>
#include <QString>

// Writes catalogue files: a .dat record file with its .idx language file, or a
// text song list. Files are written under a temporary name and renamed when
// complete, so a failure never leaves a half-written file behind.
class SongListWriter
{
public:
    enum class Encoding
    {
        Utf8WithMark,
        Utf8,
        Utf16Le,
        Ansi
    };

    // Writes `datPath` and its language file, both stamped with `timestamp`.
    // Returns what went wrong, or an empty string.
    static QString WriteRecordFiles(const QString &datPath, const QList<CatalogueSong> &songs,
                                    quint32 timestamp);
    // Writes "number|title|artist" lines with a "#xxx" line wherever the
    // language changes, lines ending in CR LF. Returns what went wrong, or empty.
    static QString WriteTextList(const QString &path, const QList<CatalogueSong> &songs,
                                 Encoding encoding);
    // The language file that belongs to a .dat path: its last four characters
    // replaced by ".idx".
    static QString LanguageFilePath(const QString &datPath);
};
