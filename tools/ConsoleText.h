#pragma once

#include <QString>
#include <cstdio>

// melodeck's exit statuses: done, refused or failed, wrong command line.
enum ExitStatus
{
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 2,
};

// Writes text as UTF-8 and flushes at once, so a reader of a pipe sees it now.
inline void Print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Prints the one error line of a refused or failed request; the failing status.
inline int Fail(const QString &message)
{
    Print(stderr, QStringLiteral("melodeck: %1\n").arg(message));
    return kExitFailed;
}
