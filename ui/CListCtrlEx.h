#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QTableView>

class RowTable;

// A report-style list that shows one of the core's row tables: every row is
// filled in textBkColor whether selected or not, the first column is aligned by
// the list's own setting, texts too long for their cell end in "...", and the
// focused row gets a focus rectangle across the whole row. It keeps nothing of
// its own but the selection and the column widths.
class CListCtrlEx : public QTableView
{
    Q_OBJECT
public:
    // A column's width in pixels as laid out for the layout font (scaled to
    // the list's font when shown) and its format: the alignment of its header
    // and (but for column 0) of its cells.
    struct Column
    {
        int width = 0;
        Qt::Alignment format = Qt::AlignLeft;
    };
    // Values of firstColumnAlign; any other value means left.
    enum FirstColumnAlign
    {
        FirstColumnLeft = 0,
        FirstColumnRight = 1,
        FirstColumnCentre = 2
    };

    explicit CListCtrlEx(QWidget *parent = nullptr);

    // Shows `rows`, which outlive the list, with these columns.
    void ShowRows(RowTable &rows, const QList<Column> &columns);

    // --- Properties ---
    // The list's name, which tells the four lists apart in the row popup menu.
    const QString &viewName() const { return m_viewName; }
    void setViewName(const QString &name) { m_viewName = name; }
    int firstColumnAlign() const { return m_firstColumnAlign; }
    void setFirstColumnAlign(int align);
    // Whether a row's fill reaches at least the list's client width.
    bool clientWidthSelect() const { return m_clientWidthSelect; }
    void setClientWidthSelect(bool on);
    // Text colour of columns 1 and up.
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor &color);
    // Fill colour of every row.
    QColor textBkColor() const { return m_textBkColor; }
    void setTextBkColor(const QColor &color);
    // Colour of the list's background below the rows.
    QColor bkColor() const { return m_bkColor; }
    void setBkColor(const QColor &color);

    // --- Readers ---
    // The lowest selected row, or -1 when none is selected.
    int FirstSelectedRow() const;
    // The area row `row` fills, in viewport coordinates: from column 0's left
    // edge to the last column's right edge or, when further, the client width.
    QRect RowArea(int row) const;

Q_SIGNALS:
    // The operator right-clicked the list; the owner decides on a popup menu.
    void rowMenuRequested(const QString &viewName, const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    QString m_viewName;
    int m_firstColumnAlign = FirstColumnRight;
    bool m_clientWidthSelect = true;
    QColor m_textColor;
    QColor m_textBkColor;
    QColor m_bkColor;
};
