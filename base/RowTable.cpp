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
    return m_cells[qsizetype(row) * columnCount() + column];
}

QStringList RowTable::row(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return m_cells.mid(qsizetype(row) * columnCount(), columnCount());
}

void RowTable::insertRow(int row, const QStringList &cells)
{
    row = std::clamp(row, 0, rowCount());
    const qsizetype at = qsizetype(row) * columnCount();
    // Missing cells are empty; cells past the last column are dropped.
    m_cells.insert(at, columnCount(), QString());
    for (qsizetype i = 0; i < std::min(cells.size(), qsizetype(columnCount())); ++i)
        m_cells[at + i] = cells[i];
    ++m_rowCount;
    Q_EMIT rowInserted(row);
}

void RowTable::removeRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_cells.remove(qsizetype(row) * columnCount(), columnCount());
    --m_rowCount;
    Q_EMIT rowRemoved(row);
}

void RowTable::setCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    m_cells[qsizetype(row) * columnCount() + column] = text;
    Q_EMIT cellChanged(row, column);
}

void RowTable::clear()
{
    m_cells.clear();
    m_rowCount = 0;
    Q_EMIT cleared();
}
