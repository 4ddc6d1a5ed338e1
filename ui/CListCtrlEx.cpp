#include "ui/CListCtrlEx.h"

#include "ui/DialogUnits.h"
#include "ui/ListHeaderView.h"
#include "ui/ListRowDelegate.h"
#include "ui/RowTableModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>

CListCtrlEx::CListCtrlEx(QWidget *parent)
    : QTableView(parent), m_textColor(palette().color(QPalette::Text)),
      m_bkColor(palette().color(QPalette::Base))
{
    setTextBkColor(palette().color(QPalette::Base));
    setItemDelegate(new ListRowDelegate(*this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    auto *header = new ListHeaderView(this);
    setHorizontalHeader(header);
    header->setMinimumSectionSize(0); // the queue's "Status" column starts 0 pixels wide
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
}

void CListCtrlEx::ShowRows(RowTable &rows, const QList<Column> &columns)
{
    auto *model = new RowTableModel(rows, this);
    QList<Qt::Alignment> formats;
    for (const Column &column : columns)
        formats.append(column.format);
    model->setColumnAlignments(formats);
    setModel(model);
    // The widths were laid out for a smaller font: scaled to the one in use,
    // and never narrower than the header text, but a 0-wide column stays hidden.
    QHeaderView *header = horizontalHeader();
    const DialogUnits units(header->font());
    for (int i = 0; i < columns.size(); ++i) {
        const int width = units.ScaledWidth(columns[i].width);
        header->resizeSection(i, width > 0 ? std::max(width, header->sectionSizeHint(i)) : 0);
    }
}

void CListCtrlEx::setFirstColumnAlign(int align)
{
    m_firstColumnAlign = align;
    viewport()->update();
}

void CListCtrlEx::setClientWidthSelect(bool on)
{
    m_clientWidthSelect = on;
    viewport()->update();
}

void CListCtrlEx::setTextColor(const QColor &color)
{
    m_textColor = color;
    viewport()->update();
}

void CListCtrlEx::setTextBkColor(const QColor &color)
{
    m_textBkColor = color;
    // Styles may paint a selected cell's panel in the highlight colour; a
    // selected row must look like any other.
    QPalette colors = palette();
    colors.setColor(QPalette::Highlight, color);
    setPalette(colors);
    viewport()->update();
}

void CListCtrlEx::setBkColor(const QColor &color)
{
    m_bkColor = color;
    QPalette colors = viewport()->palette();
    colors.setColor(QPalette::Base, color);
    viewport()->setPalette(colors);
    viewport()->update();
}

int CListCtrlEx::FirstSelectedRow() const
{
    if (!selectionModel())
        return -1;
    int first = -1;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        if (first < 0 || index.row() < first)
            first = index.row();
    return first;
}

QRect CListCtrlEx::RowArea(int row) const
{
    const int left = columnViewportPosition(0);
    int right = horizontalHeader()->length() - horizontalOffset();
    if (m_clientWidthSelect && right < viewport()->width())
        right = viewport()->width();
    return {left, rowViewportPosition(row), right - left, rowHeight(row)};
}

void CListCtrlEx::paintEvent(QPaintEvent *event)
{
    const int rows = model() ? model()->rowCount() : 0;
    const int first = rowAt(event->rect().top());
    if (first >= 0) {
        // Rows are filled first and whole, so a text running past its cell
        // stays visible and the fill reaches the client width.
        int last = rowAt(event->rect().bottom());
        if (last < 0)
            last = rows - 1;
        QPainter painter(viewport());
        for (int row = first; row <= last; ++row)
            painter.fillRect(RowArea(row), m_textBkColor);
    }
    QTableView::paintEvent(event);

    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid())
        return;
    QRect area = RowArea(current.row());
    area.adjust(0, 0, -2, area.bottom() > 2 ? -2 : 0);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = area;
    // Drawn whenever the list has the focus, not only after keyboard moves.
    option.state |= QStyle::State_KeyboardFocusChange;
    option.backgroundColor = m_textBkColor;
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void CListCtrlEx::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    Q_EMIT rowMenuRequested(m_viewName, event->globalPos());
}

// The focus rectangle spans the whole row, beyond the cell Qt would repaint.
void CListCtrlEx::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
}

void CListCtrlEx::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void CListCtrlEx::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    viewport()->update();
}
