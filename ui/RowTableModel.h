#pragma once

#include <QAbstractTableModel>
#include <QList>

class RowTable;

// Shows a core-owned RowTable in a Qt view; it adds only the columns'
// alignments, which the header and the row delegate read.
class RowTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RowTableModel(RowTable &rows, QObject *parent = nullptr);

    // The horizontal alignment of each column, in column order; missing ones are left.
    void setColumnAlignments(QList<Qt::Alignment> alignments);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    RowTable &m_rows;
    QList<Qt::Alignment> m_alignments;
};
