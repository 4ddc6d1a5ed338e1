#pragma once

#include <QString>
#include <QtGlobal>

// One song as the catalogue tool handles it before it becomes a record: the
// texts at any length (writers cut them to the record's widths) and the
// language code.
struct CatalogueSong
{
    quint32 number = 0;
    QString title;
    QString artist;
    QString extra;
    QString language = QStringLiteral("eng");
};
