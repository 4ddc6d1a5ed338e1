#pragma once

#include "base/RowTable.h"

#include <QList>
#include <QPointer>

class CClientSocket;

// The connected-terminals list the operator sees: "Station", "IP", "Status".
// Rows are numbered 0, 1, 2... whatever the stations, so each row also
// remembers the channel it shows: switching a row off must reach that terminal.
class ClientTable : public RowTable
{
    Q_OBJECT
public:
    explicit ClientTable(QObject *parent = nullptr);

    // Rebuilds every row from the channel list: admitted channels only, numbered
    // from 0 without gaps, the local client shown as "localhost".
    void Rebuild(const QList<CClientSocket *> &channels);
    // The channel shown on `row`; nullptr for no such row or a channel deleted since.
    CClientSocket *channel(int row) const;

private:
    QList<QPointer<CClientSocket>> m_channels;
};
