#pragma once

#include "protocol/Replies.h"

#include <QString>
#include <QStringList>

// Turns downloaded songs into a text song list the server loads back:
// "number|title|artist" lines, and a "#xxx" line wherever the language
// changes (the first song's too, unless it is "eng", the loader's default).
// What such a list cannot carry is counted, so the caller can say so.
class SongListText
{
public:
    void Append(const Packet::MultiDownloadData::Item &song);

    const QString &text() const { return m_text; }
    int songCount() const { return m_songs; }
    // One line for each kind of song the list does not carry exactly.
    QStringList Notes() const;

private:
    // Songs of one kind that the list changes or drops, and the first of them.
    struct Loss
    {
        int count = 0;
        QString first;
        void Note(const QString &number);
    };

    QString m_text;
    QString m_language = QStringLiteral("eng");
    int m_songs = 0;
    Loss m_changedTexts; // a bar or line break inside a title or artist
    Loss m_droppedExtras;
    Loss m_lostNumbers;   // 0 or beyond what the loader reads
    Loss m_lostLanguages; // not three characters a "#" line can set
};
