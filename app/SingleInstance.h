#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// Makes sure only one copy of the server runs per listening port: a lock file
// in the user's runtime folder, held until the process ends. The lock of a
// copy that crashed is stale once its process is gone, and is taken over.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &name);
    // False when another live process holds the lock.
    bool TryAcquire();

    // Where the lock of `name` lives: the runtime folder, else the temporary folder.
    static QString LockPath(const QString &name);

private:
    std::unique_ptr<QLockFile> m_lock;
};
