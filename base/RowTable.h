#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

// A list view's rows as plain text cells, owned by the core. The operations of
// the queue, the favourite lists, the event log and the listener write them;
// the window only shows them, so every cell text can be checked without a display.
class RowTable : public QObject
{
    Q_OBJECT
public:
    explicit RowTable(QStringList headers, QObject *parent = nullptr);

    const QStringList &headers() const { return m_headers; }
    int columnCount() const { return int(m_headers.size()); }
    int rowCount() const { return m_rowCount; }
    // Empty text for a row or column that does not exist.
    QString cell(int row, int column) const;
    QStringList row(int row) const;

    // Inserts a row before `row` (clamped to 0..rowCount); missing cells are empty.
    void insertRow(int row, const QStringList &cells);
    void appendRow(const QStringList &cells) { insertRow(rowCount(), cells); }
    void removeRow(int row);
    void setCell(int row, int column, const QString &text);
    void clear();

Q_SIGNALS:
    void rowInserted(int row);
    void rowRemoved(int row);
    void cellChanged(int row, int column);
    void cleared();

private:
    QStringList m_headers;
    // Row after row, columnCount() cells each: one allocation for the whole
    // table rather than one more per row, which counts in a 5,000-row log.
    QList<QString> m_cells;
    int m_rowCount = 0;
};
