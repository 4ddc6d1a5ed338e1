#pragma once

#include <QByteArrayView>
#include <QString>

// Replaces the file at `path` with `bytes` as a whole or not at all: written
// under a temporary name, synced, then renamed over the old file. Every write
// is checked, so a full disk leaves the old file as it was. False (with the
// reason in `error` when given) when the file could not be replaced.
bool SaveFile(const QString &path, QByteArrayView bytes, QString *error = nullptr);
