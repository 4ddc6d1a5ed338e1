#include "ui/RowTableModel.h"

#include "base/RowTable.h"

RowTableModel::RowTableModel(RowTable &rows, QObject *parent)
    : QAbstractTableModel(parent), m_rows(rows)
{
    // The table tells after the fact; plain list views only need the pair of
    // calls to move their selection and scroll position along.
    connect(&m_rows, &RowTable::rowInserted, this, [this](int row) {
        beginInsertRows(QModelIndex(), row, row);
        endInsertRows();
    });
    connect(&m_rows, &RowTable::rowRemoved, this, [this](int row) {
        beginRemoveRows(QModelIndex(), row, row);
        endRemoveRows();
    });
    connect(&m_rows, &RowTable::cleared, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&m_rows, &RowTable::cellChanged, this, [this](int row, int column) {
        Q_EMIT dataChanged(index(row, column), index(row, column));
    });
}

void RowTableModel::setColumnAlignments(QList<Qt::Alignment> alignments)
{
    m_alignments = std::move(alignments);
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, qMax(0, columnCount() - 1));
}

int RowTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.rowCount();
}

int RowTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.columnCount();
}

QVariant RowTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return m_rows.cell(index.row(), index.column());
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(m_alignments.value(section, Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    return m_rows.headers().value(section);
}
