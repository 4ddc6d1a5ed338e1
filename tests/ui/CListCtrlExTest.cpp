#include "ui/CListCtrlEx.h"

#include "base/RowTable.h"

#include <QHeaderView>
#include <QImage>
#include <gtest/gtest.h>

namespace {

const QColor kRowFill(250, 240, 200);
const QColor kBackground(200, 255, 200);

// A 400-pixel list of three columns (50 + 60 + 40 = 150 pixels), drawn offscreen.
class ListCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        list.ShowRows(rows, {{50, Qt::AlignLeft}, {60, Qt::AlignRight}, {40, Qt::AlignHCenter}});
        list.setTextBkColor(kRowFill);
        list.setBkColor(kBackground);
        list.resize(400, 200);
        list.show();
    }

    QImage Draw() { return list.viewport()->grab().toImage(); }
    int RowMiddle(int row) const { return list.rowViewportPosition(row) + list.rowHeight(row) / 2; }
    // Leftmost and rightmost pixel of `row` in [left, right) that is not the row fill.
    std::pair<int, int> Ink(const QImage &image, int row, int left, int right) const
    {
        const int top = list.rowViewportPosition(row) + 1;
        const int bottom = top + list.rowHeight(row) - 3; // above the grid line
        int first = -1, last = -1;
        for (int x = left; x < right; ++x)
            for (int y = top; y < bottom; ++y)
                if (image.pixelColor(x, y) != kRowFill) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        return {first, last};
    }

    RowTable rows{{u"A"_qs, u"B"_qs, u"C"_qs}};
    CListCtrlEx list;
};

struct FillCase
{
    bool clientWidthSelect;
    int row;
    int x;
    QColor expected;
};

struct InkCase
{
    const char *what;
    int firstColumnAlign;
    QStringList cells;
    int column;
    int fromLeft;  // first ink at most this far from the cell's left edge (-1: no check)
    int fromRight; // last ink at most this far from the cell's right edge (-1: no check)
};

} // namespace

TEST_F(ListCtrlTest, RowsAreFilledAlikeSelectedOrNotUpToTheClientWidth)
{
    rows.appendRow({u"one"_qs, u"1"_qs, QString()});
    rows.appendRow({u"two"_qs, u"2"_qs, QString()});
    list.selectRow(1);
    list.setFocus();
    ASSERT_EQ(list.FirstSelectedRow(), 1);

    const FillCase cases[] = {
        {true, 1, 300, kRowFill}, // the selected row, past the last column
        {true, 1, 130, kRowFill}, // the selected row's empty cell
        {true, 0, 390, kRowFill},
        {false, 0, 300, kBackground}, // without the setting, the fill ends at the columns
        {false, 1, 130, kRowFill},
    };
    for (const FillCase &c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row) + " x " + std::to_string(c.x));
        list.setClientWidthSelect(c.clientWidthSelect);
        EXPECT_EQ(Draw().pixelColor(c.x, RowMiddle(c.row)), c.expected);
    }
    EXPECT_EQ(Draw().pixelColor(300, RowMiddle(1) + 3 * list.rowHeight(1)), kBackground);
}

TEST_F(ListCtrlTest, CellTextsSitWhereTheirAlignmentPutsThem)
{
    const InkCase cases[] = {
        {"column 0 left", CListCtrlEx::FirstColumnLeft, {u"W"_qs}, 0, 4, -1},
        {"column 0 right", CListCtrlEx::FirstColumnRight, {u"W"_qs}, 0, -1, 4},
        {"column 0 centred, whatever its format",
         CListCtrlEx::FirstColumnCentre,
         {u"W"_qs},
         0,
         -1,
         -1},
        {"right-aligned column", 0, {{}, u"7"_qs}, 1, -1, 8},
        {"shortened right-aligned column starts left", 0, {{}, u"WWWWWWWWWW"_qs}, 1, 8, -1},
    };
    for (const InkCase &c : cases) {
        SCOPED_TRACE(c.what);
        rows.clear();
        rows.appendRow(c.cells);
        list.setFirstColumnAlign(c.firstColumnAlign);
        const int left = list.columnViewportPosition(c.column);
        const int right = left + list.columnWidth(c.column) - 1; // the grid line is not text
        const auto [first, last] = Ink(Draw(), 0, left, right);
        ASSERT_GE(first, 0) << "nothing drawn";
        if (c.fromLeft >= 0) {
            EXPECT_LE(first - left, c.fromLeft);
        }
        if (c.fromRight >= 0) {
            EXPECT_LE(right - last, c.fromRight);
        }
        if (c.fromLeft < 0 && c.fromRight < 0) { // centred: as far from both edges, give or take
            EXPECT_LE(std::abs((first - left) - (right - last)), 3);
        }
    }
}
