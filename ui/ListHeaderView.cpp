#include "ui/ListHeaderView.h"

#include <QStyleOptionHeader>
#include <algorithm>

ListHeaderView::ListHeaderView(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
}

// The text is cut to the room between the header's margins before it is drawn.
void ListHeaderView::initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const
{
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, option, this);
    const int room = std::max(sectionSize(logicalIndex) - 2 * margin, 0);
    option->text = option->fontMetrics.elidedText(option->text, Qt::ElideRight, room);
}
