#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

// What every fuzz target shares: one application object, a private data
// folder (HOME, the documents folder and the working folder all point into a
// temporary folder, so nothing the targets save touches the user's files),
// and invariant checks that stop the run with a clear message.
namespace FuzzSupport {

// Creates the application object (unless one exists), the private data
// folder, and turns the event log's echo off. Safe to call more than once.
void Setup();

// The private folder, or a file inside it.
QString Folder(const QString &name = QString());

// Replaces a file's contents; aborts when it cannot be written.
void WriteFile(const QString &path, const char *data, size_t size);
inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    WriteFile(path, bytes.constData(), size_t(bytes.size()));
}

// Prints which invariant broke and where, then aborts (a finding for libFuzzer).
[[noreturn]] void Fail(const char *what, const char *file, int line);

} // namespace FuzzSupport

// Checks an invariant in every build, fuzzing or replay.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void(0) : FuzzSupport::Fail(#condition, __FILE__, __LINE__))
