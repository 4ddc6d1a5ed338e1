// orva-catalogue: makes, shows and generates song catalogue files.
//   orva-catalogue make LIST.txt OUT.dat
//   orva-catalogue dump FILE.dat|FILE.txt [--order number|title|artist|extra]
//   orva-catalogue generate N OUT.txt|OUT.dat [--encoding utf8-bom|utf8|utf16|ansi]

#include "base/CStdioFileEx.h"
#include "base/EventLog.h"
#include "base/RowTable.h"
#include "catalogue/SongCatalogue.h"
#include "tools/SongGenerator.h"
#include "tools/SongListWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstdio>
#include <memory>

namespace {

// Generated record files carry a fixed timestamp so that equal input gives equal bytes.
constexpr quint32 kGeneratedTimestamp = 0x5EED0001;

const char kUsage[] =
    "usage: orva-catalogue make LIST.txt OUT.dat\n"
    "       orva-catalogue dump FILE.dat|FILE.txt [--order number|title|artist|extra]\n"
    "       orva-catalogue generate N OUT.txt|OUT.dat [--encoding utf8-bom|utf8|utf16|ansi]\n"
    "       orva-catalogue --help | --version\n";

void PrintTo(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// Prints a one-line error and gives the failing exit code.
int Fail(const QString &message)
{
    PrintTo(stderr, QStringLiteral("orva-catalogue: %1\n").arg(message));
    return 1;
}

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

QString Extension(const QString &path)
{
    return path.right(4).toLower();
}

// Why the bytes of a text song list cannot be read as the server reads them, or empty.
QString CheckTextEncoding(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    const QByteArray bytes = file.readAll();
    QByteArrayView body = bytes;
    if (body.startsWith("\xFF\xFE"))
        return {};
    if (body.startsWith("\xFE\xFF"))
        return QStringLiteral("%1: big-endian UTF-16 cannot be read; save it as UTF-16LE or "
                              "UTF-8")
            .arg(path);
    const bool utf8Mark = body.startsWith("\xEF\xBB\xBF");
    if (utf8Mark)
        body = body.sliced(3);
    if (body.contains('\0'))
        return QStringLiteral("%1: holds zero bytes; UTF-16 text needs its byte-order mark FF FE")
            .arg(path);
    if (body.isValidUtf8())
        return {};
    if (utf8Mark)
        return QStringLiteral("%1: marked as UTF-8 but is not valid UTF-8").arg(path);
    // The server would read the file with stand-ins for such bytes; a
    // catalogue is made only from text that converts whole.
    qsizetype replaced = 0;
    if (CStdioFileEx::ToUtf16(body, CStdioFileEx::kAnsiCodePage, &replaced).isEmpty() ||
        replaced > 0)
        return QStringLiteral("%1: neither UTF-8 nor text in code page %2 (set ORVA_RS_CODEPAGE)")
            .arg(path)
            .arg(CStdioFileEx::SystemCodePage());
    return {};
}

// Loads a catalogue file as the server does; the reason when nothing could be loaded.
QString LoadCatalogue(SongCatalogue &catalogue, const QString &path)
{
    if (!QFileInfo(path).isFile())
        return QStringLiteral("cannot read %1: no such file").arg(path);
    if (Extension(path) == u".txt") {
        const QString problem = CheckTextEncoding(path);
        if (!problem.isEmpty())
            return problem;
    } else if (Extension(path) != u".dat") {
        return QStringLiteral("%1: not a catalogue file (.dat or .txt)").arg(path);
    }
    // The loader reports through the event log; its lines tell how the load went.
    RowTable log({QStringLiteral("Time"), QStringLiteral("Action")});
    EventLog::Attach(&log);
    catalogue.LoadSongDatabase(path);
    EventLog::Attach(nullptr);
    for (int row = 0; row < log.rowCount(); ++row)
        if (log.cell(row, 1).startsWith(u"timestamp "))
            return {};
    const QString reason = log.rowCount() > 0 ? log.cell(log.rowCount() - 1, 1) : QString();
    return QStringLiteral("%1: cannot be loaded: %2").arg(path, reason);
}

// Notes on stderr when a .dat's language file is missing or belongs to another .dat.
void CheckLanguageFile(const QString &datPath, quint32 timestamp)
{
    const QString idxPath = SongListWriter::LanguageFilePath(datPath);
    QFile file(idxPath);
    if (!file.open(QIODevice::ReadOnly)) {
        PrintTo(stderr, QStringLiteral("orva-catalogue: note: no language file %1; every song "
                                       "is eng\n")
                            .arg(idxPath));
        return;
    }
    const QByteArray header = file.read(8);
    const bool matches =
        header.size() == 8 &&
        qFromLittleEndian<quint32>(header.constData()) == SongCatalogue::kFileMagic &&
        qFromLittleEndian<quint32>(header.constData() + 4) == timestamp;
    if (!matches)
        PrintTo(stderr, QStringLiteral("orva-catalogue: note: %1 does not belong to %2 (other "
                                       "magic or timestamp); every song is eng\n")
                            .arg(idxPath, datPath));
}

// A text shown on one line: control characters become U+FFFD.
QString OneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20)
            c = QChar::ReplacementCharacter;
    return text;
}

