#pragma once

#include "base/RowTable.h"

#include <QList>

class CClientSocket;

// The connected-terminals list the operator sees: "Station", "IP", "Status".
class ClientTable : public RowTable
{
    Q_OBJECT
public:
    explicit ClientTable(QObject *parent = nullptr);

    // Rebuilds every row from the channel list: admitted channels only, numbered
    // from 0 without gaps, the local client shown as "localhost".
    void Rebuild(const QList<CClientSocket *> &channels);
};
