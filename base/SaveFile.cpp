#include "base/SaveFile.h"

#include <QSaveFile>

bool SaveFile(const QString &path, QByteArrayView bytes, QString *error)
{
    QSaveFile file(path);
    // Unbuffered, so write() reports what reached the file, not what was
    // buffered: a short write must cancel the save instead of committing it.
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                         file.write(bytes.data(), bytes.size()) == bytes.size();
    if (written && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    file.cancelWriting();
    return false;
}
