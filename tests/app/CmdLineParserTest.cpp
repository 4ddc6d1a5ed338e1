#include "app/CmdLineParser.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

// Each line is split into its arguments and tells whether to start minimised.
// One parser reads every line, so each result must replace the one before.
TEST(CmdLineParser, SplitsLinesAndFindsTheMinimizeOption)
{
    const std::tuple<QString, QStringList, bool> cases[] = {
        {u"orva -minimize"_qs, {u"orva"_qs, u"-minimize"_qs}, true},
        {u"orva -MINIMIZE"_qs, {u"orva"_qs, u"-MINIMIZE"_qs}, true},
        {u"orva -minimize --minimize"_qs, {u"orva"_qs, u"-minimize"_qs, u"--minimize"_qs}, false},
        {u"orva --Minimize x -Minimize"_qs,
         {u"orva"_qs, u"--Minimize"_qs, u"x"_qs, u"-Minimize"_qs},
         true},
        {u"orva \"-minimize\""_qs, {u"orva"_qs, u"-minimize"_qs}, true},
        {u"-minimize"_qs, {u"-minimize"_qs}, false}, // argument 0 is the program
        {u"\"/opt/my orva/orva\"  \"open end"_qs, {u"/opt/my orva/orva"_qs, u"open end"_qs}, false},
        {u"orva \"\" x \""_qs, {u"orva"_qs, QString(), u"x"_qs, QString()}, false},
        {u"orva\t-minimize"_qs, {u"orva\t-minimize"_qs}, false},
        {u"orva -minimize\t"_qs, {u"orva"_qs, u"-minimize\t"_qs}, false},
        {u"orva ab\"cd ef\""_qs, {u"orva"_qs, u"ab\"cd"_qs, u"ef\""_qs}, false},
        {u"orva \"ab\"cd"_qs, {u"orva"_qs, u"ab"_qs, u"cd"_qs}, false},
        {u"   "_qs, {}, false},
    };
    CmdLineParser parser;
    for (const auto &[line, arguments, minimize] : cases) {
        SCOPED_TRACE(line.toStdString());
        parser.Parse(line);
        EXPECT_EQ(parser.arguments(), arguments);
        EXPECT_EQ(parser.count(), arguments.size());
        EXPECT_EQ(parser.minimizeRequested(), minimize);
        // What the program is given survives the trip through one line.
        if (!arguments.isEmpty()) {
            parser.Parse(CmdLineParser::Join(arguments));
            EXPECT_EQ(parser.arguments(), arguments);
        }
    }
}
