#include "ui/ListRowDelegate.h"

#include <gtest/gtest.h>

TEST(ListRowDelegateTest, FitTextKeepsTheLongestPrefixThatFitsWithItsAllowance)
{
    // Every character 10 pixels wide, so "..." is 30.
    const auto tenPerChar = [](QStringView text) { return int(text.size()) * 10; };
    const QString long300(300, u'a');
    // Text, column width and allowance; the text drawn and whether it was shortened.
    const std::tuple<QString, int, int, QString, bool> cases[] = {
        {u""_qs, 0, 12, u""_qs, false},
        {u"abc"_qs, 34, 4, u"abc"_qs, false},      // 30 + 4 fits exactly
        {u"abc"_qs, 33, 4, u"a..."_qs, true},      // no prefix fits: the first character stays
        {u"abcdef"_qs, 71, 12, u"ab..."_qs, true}, // 20 + 12 + 30 <= 71 < 30 + 12 + 30
        {u"abcdefgh"_qs, 70, 4, u"abc..."_qs, true},
        {u"x"_qs, 0, 12, u"x..."_qs, true},               // a 0-wide column
        {long300, 100000, 12, QString(259, u'a'), false}, // only 259 characters are drawn
        {long300, 100, 12, u"aaaaa..."_qs, true},
    };
    for (const auto &[text, width, allowance, drawn, shortened] : cases) {
        SCOPED_TRACE(text.left(20).toStdString() + " in " + std::to_string(width));
        const auto fitted = ListRowDelegate::FitText(text, width, allowance, tenPerChar);
        EXPECT_EQ(fitted.text, drawn);
        EXPECT_EQ(fitted.shortened, shortened);
    }
}

TEST(ListRowDelegateTest, ColumnZeroFollowsTheListOthersTheirFormatUntilShortened)
{
    // Column, column 0's alignment setting, format and shortening; the horizontal alignment.
    const std::tuple<int, int, Qt::Alignment, bool, Qt::Alignment> cases[] = {
        {0, 0, Qt::AlignRight, false, Qt::AlignLeft},
        {0, 1, Qt::AlignLeft, false, Qt::AlignRight},
        {0, 2, Qt::AlignLeft, true, Qt::AlignHCenter}, // column 0 keeps its setting when cut
        {0, 7, Qt::AlignRight, false, Qt::AlignLeft},
        {1, 1, Qt::AlignRight, false, Qt::AlignRight},
        {1, 0, Qt::AlignHCenter, false, Qt::AlignHCenter},
        {3, 0, Qt::AlignRight, true, Qt::AlignLeft},
        {4, 2, Qt::AlignHCenter, true, Qt::AlignLeft},
    };
    for (const auto &[column, firstColumnAlign, format, shortened, horizontal] : cases) {
        SCOPED_TRACE("column " + std::to_string(column) + " align " +
                     std::to_string(firstColumnAlign));
        EXPECT_EQ(ListRowDelegate::TextAlignment(column, firstColumnAlign, format, shortened),
                  horizontal | Qt::AlignVCenter);
    }
    // Insets: 2 pixels in column 0, 6 elsewhere; a 0-wide cell's text starts 6 pixels in.
    EXPECT_EQ(ListRowDelegate::TextRect({10, 5, 100, 20}, 0), QRect(12, 5, 96, 20));
    EXPECT_EQ(ListRowDelegate::TextRect({10, 5, 100, 20}, 1), QRect(16, 5, 88, 20));
    EXPECT_EQ(ListRowDelegate::TextRect({50, 0, 0, 18}, 1), QRect(56, 0, 0, 18));
}
