#include "ui/ListRowDelegate.h"

#include <gtest/gtest.h>

namespace {

// Every character 10 pixels wide, so "..." is 30.
int TenPerChar(QStringView text)
{
    return int(text.size()) * 10;
}

struct FitCase
{
    QString text;
    int width;
    int allowance;
    QString drawn;
    bool shortened;
};

struct AlignCase
{
    int column;
    int firstColumnAlign;
    Qt::Alignment format;
    bool shortened;
    Qt::Alignment horizontal;
};

struct RectCase
{
    QRect cell;
    int column;
    QRect text;
};

} // namespace

TEST(ListRowDelegateTest, FitTextKeepsTheLongestPrefixThatFitsWithItsAllowance)
{
    const QString long300(300, u'a');
    const FitCase cases[] = {
        {u""_qs, 0, 12, u""_qs, false},
        {u"abc"_qs, 34, 4, u"abc"_qs, false}, // 30 + 4 fits exactly
        {u"abc"_qs, 33, 4, u"a..."_qs, true}, // no prefix fits: the first character stays
        {u"abcdef"_qs, 72, 12, u"abcdef"_qs, false},
        {u"abcdef"_qs, 71, 12, u"ab..."_qs, true}, // 20 + 12 + 30 <= 71 < 30 + 12 + 30
        {u"abcdef"_qs, 82, 4, u"abcdef"_qs, false},
        {u"abcdefgh"_qs, 70, 4, u"abc..."_qs, true},
        {u"x"_qs, 0, 12, u"x..."_qs, true}, // a 0-wide column
        {u"xy"_qs, -5, 4, u"x..."_qs, true},
        {long300, 100000, 12, QString(259, u'a'), false}, // only 259 characters are drawn
        {long300, 100, 12, u"aaaaa..."_qs, true},
    };
    for (const FitCase &c : cases) {
        SCOPED_TRACE(c.text.left(20).toStdString() + " in " + std::to_string(c.width));
        const auto fitted = ListRowDelegate::FitText(c.text, c.width, c.allowance, TenPerChar);
        EXPECT_EQ(fitted.text, c.drawn);
        EXPECT_EQ(fitted.shortened, c.shortened);
    }
}

TEST(ListRowDelegateTest, ColumnZeroFollowsTheListOthersTheirFormatUntilShortened)
{
    const AlignCase cases[] = {
        {0, 0, Qt::AlignRight, false, Qt::AlignLeft},
        {0, 1, Qt::AlignLeft, false, Qt::AlignRight},
        {0, 2, Qt::AlignLeft, true, Qt::AlignHCenter}, // column 0 keeps its setting when cut
        {0, 7, Qt::AlignRight, false, Qt::AlignLeft},
        {0, -1, Qt::AlignHCenter, false, Qt::AlignLeft},
        {1, 1, Qt::AlignRight, false, Qt::AlignRight},
        {1, 0, Qt::AlignHCenter, false, Qt::AlignHCenter},
        {2, 2, Qt::AlignLeft, false, Qt::AlignLeft},
        {3, 0, Qt::AlignRight, true, Qt::AlignLeft},
        {4, 2, Qt::AlignHCenter, true, Qt::AlignLeft},
    };
    for (const AlignCase &c : cases) {
        SCOPED_TRACE("column " + std::to_string(c.column) + ", first column align " +
                     std::to_string(c.firstColumnAlign));
        EXPECT_EQ(
            ListRowDelegate::TextAlignment(c.column, c.firstColumnAlign, c.format, c.shortened),
            c.horizontal | Qt::AlignVCenter);
    }
}

TEST(ListRowDelegateTest, TextRectInsetsColumnZeroByTwoOthersBySix)
{
    const RectCase cases[] = {
        {QRect(10, 5, 100, 20), 0, QRect(12, 5, 96, 20)},
        {QRect(10, 5, 100, 20), 1, QRect(16, 5, 88, 20)},
        {QRect(50, 0, 0, 18), 1, QRect(56, 0, 0, 18)}, // 0 wide: starts 6 pixels in
        {QRect(50, 0, 3, 18), 0, QRect(52, 0, 0, 18)},
    };
    for (const RectCase &c : cases) {
        SCOPED_TRACE("column " + std::to_string(c.column));
        EXPECT_EQ(ListRowDelegate::TextRect(c.cell, c.column), c.text);
    }
}
