#include "ui/CTabCtrlExt.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTabWidgetFrame>

CTabCtrlExt::CTabCtrlExt(QWidget *parent) : QTabBar(parent)
{
    setExpanding(false);
    setDrawBase(false);
    setElideMode(Qt::ElideNone);
    setFocusPolicy(Qt::StrongFocus);
}

QColor CTabCtrlExt::FillColor(bool current, const QPalette &palette)
{
    return current ? QColor(130, 130, 250) : palette.color(QPalette::Button);
}

QColor CTabCtrlExt::TextColor(bool current)
{
    return current ? QColor(255, 255, 255) : QColor(25, 25, 25);
}

QSize CTabCtrlExt::tabSizeHint(int) const
{
    return {kTabWidth, kTabHeight};
}

QSize CTabCtrlExt::minimumTabSizeHint(int) const
{
    return {kTabWidth, kTabHeight};
}

void CTabCtrlExt::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, kTabHeight, 0, 0);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);

    for (int i = 0; i < count(); ++i) {
        const QRect area = tabRect(i);
        const bool current = i == currentIndex();
        painter.fillRect(area, FillColor(current, palette()));
        painter.setPen(TextColor(current));
        painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, tabText(i));
    }
}

void CTabCtrlExt::mouseReleaseEvent(QMouseEvent *event)
{
    QTabBar::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void CTabCtrlExt::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTabBar::mouseDoubleClickEvent(event);
    Q_EMIT doubleClicked();
}

// The wheel would move the current tab without a click, leaving the shown list behind.
void CTabCtrlExt::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}
