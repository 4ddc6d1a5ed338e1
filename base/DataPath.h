#pragma once

#include <QString>

// The data folder "ORVA RS Server" in the user's Documents folder, or a file
// path inside it. The folder is found (and created) on the first call and
// remembered; leading "/" and "\" are dropped from the name.
QString DataPath(const QString &name = QString());

// Forgets the remembered folder so the next DataPath call looks again.
void ResetDataPath();
