#pragma once

#include <QAbstractTableModel>

class RowTable;

// Shows a core-owned RowTable in a Qt view; it adds nothing of its own.
class RowTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RowTableModel(RowTable &rows, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    RowTable &m_rows;
};
