#include "app/SingleInstance.h"

#include <QDir>

SingleInstance::SingleInstance(const QString &name)
    : m_lock(std::make_unique<QLockFile>(QDir::temp().filePath(name + QStringLiteral(".lock"))))
{
    m_lock->setStaleLockTime(0); // a lock is stale only when its process is gone
}

bool SingleInstance::TryAcquire()
{
    return m_lock->tryLock(0);
}
