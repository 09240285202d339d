// The date code: the year's last two digits and the week of the year, and the set day
// that tests use.

#include <gtest/gtest.h>

#include "sequences/DateCode.h"

namespace {

TEST(DateCodeTest, YearAndWeekOfTheDay) {
    EXPECT_EQ(MakeDateCode({2011, 0}), "1101");    // 1 January
    EXPECT_EQ(MakeDateCode({2011, 6}), "1101");    // 7 January
    EXPECT_EQ(MakeDateCode({2011, 7}), "1102");    // 8 January
    EXPECT_EQ(MakeDateCode({2011, 364}), "1153");  // 31 December
    EXPECT_EQ(MakeDateCode({2012, 365}), "1253");  // 31 December of a leap year
    EXPECT_EQ(MakeDateCode({2000, 100}), "0015");
    EXPECT_EQ(MakeDateCode({1999, 0}), "9901");
    EXPECT_EQ(MakeDateCode({2100, 0}), "0001");  // still four digits
}

TEST(DateCodeTest, SetDayHoldsForItsScopeOnly) {
    const CScopedToday outer({2011, 44});
    {
        const CScopedToday inner({2020, 1});
        EXPECT_EQ(MakeDateCode(Today()), "2001");
    }
    EXPECT_EQ(MakeDateCode(Today()), "1107");
}

}  // namespace
