#include "tools/SongListText.h"

#include <limits>

namespace {

// A bar would start another field and a line break another line when the list is
// read back; a bar becomes a slash and a line break a space.
QString ListField(QString text, bool *changed)
{
    for (QChar &c : text) {
        if (c == u'|')
            c = u'/';
        else if (c == u'\r' || c == u'\n')
            c = u' ';
        else
            continue;
        *changed = true;
    }
    return text;
}

// True when a "#" line sets exactly this language: the loader takes the first
// three characters after the '#' and any blanks.
bool LanguageLineFits(const QString &language)
{
    return language.size() == 3 && language.trimmed() == language && !language.contains(u'\n') &&
           !language.contains(u'\r');
}

} // namespace

void SongListText::Loss::Note(const QString &number)
{
    if (count++ == 0)
        first = number;
}

void SongListText::Append(const Packet::MultiDownloadData::Item &song)
{
    ++m_songs;
    if (song.language != m_language) {
        m_language = song.language;
        bool unused = false;
        m_text += u'#' + ListField(song.language, &unused) + u'\n';
    }
    if (!LanguageLineFits(song.language))
        m_lostLanguages.Note(song.number);
    bool ok = false;
    const quint64 number = song.number.toULongLong(&ok);
    if (!ok || number == 0 || number > quint64(std::numeric_limits<int>::max()))
        m_lostNumbers.Note(song.number);
    if (!song.extra.isEmpty())
        m_droppedExtras.Note(song.number);
    // The loader trims each line, so blanks that end the artist are lost.
    bool changed = !song.artist.isEmpty() && song.artist.back().isSpace();
    m_text += song.number + u'|' + ListField(song.title, &changed) + u'|' +
              ListField(song.artist, &changed) + u'\n';
    if (changed)
        m_changedTexts.Note(song.number);
}

QStringList SongListText::Notes() const
{
    QStringList notes;
    const auto note = [&](const Loss &loss, const char *what) {
        if (loss.count > 0)
            notes.append(QStringLiteral("%1 songs (the first: %2) %3")
                             .arg(loss.count)
                             .arg(loss.first, QString::fromLatin1(what)));
    };
    note(m_changedTexts,
         "have a bar or line break in a title or artist (written as '/' or ' '), or blanks "
         "that end an artist (dropped when read back)");
    note(m_droppedExtras, "have an extra text, which a text song list does not carry");
    note(m_lostNumbers, "have a number the server does not load from a text song list");
    note(m_lostLanguages, "have a language code other than three letters, which a '#' line "
                          "cannot set");
    return notes;
}
