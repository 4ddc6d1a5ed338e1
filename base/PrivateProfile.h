#pragma once

#include <QString>

// An INI file in the private-profile format: sections and keys match without
// regard to case, and writing a key rewrites only that key's line, keeping
// comments, other sections and the order of everything else.
class PrivateProfile
{
public:
    explicit PrivateProfile(QString path) : m_path(std::move(path)) {}

    // The key's value (trimmed, surrounding quotes removed), or `fallback` when
    // the file, the section or the key is missing.
    QString GetString(const QString &section, const QString &key, const QString &fallback) const;
    // Replaces the key's line in place, or appends the key to its section, or
    // appends the section. Written lines end in CR LF. False when the file
    // cannot be written; the old file is then left whole.
    bool WriteString(const QString &section, const QString &key, const QString &value) const;
    // The key's value read as a leading decimal integer (as atoi reads its
    // first 259 characters), or `fallback` when the key is missing.
    int GetInt(const QString &section, const QString &key, int fallback) const;
    bool WriteInt(const QString &section, const QString &key, int value) const
    {
        return WriteString(section, key, QString::number(value));
    }

private:
    QString m_path;
};
