#include "queue/FavoriteList.h"

#include <algorithm>

// The name up to its first zero unit.
QStringView FavoriteList::NameView() const
{
    const char16_t *end = std::find(listName, listName + kNameUnits, u'\0');
    return QStringView(listName, end - listName);
}

// Stores the name cut to leave room for the terminator.
void FavoriteList::SetName(QStringView name)
{
    std::fill(std::begin(listName), std::end(listName), u'\0');
    const qsizetype units = std::min<qsizetype>(name.size(), kNameUnits - 1);
    std::copy_n(name.utf16(), units, listName);
}

// The song numbers as the file and the view show them, e.g. "1203,45".
QString FavoriteList::SongsText() const
{
    QString text;
    for (const quint32 number : songNumbers) {
        if (number == 0)
            break;
        if (!text.isEmpty())
            text.append(u',');
        // Numbers are written signed, as the file has always held them.
        text.append(QString::number(qint32(number)));
    }
    return text;
}
