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
