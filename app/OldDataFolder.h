#pragma once

#include <QString>
#include <QStringList>

// The data folder of the program's earlier name, "VOVIDA Zuziva", beside the
// data folder. At start-up its content moves into the data folder, once.
class OldDataFolder
{
public:
    static constexpr const char *kName = "VOVIDA Zuziva";

    // The old folder beside `dataFolder`: in the same parent folder; empty
    // when `dataFolder` is not a path with a parent.
    static QString PathBeside(const QString &dataFolder);

    // Moves everything in `oldFolder` into `dataFolder`: each file replaces
    // the data folder's file of the same name unless that one is newer, and
    // leaves the old folder once it is in the data folder (or superseded
    // there). A file or folder that cannot be copied is named in one line on
    // standard error and stays in the old folder, to be tried at the next
    // start; the old folder goes when nothing is left in it. False when
    // something was not copied; true also when there is no old folder.
    static bool MoveInto(const QString &oldFolder, const QString &dataFolder);

    // Moves a folder's entries into `destination` (created when missing) as
    // MoveInto does, subfolders recursively, and removes `source` when it ends
    // up empty; returns the source paths that could not be copied.
    static QStringList MoveFolder(const QString &source, const QString &destination);
};
