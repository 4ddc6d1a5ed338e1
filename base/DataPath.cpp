#include "base/DataPath.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString g_folder;

QString DocumentsFolder()
{
    QString documents = qEnvironmentVariable("XDG_DOCUMENTS_DIR");
    if (documents.isEmpty())
        documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return {};
    if (!QDir().mkpath(documents))
        return {};
    return QDir::cleanPath(documents);
}

} // namespace

QString DataPath(const QString &name)
{
    if (g_folder.isEmpty()) {
        const QString documents = DocumentsFolder();
        if (!documents.isEmpty()) {
            g_folder = documents + QStringLiteral("/ORVA RS Server");
            if (!QFileInfo::exists(g_folder))
                QDir().mkpath(g_folder); // a failure shows later, when a file cannot be opened
        }
    }
    if (name.isEmpty())
        return g_folder;
    qsizetype skip = 0;
    while (skip < name.size() && (name[skip] == u'/' || name[skip] == u'\\'))
        ++skip;
    QString path = g_folder;
    if (!path.endsWith(u'/'))
        path += u'/';
    return path + name.mid(skip);
}

void ResetDataPath()
{
    g_folder.clear();
}
