#include "ui/ListRowDelegate.h"

#include "ui/CListCtrlEx.h"

#include <QPainter>

namespace {
const QString kEllipsis = QStringLiteral("...");
} // namespace

ListRowDelegate::ListRowDelegate(CListCtrlEx &list) : QStyledItemDelegate(&list), m_list(list)
{
}

ListRowDelegate::Fitted ListRowDelegate::FitText(QStringView text, int width, int allowance,
                                                 const Measure &measure)
{
    text = text.left(kMaxCellChars);
    if (text.isEmpty() || measure(text) + allowance <= width)
        return {text.toString(), false};
    const int ellipsis = measure(kEllipsis);
    qsizetype keep = 1;
    for (qsizetype i = text.size() - 1; i >= 1; --i) {
        if (measure(text.left(i)) + allowance + ellipsis <= width) {
            keep = i;
            break;
        }
    }
    return {text.left(keep).toString() + kEllipsis, true};
}

Qt::Alignment ListRowDelegate::TextAlignment(int column, int firstColumnAlign, Qt::Alignment format,
                                             bool shortened)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (column == 0) {
        if (firstColumnAlign == 1)
            horizontal = Qt::AlignRight;
        else if (firstColumnAlign == 2)
            horizontal = Qt::AlignHCenter;
    } else if (!shortened) {
        if (format & Qt::AlignRight)
            horizontal = Qt::AlignRight;
        else if (format & Qt::AlignHCenter)
            horizontal = Qt::AlignHCenter;
    }
    return horizontal | Qt::AlignVCenter;
}

QRect ListRowDelegate::TextRect(const QRect &cell, int column)
{
    const int inset = column == 0 ? kFirstColumnInset : kColumnInset;
    return {cell.left() + inset, cell.top(), qMax(0, cell.width() - 2 * inset), cell.height()};
}

void ListRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    const int column = index.column();
    const QFontMetrics metrics(option.font);
    const Fitted fitted = FitText(
        text, option.rect.width(), column == 0 ? kFirstColumnAllowance : kColumnAllowance,
        [&metrics](QStringView part) {
            return metrics.horizontalAdvance(QString::fromRawData(part.data(), part.size()));
        });
    const auto format = Qt::Alignment(
        index.model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
    const Qt::Alignment alignment =
        TextAlignment(column, m_list.firstColumnAlign(), format, fitted.shortened);
    // Column 0 keeps the list's ordinary text colour; the others take textColor.
    const QColor color = column == 0 ? option.palette.color(QPalette::Text) : m_list.textColor();

    painter->save();
    painter->setFont(option.font);
    painter->setPen(color);
    painter->drawText(TextRect(option.rect, column),
                      int(alignment) | Qt::TextSingleLine | Qt::TextDontClip, fitted.text);
    painter->restore();
}
