#include "fuzz/FuzzSupport.h"

#include "base/DataPath.h"
#include "base/EventLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

QString g_folder;

// Removes the private folder when the run ends normally.
void RemoveFolder()
{
    if (!g_folder.isEmpty())
        QDir(g_folder).removeRecursively();
}

// A fresh folder in memory when the system has one: saves there cost no disk sync.
QString MakeFolder()
{
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QByteArray pattern = QFile::encodeName(base + QStringLiteral("/orva-fuzz-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        FuzzSupport::Fail("a private folder could be made", __FILE__, __LINE__);
    return QFile::decodeName(pattern);
}

} // namespace

namespace FuzzSupport {

void Setup()
{
    if (!g_folder.isEmpty())
        return;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "orva-fuzz";
        static char *argv[] = {name, nullptr};
        static std::unique_ptr<QCoreApplication> app =
            std::make_unique<QCoreApplication>(argc, argv);
    }
    g_folder = MakeFolder();
    std::atexit(RemoveFolder);
    qputenv("HOME", QFile::encodeName(g_folder));
    qputenv("XDG_DOCUMENTS_DIR", QFile::encodeName(g_folder + QStringLiteral("/Documents")));
    ResetDataPath();
    // Local time from a fixed zone: no time-zone file is looked up at every log line.
    qputenv("TZ", "UTC");
    EventLog::SetEchoToStdout(false);
}

QString Folder(const QString &name)
{
    return name.isEmpty() ? g_folder : g_folder + u'/' + name;
}

void WriteFile(const QString &path, const char *data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(data, qint64(size)) != qint64(size))
        Fail("the input file could be written", __FILE__, __LINE__);
}

void Fail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "FUZZ INVARIANT BROKEN at %s:%d: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

} // namespace FuzzSupport
