#include "app/DataPath.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(DataPath, DropsLeadingSeparators)
{
    TempHome home;
    EXPECT_EQ(DataPath(QStringLiteral("Moxi.ini")), DataPath(QStringLiteral("\\Moxi.ini")));
    EXPECT_EQ(DataPath(QStringLiteral("Moxi.ini")), home.dataFolder() + QStringLiteral("/Moxi.ini"));
}
