#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// A command line of words, "--option value" pairs and "--flag"s in any order.
// Readers take what they need from it; the first thing found wrong is kept,
// so a caller reads everything and then looks at problem() once.
class CommandLine
{
public:
    // Splits `words`; the first positional word names the command, the first
    // two when the first is one of `twoWordCommands` ("fav get").
    CommandLine(const QStringList &words, const QStringList &valueOptions, const QStringList &flags,
                const QStringList &twoWordCommands);

    const QString &command() const { return m_command; }
    const QStringList &args() const { return m_args; }
    // Every option and flag given, by name.
    QStringList given() const { return m_values.keys() + m_flags.values(); }
    bool has(const QString &option) const;
    QString value(const QString &option, const QString &fallback = {}) const;

    // A whole number within [low, high], in decimal or after 0x in hexadecimal.
    qint64 Number(const QString &text, const QString &what, qint64 low, qint64 high);
    // An option's number, or `fallback` when the option is not given.
    qint64 Option(const QString &option, qint64 fallback, qint64 low, qint64 high);
    // A text of 1 to `maxUnits` UTF-16 units.
    QString Text(const QString &text, const QString &what, int maxUnits);

    // Keeps `problem` unless an earlier one is kept already.
    void Refuse(const QString &problem);
    const QString &problem() const { return m_problem; }

private:
    QString m_command;
    QStringList m_args;
    QHash<QString, QString> m_values;
    QSet<QString> m_flags;
    QString m_problem;
};
