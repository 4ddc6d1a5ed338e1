#pragma once

#include <QStyledItemDelegate>
#include <functional>

class CListCtrlEx;

// Draws the text of one cell of a CListCtrlEx. The row fill and the focus
// rectangle are the list's (they span whole rows); selection changes nothing
// here. Texts that do not fit end in "...", drawn unclipped.
class ListRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // At most this many characters of a cell are drawn.
    static constexpr int kMaxCellChars = 259;
    // Room kept free when fitting a text: column 0, the other columns.
    static constexpr int kFirstColumnAllowance = 4;
    static constexpr int kColumnAllowance = 12;
    // Distance of the text from the cell's left and right edges.
    static constexpr int kFirstColumnInset = 2;
    static constexpr int kColumnInset = 6;

    // A text as drawn in a cell, and whether it had to be cut short.
    struct Fitted
    {
        QString text;
        bool shortened = false;
    };
    // The width of a text in pixels.
    using Measure = std::function<int(QStringView)>;

    explicit ListRowDelegate(CListCtrlEx &list);

    // Fits `text` (its first 259 characters) into `width` pixels keeping
    // `allowance` free: unchanged when it fits, else the longest prefix that
    // fits with "..." appended, at least the first character.
    static Fitted FitText(QStringView text, int width, int allowance, const Measure &measure);
    // Alignment of a cell's text: column 0 by the list's first-column setting
    // (0 left, 1 right, 2 centre, anything else left); other columns by their
    // format, or left once shortened. Always vertically centred.
    static Qt::Alignment TextAlignment(int column, int firstColumnAlign, Qt::Alignment format,
                                       bool shortened);
    // The rectangle a cell's text is laid out in: the cell inset on both sides,
    // never narrower than nothing, so a text in a 0-wide cell starts past the inset.
    static QRect TextRect(const QRect &cell, int column);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    const CListCtrlEx &m_list;
};
