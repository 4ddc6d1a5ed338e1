#include "ui/CListCtrlEx.h"

#include "base/RowTable.h"

#include <QImage>
#include <gtest/gtest.h>

// A selected row looks like any other, and the row fill reaches the client
// width unless that is switched off; below the rows is the list's background.
TEST(CListCtrlExTest, RowsAreFilledAlikeSelectedOrNotUpToTheClientWidth)
{
    const QColor rowFill(250, 240, 200);
    const QColor background(200, 255, 200);
    RowTable rows({u"A"_qs, u"B"_qs, u"C"_qs});
    rows.appendRow({u"one"_qs, u"1"_qs, QString()});
    rows.appendRow({u"two"_qs, u"2"_qs, QString()});
    CListCtrlEx list;
    list.ShowRows(rows, {{50, Qt::AlignLeft}, {60, Qt::AlignRight}, {40, Qt::AlignHCenter}});
    list.setTextBkColor(rowFill);
    list.setBkColor(background);
    list.resize(400, 200);
    list.show();
    list.selectRow(1);
    ASSERT_EQ(list.FirstSelectedRow(), 1);

    const struct
    {
        bool clientWidthSelect;
        int row, x; // columns end at x = 150
        QColor expected;
    } cases[] = {
        {true, 1, 300, rowFill}, // the selected row, past the last column
        {true, 1, 130, rowFill}, // the selected row's empty cell
        {true, 0, 390, rowFill},  {false, 0, 300, background},
        {false, 1, 130, rowFill}, {true, 5, 300, background}, // no such row
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row) + " x " + std::to_string(c.x));
        list.setClientWidthSelect(c.clientWidthSelect);
        const int y = c.row * list.rowHeight(0) + list.rowHeight(0) / 2;
        EXPECT_EQ(list.viewport()->grab().toImage().pixelColor(c.x, y), c.expected);
    }
}
