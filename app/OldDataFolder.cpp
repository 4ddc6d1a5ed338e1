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
    const QStringList failed = CopyFolder(oldFolder, dataFolder);
    for (const QString &path : failed)
        std::fprintf(stderr, "orva-rs-server: cannot copy %s into %s; the old folder is kept.\n",
                     qUtf8Printable(QDir::toNativeSeparators(path)),
                     qUtf8Printable(QDir::toNativeSeparators(dataFolder)));
    if (!failed.isEmpty())
        return false;
    QDir(oldFolder).removeRecursively(); // a leftover is harmless: it is copied again next time
    return true;
}

QStringList OldDataFolder::CopyFolder(const QString &source, const QString &destination)
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
            failed += CopyFolder(entry.filePath(), to);
            continue;
        }
        // QFile::copy never replaces, so the older copy goes first.
        if (QFileInfo::exists(to) && !QFileInfo(to).isDir())
            QFile::remove(to);
        if (!QFile::copy(entry.filePath(), to))
            failed.append(entry.filePath());
    }
    return failed;
}
