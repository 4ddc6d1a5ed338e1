#include "tools/SongListWriter.h"

#include "base/CStdioFileEx.h"
#include "catalogue/SongCatalogue.h"
#include "catalogue/SongRecord.h"

#include <QSaveFile>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr int kLanguageUnits = 4;

// Copies text into a fixed-width field, cut to its width; the rest stays zero.
void FillField(char16_t *field, int width, const QString &text)
{
    std::copy_n(text.utf16(), std::min<qsizetype>(text.size(), width), field);
}

// Opens a save file and writes all bytes; the reason when it could not.
QString Stage(QSaveFile &file, const QByteArray &bytes)
{
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
    if (file.write(bytes) != bytes.size())
        return QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
    return {};
}

// The 8-byte header shared by .dat and .idx files.
QByteArray FileHeader(quint32 timestamp)
{
    QByteArray header(8, '\0');
    qToLittleEndian<quint32>(SongCatalogue::kFileMagic, header.data());
    qToLittleEndian<quint32>(timestamp, header.data() + 4);
    return header;
}

} // namespace

// Writes a .dat and its .idx; the .idx is committed first, so a failure half way
// leaves a .dat whose language file does not match rather than a broken .dat.
QString SongListWriter::WriteRecordFiles(const QString &datPath, const QList<CatalogueSong> &songs,
                                         quint32 timestamp)
{
    QByteArray records = FileHeader(timestamp);
    QByteArray languages = FileHeader(timestamp);
    records.resize(8 + songs.size() * SongRecord::kSize);
    languages.resize(8 + songs.size() * kLanguageUnits * 2);
    for (qsizetype i = 0; i < songs.size(); ++i) {
        const CatalogueSong &song = songs[i];
        SongRecord record;
        record.number = song.number;
        FillField(record.title, SongRecord::kTitleUnits, song.title);
        FillField(record.artist, SongRecord::kArtistUnits, song.artist);
        FillField(record.extra, SongRecord::kExtraUnits, song.extra);
        record.Encode(reinterpret_cast<uchar *>(records.data()) + 8 + i * SongRecord::kSize);

        char16_t language[kLanguageUnits] = {};
        FillField(language, 3, song.language);
        qToLittleEndian<quint16>(language, kLanguageUnits,
                                 languages.data() + 8 + i * kLanguageUnits * 2);
    }

    QSaveFile datFile(datPath);
    QSaveFile idxFile(LanguageFilePath(datPath));
    QString error = Stage(datFile, records);
    if (error.isEmpty())
        error = Stage(idxFile, languages);
    if (error.isEmpty() && !idxFile.commit())
        error =
            QStringLiteral("cannot write %1: %2").arg(idxFile.fileName(), idxFile.errorString());
    if (error.isEmpty() && !datFile.commit())
        error =
            QStringLiteral("cannot write %1: %2").arg(datFile.fileName(), datFile.errorString());
    return error;
}

// Writes a text song list in the chosen encoding.
QString SongListWriter::WriteTextList(const QString &path, const QList<CatalogueSong> &songs,
                                      Encoding encoding)
{
    QString text;
    QString language;
    for (const CatalogueSong &song : songs) {
        // A bar or line break inside a text, or number 0, would read back as another song.
        const QString fields = song.title + song.artist;
        if (song.number == 0 || fields.contains(u'|') || fields.contains(u'\n') ||
            fields.contains(u'\r'))
            return QStringLiteral("song %1 cannot be written to a text song list").arg(song.number);
        if (song.language != language) {
            language = song.language;
            text += u'#' + language + QStringLiteral("\r\n");
        }
        text += QString::number(song.number) + u'|' + song.title + u'|' + song.artist +
                QStringLiteral("\r\n");
    }

    QByteArray bytes;
    switch (encoding) {
    case Encoding::Utf8WithMark:
        bytes = "\xEF\xBB\xBF" + text.toUtf8();
        break;
    case Encoding::Utf8:
        bytes = text.toUtf8();
        break;
    case Encoding::Utf16Le:
        bytes.resize(2 + text.size() * 2);
        bytes[0] = char(0xFF);
        bytes[1] = char(0xFE);
        qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data() + 2);
        break;
    case Encoding::Ansi:
        bytes = CStdioFileEx::FromUtf16(text, CStdioFileEx::kAnsiCodePage, '#');
        break;
    }

    QSaveFile file(path);
    const QString error = Stage(file, bytes);
    if (!error.isEmpty())
        return error;
    if (!file.commit())
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return {};
}

QString SongListWriter::LanguageFilePath(const QString &datPath)
{
    return datPath.chopped(4) + QStringLiteral(".idx");
}
