#include "tools/CommandLine.h"

CommandLine::CommandLine(const QStringList &words, const QStringList &valueOptions,
                         const QStringList &flags, const QStringList &twoWordCommands)
{
    QStringList positional;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (flags.contains(word))
            m_flags.insert(word);
        else if (!valueOptions.contains(word) && word.startsWith(u"--"))
            Refuse(QStringLiteral("unknown option %1").arg(word));
        else if (!valueOptions.contains(word))
            positional.append(word);
        else if (i + 1 == words.size() || m_values.contains(word))
            Refuse(QStringLiteral("%1 needs one value").arg(word));
        else
            m_values.insert(word, words[++i]);
    }
    const int commandWords = twoWordCommands.contains(positional.value(0)) ? 2 : 1;
    m_command = positional.mid(0, commandWords).join(u' ');
    m_args = positional.mid(commandWords);
    if (m_command.isEmpty())
        Refuse(QStringLiteral("no command"));
}

bool CommandLine::has(const QString &option) const
{
    return m_values.contains(option) || m_flags.contains(option);
}

QString CommandLine::value(const QString &option, const QString &fallback) const
{
    return m_values.value(option, fallback);
}

qint64 CommandLine::Number(const QString &text, const QString &what, qint64 low, qint64 high)
{
    const bool hex = text.startsWith(u"0x", Qt::CaseInsensitive);
    bool ok = false;
    const qint64 value = hex ? text.mid(2).toLongLong(&ok, 16) : text.toLongLong(&ok, 10);
    if (!ok || value < low || value > high)
        Refuse(QStringLiteral("%1 must be a whole number from %2 to %3, not '%4'")
                   .arg(what)
                   .arg(low)
                   .arg(high)
                   .arg(text));
    return ok ? value : 0;
}

qint64 CommandLine::Option(const QString &option, qint64 fallback, qint64 low, qint64 high)
{
    return m_values.contains(option) ? Number(m_values[option], option, low, high) : fallback;
}

QString CommandLine::Text(const QString &text, const QString &what, int maxUnits)
{
    if (text.isEmpty() || text.size() > maxUnits)
        Refuse(QStringLiteral("%1 must be 1 to %2 characters").arg(what).arg(maxUnits));
    return text;
}

void CommandLine::Refuse(const QString &problem)
{
    if (m_problem.isEmpty())
        m_problem = problem;
}
