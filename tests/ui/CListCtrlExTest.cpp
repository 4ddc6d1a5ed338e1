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

    // Client-width select, row and x (columns end at x = 150); the colour there.
    const std::tuple<bool, int, int, QColor> cases[] = {
        {true, 1, 300, rowFill}, // the selected row, past the last column
        {true, 1, 130, rowFill}, // the selected row's empty cell
        {true, 0, 390, rowFill},  {false, 0, 300, background},
        {false, 1, 130, rowFill}, {true, 5, 300, background}, // no such row
    };
    for (const auto &[clientWidthSelect, row, x, expected] : cases) {
        SCOPED_TRACE("row " + std::to_string(row) + " x " + std::to_string(x));
        list.setClientWidthSelect(clientWidthSelect);
        const int y = row * list.rowHeight(0) + list.rowHeight(0) / 2;
        EXPECT_EQ(list.viewport()->grab().toImage().pixelColor(x, y), expected);
    }
}
