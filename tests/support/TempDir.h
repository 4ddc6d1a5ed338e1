#pragma once

#include "base/DataPath.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

// Files, folders and environment for tests.

// Sets an environment variable (nullptr: removes it) for the scope's lifetime.
class EnvScope
{
public:
    EnvScope(const char *name, const char *value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        Put(name, value);
    }
    ~EnvScope() { Put(m_name, m_had ? m_old.constData() : nullptr); }
    EnvScope(const EnvScope &) = delete;
    EnvScope &operator=(const EnvScope &) = delete;

private:
    static void Put(const char *name, const char *value)
    {
        value ? void(qputenv(name, value)) : void(qunsetenv(name));
    }

    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// A temporary folder that also serves as HOME for DataPath; the previous HOME
// and the remembered data folder are restored when it goes.
class TempHome
{
public:
    TempHome() { ResetDataPath(); }
    ~TempHome() { ResetDataPath(); } // looked up again under the restored HOME
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // The data folder DataPath() gives under this HOME.
    QString dataFolder() const { return path() + QStringLiteral("/Documents/ORVA RS Server"); }

private:
    QTemporaryDir m_dir;
    EnvScope m_home{"HOME", QFile::encodeName(m_dir.path()).constData()};
    EnvScope m_documents{"XDG_DOCUMENTS_DIR", nullptr};
};

// Writes bytes to a file, creating folders; fails the test when it cannot.
inline void WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A temporary folder for a test's own files.
class TempFolder : public QTemporaryDir
{
public:
    QString Path(const QString &name) const { return filePath(name); }
    QString Write(const QString &name, const QByteArray &bytes) const
    {
        WriteFileBytes(filePath(name), bytes);
        return filePath(name);
    }
};

inline QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bytes from hex text such as "4F 52 56 41"; spaces and newlines are ignored.
inline QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', "").replace('\n', ""));
}

// Text as UTF-16LE, after the mark FF FE when asked.
inline QByteArray Utf16Le(QStringView text, bool mark = false)
{
    return (mark ? Hex("FF FE") : QByteArray()) + QStringEncoder(QStringConverter::Utf16LE)(text);
}

// Lets test failures show QString values (and lists of them) as readable text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
