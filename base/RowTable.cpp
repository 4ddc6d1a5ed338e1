#include "base/RowTable.h"

#include <algorithm>

RowTable::RowTable(QStringList headers, QObject *parent)
    : QObject(parent), m_headers(std::move(headers))
{
}

QString RowTable::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return m_rows[row][column];
}

QStringList RowTable::row(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_rows[row];
}

void RowTable::insertRow(int row, const QStringList &cells)
{
    row = std::clamp(row, 0, rowCount());
    QStringList padded = cells.mid(0, columnCount());
    while (padded.size() < columnCount())
        padded.append(QString());
    m_rows.insert(row, padded);
    Q_EMIT rowInserted(row);
}

void RowTable::removeRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_rows.removeAt(row);
    Q_EMIT rowRemoved(row);
}

void RowTable::setCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    m_rows[row][column] = text;
    Q_EMIT cellChanged(row, column);
}

void RowTable::clear()
{
    m_rows.clear();
    Q_EMIT cleared();
}
