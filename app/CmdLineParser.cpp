#include "app/CmdLineParser.h"

void CmdLineParser::Parse(const QString &commandLine)
{
    m_arguments.clear();
    qsizetype start = -1; // where the open argument begins, -1 outside
    bool quoted = false;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        const QChar c = commandLine[i];
        if (start < 0) {
            if (c == u' ')
                continue;
            quoted = c == u'"';
            start = quoted ? i + 1 : i;
        } else if (c == (quoted ? u'"' : u' ')) {
            m_arguments.append(commandLine.mid(start, i - start));
            start = -1;
        }
    }
    if (start >= 0) // an unclosed quote runs to the end
        m_arguments.append(commandLine.mid(start));
}

QString CmdLineParser::Join(const QStringList &arguments)
{
    QStringList parts;
    for (const QString &argument : arguments)
        parts.append(argument.isEmpty() || argument.contains(u' ') ? u'"' + argument + u'"'
                                                                   : argument);
    return parts.join(u' ');
}

bool CmdLineParser::minimizeRequested() const
{
    bool minimize = false;
    for (qsizetype i = 1; i < m_arguments.size(); ++i) {
        if (m_arguments[i].compare(QLatin1String("-minimize"), Qt::CaseInsensitive) == 0)
            minimize = true;
        else if (m_arguments[i].compare(QLatin1String("--minimize"), Qt::CaseInsensitive) == 0)
            minimize = false;
    }
    return minimize;
}
