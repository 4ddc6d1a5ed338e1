#pragma once

#include <QString>
#include <QStringList>

// The data folder of the program's earlier name, "VOVIDA Zuziva", beside the
// data folder. At start-up its content moves into the data folder.
class OldDataFolder
{
public:
    static constexpr const char *kName = "VOVIDA Zuziva";

    // The old folder beside `dataFolder`: in the same parent folder; empty
    // when `dataFolder` is not a path with a parent.
    static QString PathBeside(const QString &dataFolder);

    // Copies everything in `oldFolder` into `dataFolder`, replacing files of
    // the same name, then removes `oldFolder`. A file or folder that cannot be
    // copied is named in one line on standard error, and the old folder is then
    // kept so nothing is lost. False when something was not copied; true also
    // when there is no old folder.
    static bool MoveInto(const QString &oldFolder, const QString &dataFolder);

    // Copies a folder's entries into `destination` (created when missing),
    // subfolders recursively; returns the source paths that could not be copied.
    static QStringList CopyFolder(const QString &source, const QString &destination);
};
