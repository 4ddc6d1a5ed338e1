#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// Makes sure only one copy of the server runs per listening port: a lock file
// held until the process ends (a crashed copy's stale lock is taken over).
class SingleInstance
{
public:
    explicit SingleInstance(const QString &name);
    // False when another live process holds the lock.
    bool TryAcquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};
