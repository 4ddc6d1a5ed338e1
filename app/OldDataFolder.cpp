#include "app/OldDataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

QString OldDataFolder::PathBeside(const QString &dataFolder)
{
    const QString folder = QDir::cleanPath(dataFolder);
    const qsizetype slash = folder.lastIndexOf(u'/');
    if (folder.isEmpty() || slash < 0)
        return {};
    return folder.left(slash) + u'/' + QLatin1String(kName);
}

bool OldDataFolder::MoveInto(const QString &oldFolder, const QString &dataFolder)
{
    if (!QFileInfo(oldFolder).isDir())
        return true;
    const QStringList failed = MoveFolder(oldFolder, dataFolder);
    for (const QString &path : failed)
        std::fprintf(stderr,
                     "orva-rs-server: cannot copy %s into %s; it stays in the old folder and is "
                     "tried again at the next start.\n",
                     qUtf8Printable(QDir::toNativeSeparators(path)),
                     qUtf8Printable(QDir::toNativeSeparators(dataFolder)));
    return failed.isEmpty();
}

QStringList OldDataFolder::MoveFolder(const QString &source, const QString &destination)
{
    QStringList failed;
    const QFileInfo target(destination);
    if (!target.isDir() && !QDir().mkpath(destination))
        return {source};
    const QFileInfoList entries = QDir(source).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                             QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString to = destination + u'/' + entry.fileName();
        if (entry.isDir() && !entry.isSymLink()) {
            failed += MoveFolder(entry.filePath(), to);
            continue;
        }
        // What was saved in the data folder since the old copy was written wins:
        // the old copy is superseded, not moved.
        const QFileInfo present(to);
        const bool newerThere = present.isFile() && entry.lastModified().isValid() &&
                                present.lastModified() > entry.lastModified();
        if (!newerThere) {
            // QFile::copy never replaces, so the older copy goes first.
            if (present.exists() && !present.isDir())
                QFile::remove(to);
            if (!QFile::copy(entry.filePath(), to)) {
                failed.append(entry.filePath());
                continue;
            }
        }
        // Gone from the old folder once it is in the data folder, so the next
        // start cannot copy it over a newer file again.
        QFile::remove(entry.filePath());
    }
    QDir().rmdir(source); // only when empty: what failed stays for the next start
    return failed;
}
