#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &name)
    : m_lock(std::make_unique<QLockFile>(LockPath(name)))
{
    m_lock->setStaleLockTime(0); // a lock is stale only when its process is gone
}

bool SingleInstance::TryAcquire()
{
    return m_lock->tryLock(0);
}

QString SingleInstance::LockPath(const QString &name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(name + QStringLiteral(".lock"));
}
