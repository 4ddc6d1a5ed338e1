#include "base/PrivateProfile.h"

#include "base/NumberText.h"
#include "base/SaveFile.h"

#include <QFile>
#include <QList>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

struct Line
{
    QByteArray text;   // without line end
    QByteArray ending; // "\r\n", "\n", or empty for a last line without one
};

struct Document
{
    bool bom = false;
    QList<Line> lines;
};

Document ReadDocument(const QString &path)
{
    Document doc;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return doc;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith(kUtf8Bom)) {
        doc.bom = true;
        bytes.remove(0, kUtf8Bom.size());
    }
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        Line line;
        if (end < 0) {
            line.text = bytes.mid(start);
            start = bytes.size();
        } else {
            line.text = bytes.mid(start, end - start);
            line.ending = "\n";
            start = end + 1;
        }
        if (line.text.endsWith('\r')) {
            line.text.chop(1);
            line.ending.prepend('\r');
        }
        doc.lines.append(line);
    }
    return doc;
}

// The section name of a "[name]" line, or a null string for any other line.
QString SectionName(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return {};
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return {};
    return QString::fromUtf8(t.mid(1, close - 1)).trimmed();
}

bool IsComment(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    return t.startsWith(';') || t.startsWith('#');
}

// Splits "key = value" into its trimmed key and raw value; false for other lines.
bool SplitKey(const QByteArray &line, QString *key, QByteArray *value)
{
    if (IsComment(line))
        return false;
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0)
        return false;
    *key = QString::fromUtf8(line.left(eq)).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return !key->isEmpty();
}

bool Same(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString PrivateProfile::GetString(const QString &section, const QString &key,
                                  const QString &fallback) const
{
    const Document doc = ReadDocument(m_path);
    bool inSection = false;
    for (const Line &line : doc.lines) {
        const QString name = SectionName(line.text);
        if (!name.isNull()) {
            inSection = Same(name, section);
            continue;
        }
        QString k;
        QByteArray v;
        if (inSection && SplitKey(line.text, &k, &v) && Same(k, key)) {
            if (v.size() >= 2 && ((v.startsWith('"') && v.endsWith('"')) ||
                                  (v.startsWith('\'') && v.endsWith('\''))))
                v = v.mid(1, v.size() - 2);
            return QString::fromUtf8(v);
        }
    }
    return fallback;
}

bool PrivateProfile::WriteString(const QString &section, const QString &key,
                                 const QString &value) const
{
    Document doc = ReadDocument(m_path);
    const Line entry{(key + u'=' + value).toUtf8(), "\r\n"};

    qsizetype sectionAt = -1;     // the header line of the section
    qsizetype lastInSection = -1; // its last non-blank line
    bool done = false;
    for (qsizetype i = 0; i < doc.lines.size() && !done; ++i) {
        const QString name = SectionName(doc.lines[i].text);
        if (!name.isNull()) {
            if (sectionAt >= 0)
                break; // the next section begins
            if (Same(name, section)) {
                sectionAt = i;
                lastInSection = i;
            }
            continue;
        }
        if (sectionAt < 0)
            continue;
        QString k;
        QByteArray v;
        if (SplitKey(doc.lines[i].text, &k, &v) && Same(k, key)) {
            doc.lines[i].text = entry.text; // keep the line's own ending
            if (doc.lines[i].ending.isEmpty())
                doc.lines[i].ending = "\r\n";
            done = true;
        } else if (!doc.lines[i].text.trimmed().isEmpty()) {
            lastInSection = i;
        }
    }
    if (!done) {
        // A last line without an ending gets one before anything is appended.
        auto terminate = [&](qsizetype i) {
            if (i >= 0 && i < doc.lines.size() && doc.lines[i].ending.isEmpty())
                doc.lines[i].ending = "\r\n";
        };
        if (sectionAt >= 0) {
            terminate(lastInSection);
            doc.lines.insert(lastInSection + 1, entry);
        } else {
            terminate(doc.lines.size() - 1);
            doc.lines.append(Line{(u'[' + section + u']').toUtf8(), "\r\n"});
            doc.lines.append(entry);
        }
    }

    QByteArray bytes;
    if (doc.bom)
        bytes += kUtf8Bom;
    for (const Line &line : doc.lines)
        bytes += line.text + line.ending;
    return SaveFile(m_path, bytes);
}

int PrivateProfile::GetInt(const QString &section, const QString &key, int fallback) const
{
    const QString text = GetString(section, key, QString::number(fallback));
    return ParseLeadingInt(QStringView(text).left(259));
}
