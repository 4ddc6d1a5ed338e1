#pragma once

#include <QString>
#include <QtGlobal>

// A queue entry as the local client sees and edits it: the fields it may
// change, and the position in the queue it names.
struct QueueItem
{
    quint32 number = 0;
    qint32 pitch = 0;
    qint32 tempo = 0;
    quint32 station = 0; // shown to the local client; never taken back from it
    int index = 0;       // the queue position the item is meant for
    QString customer;
};