int Make(const QString &listPath, const QString &datPath)
{
    if (Extension(listPath) != u".txt")
        return Fail(QStringLiteral("%1: the song list must be a .txt file").arg(listPath));
    if (Extension(datPath) != u".dat")
        return Fail(QStringLiteral("%1: the output must be a .dat file").arg(datPath));
    const auto catalogue = std::make_unique<SongCatalogue>();
    const QString problem = LoadCatalogue(*catalogue, listPath);
    if (!problem.isEmpty())
        return Fail(problem);
    if (catalogue->songCount() == 0)
        return Fail(QStringLiteral("%1: no song lines (number|title|artist)").arg(listPath));

    QList<CatalogueSong> songs;
    songs.reserve(catalogue->songCount());
    for (int i = 0; i < int(catalogue->songCount()); ++i) {
        const SongRecord &record = catalogue->Record(i);
        songs.append({record.number, record.TitleText(), record.ArtistText(), record.ExtraText(),
                      catalogue->Language(i)});
    }
    const QString error =
        SongListWriter::WriteRecordFiles(datPath, songs, quint32(catalogue->timestamp()));
    if (!error.isEmpty())
        return Fail(error);
    PrintTo(stdout, QStringLiteral("%1 songs, timestamp %2, written to %3 and %4\n")
                        .arg(songs.size())
                        .arg(catalogue->timestamp(), 0, 16)
                        .arg(datPath, SongListWriter::LanguageFilePath(datPath)));
    return 0;
}

int Dump(const QString &path, const QString &order)
{
    static const QStringList orders = {QStringLiteral("number"), QStringLiteral("title"),
                                       QStringLiteral("artist"), QStringLiteral("extra")};
    const int sortMode = order.isEmpty() ? -1 : int(orders.indexOf(order));
    if (!order.isEmpty() && sortMode < 0)
        return Fail(QStringLiteral("unknown order %1 (number, title, artist or extra)").arg(order));
    const auto catalogue = std::make_unique<SongCatalogue>();
    const QString problem = LoadCatalogue(*catalogue, path);
    if (!problem.isEmpty())
        return Fail(problem);
    if (Extension(path) == u".dat")
        CheckLanguageFile(path, quint32(catalogue->timestamp()));

    QString text;
    for (int i = 0; i < int(catalogue->songCount()); ++i) {
        // Without an order the songs are shown as loaded.
        const int position = sortMode < 0 ? i : catalogue->SongAt(sortMode, i);
        const SongRecord &record = catalogue->Record(position);
        text += QString::number(record.number) + u'\t' + OneLine(record.TitleText()) + u'\t' +
                OneLine(record.ArtistText()) + u'\t' + OneLine(record.ExtraText()) + u'\t' +
                OneLine(catalogue->Language(position)) + u'\n';
    }
    PrintTo(stdout, text);
    return 0;
}

int Generate(const QString &countText, const QString &path, const QString &encodingName)
{
    bool ok = false;
    const int count = countText.toInt(&ok);
    if (!ok || count < 1 || count > SongCatalogue::kCapacity)
        return Fail(QStringLiteral("N must be a whole number from 1 to %1, not %2")
                        .arg(SongCatalogue::kCapacity)
                        .arg(countText));
    static const QStringList encodings = {QStringLiteral("utf8-bom"), QStringLiteral("utf8"),
                                          QStringLiteral("utf16"), QStringLiteral("ansi")};
    const qsizetype encoding = encodingName.isEmpty() ? 0 : encodings.indexOf(encodingName);
    if (encoding < 0)
        return Fail(QStringLiteral("unknown encoding %1 (utf8-bom, utf8, utf16 or ansi)")
                        .arg(encodingName));

    SongGenerator generator;
    QString error;
    if (Extension(path) == u".txt")
        error = SongListWriter::WriteTextList(path, generator.Generate(count, false),
                                              SongListWriter::Encoding(encoding));
    else if (Extension(path) == u".dat" && encodingName.isEmpty())
        error = SongListWriter::WriteRecordFiles(path, generator.Generate(count, true),
                                                 kGeneratedTimestamp);
    else if (Extension(path) == u".dat")
        error = QStringLiteral("--encoding applies to .txt output only");
    else
        error = QStringLiteral("%1: the output must be a .txt or .dat file").arg(path);
    return error.isEmpty() ? 0 : Fail(error);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    EventLog::SetEchoToStdout(false);

    QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.contains(QStringLiteral("--version"))) {
        std::fputs("orva-catalogue " ORVA_VERSION "\n", stdout);
        return 0;
    }
    // One optional "--name value" pair after the positional arguments.
    QString option;
    QString optionValue;
    if (args.size() >= 2 && args[args.size() - 2].startsWith(u"--")) {
        option = args[args.size() - 2];
        optionValue = args.last();
        args.resize(args.size() - 2);
        if (optionValue.isEmpty())
            return Usage();
    }
    const QString command = args.value(0);
    if (command == u"make" && args.size() == 3 && option.isEmpty())
        return Make(args[1], args[2]);
    if (command == u"dump" && args.size() == 2 && (option.isEmpty() || option == u"--order"))
        return Dump(args[1], optionValue);
    if (command == u"generate" && args.size() == 3 && (option.isEmpty() || option == u"--encoding"))
        return Generate(args[1], args[2], optionValue);
    return Usage();
}
