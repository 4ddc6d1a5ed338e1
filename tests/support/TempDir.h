#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder that also serves as HOME for DataPath; the previous HOME
// and the remembered data folder are restored when it goes.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // The data folder DataPath() gives under this HOME.
    QString dataFolder() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldDocuments;
};

// Writes bytes to a file, creating folders; fails the test when it cannot.
void WriteFileBytes(const QString &path, const QByteArray &bytes);
QByteArray ReadFileBytes(const QString &path);
// Bytes from hex text such as "4F 52 56 41"; spaces and newlines are ignored.
QByteArray Hex(const char *text);
