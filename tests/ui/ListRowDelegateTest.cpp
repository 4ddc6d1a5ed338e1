#include "ui/ListRowDelegate.h"

#include <gtest/gtest.h>

TEST(ListRowDelegateTest, FitTextKeepsTheLongestPrefixThatFitsWithItsAllowance)
{
    // Every character 10 pixels wide, so "..." is 30.
    const auto tenPerChar = [](QStringView text) { return int(text.size()) * 10; };
    const QString long300(300, u'a');
    const struct
    {
        QString text;
        int width, allowance;
        QString drawn;
        bool shortened;
    } cases[] = {
        {u""_qs, 0, 12, u""_qs, false},
        {u"abc"_qs, 34, 4, u"abc"_qs, false},      // 30 + 4 fits exactly
        {u"abc"_qs, 33, 4, u"a..."_qs, true},      // no prefix fits: the first character stays
        {u"abcdef"_qs, 71, 12, u"ab..."_qs, true}, // 20 + 12 + 30 <= 71 < 30 + 12 + 30
        {u"abcdefgh"_qs, 70, 4, u"abc..."_qs, true},
        {u"x"_qs, 0, 12, u"x..."_qs, true},               // a 0-wide column
        {long300, 100000, 12, QString(259, u'a'), false}, // only 259 characters are drawn
        {long300, 100, 12, u"aaaaa..."_qs, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.left(20).toStdString() + " in " + std::to_string(c.width));
        const auto fitted = ListRowDelegate::FitText(c.text, c.width, c.allowance, tenPerChar);
        EXPECT_EQ(fitted.text, c.drawn);
        EXPECT_EQ(fitted.shortened, c.shortened);
    }
}

TEST(ListRowDelegateTest, ColumnZeroFollowsTheListOthersTheirFormatUntilShortened)
{
    const struct
    {
        int column, firstColumnAlign;
        Qt::Alignment format;
        bool shortened;
        Qt::Alignment horizontal;
    } cases[] = {
        {0, 0, Qt::AlignRight, false, Qt::AlignLeft},
        {0, 1, Qt::AlignLeft, false, Qt::AlignRight},
        {0, 2, Qt::AlignLeft, true, Qt::AlignHCenter}, // column 0 keeps its setting when cut
        {0, 7, Qt::AlignRight, false, Qt::AlignLeft},
        {1, 1, Qt::AlignRight, false, Qt::AlignRight},
        {1, 0, Qt::AlignHCenter, false, Qt::AlignHCenter},
        {3, 0, Qt::AlignRight, true, Qt::AlignLeft},
        {4, 2, Qt::AlignHCenter, true, Qt::AlignLeft},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("column " + std::to_string(c.column) + " align " +
                     std::to_string(c.firstColumnAlign));
        EXPECT_EQ(
            ListRowDelegate::TextAlignment(c.column, c.firstColumnAlign, c.format, c.shortened),
            c.horizontal | Qt::AlignVCenter);
    }
    // Insets: 2 pixels in column 0, 6 elsewhere; a 0-wide cell's text starts 6 pixels in.
    EXPECT_EQ(ListRowDelegate::TextRect({10, 5, 100, 20}, 0), QRect(12, 5, 96, 20));
    EXPECT_EQ(ListRowDelegate::TextRect({10, 5, 100, 20}, 1), QRect(16, 5, 88, 20));
    EXPECT_EQ(ListRowDelegate::TextRect({50, 0, 0, 18}, 1), QRect(56, 0, 0, 18));
}
