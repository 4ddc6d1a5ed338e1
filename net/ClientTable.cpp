#include "net/ClientTable.h"

#include "net/CClientSocket.h"

ClientTable::ClientTable(QObject *parent)
    : RowTable({QStringLiteral("Station"), QStringLiteral("IP"), QStringLiteral("Status")}, parent)
{
}

void ClientTable::Rebuild(const QList<CClientSocket *> &channels)
{
    m_channels.clear();
    clear();
    int k = 0;
    for (CClientSocket *channel : channels) {
        if (!channel || channel->connectionState == 0)
            continue;
        const QString status = channel->connectionState == CClientSocket::kAdmitted
                                   ? QStringLiteral("On")
                                   : QStringLiteral("Off");
        m_channels.append(channel);
        appendRow({QString::number(k++), channel->displayAddress(), status});
    }
}

CClientSocket *ClientTable::channel(int row) const
{
    return m_channels.value(row);
}
