#include "tests/support/TempDir.h"

#include "base/DataPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

TempHome::TempHome() : m_oldHome(qgetenv("HOME")), m_oldDocuments(qgetenv("XDG_DOCUMENTS_DIR"))
{
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    qunsetenv("XDG_DOCUMENTS_DIR");
    ResetDataPath();
}

TempHome::~TempHome()
{
    qputenv("HOME", m_oldHome);
    if (m_oldDocuments.isEmpty())
        qunsetenv("XDG_DOCUMENTS_DIR");
    else
        qputenv("XDG_DOCUMENTS_DIR", m_oldDocuments);
    ResetDataPath();
}

QString TempHome::dataFolder() const
{
    return m_dir.path() + QStringLiteral("/Documents/ORVA RS Server");
}

void WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', "").replace('\n', ""));
}
