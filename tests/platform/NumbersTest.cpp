#include "platform/Numbers.h"
#include "support/MissingPeer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace vsx;

TEST(Numbers, FormatFixedRoundsHalfAwayFromZeroOnDecimalDigits)
{
    struct Case { double v; int d; const char* want; };
    const Case cases[] = {
        {0.125, 2, "0.13"}, {2.5, 0, "3"}, {-2.5, 0, "-3"}, {2.675, 2, "2.68"}, {1.005, 2, "1.01"},
        {0.0, 3, "0.000"}, {-0.0004, 3, "0.000"}, {-0.0005, 3, "-0.001"}, {9.995, 2, "10.00"},
        {999.5, 0, "1000"}, {4123456.789, 3, "4123456.789"}, {1e-7, 2, "0.00"}, {0.05, 1, "0.1"},
        {123.0, 2, "123.00"}, {1e20, 1, "100000000000000000000.0"}, {41.0251234567, 8, "41.02512346"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatFixed(c.v, c.d), c.want) << c.v << " / " << c.d;
}

TEST(Numbers, ParsingIsStrictAndLocaleFree)
{
    EXPECT_EQ(parseInteger("0x1F"), 31);
    EXPECT_EQ(parseInteger("$1F"), 31);
    EXPECT_EQ(parseInteger(" -12 "), -12);
    EXPECT_EQ(parseInteger("$FFFFFFFF"), -1);
    for (const char* bad : {"", "abc", "1.5", "12a", "0x", "$", "--1", "true"}) EXPECT_FALSE(parseInteger(bad)) << bad;
    EXPECT_EQ(parseDouble("1.5"), 1.5);
    EXPECT_EQ(parseDouble("-2e3"), -2000.0);
    for (const char* bad : {"", "1,5", "nan", "inf", "1.5.1", "abc", "1e999"}) EXPECT_FALSE(parseDouble(bad)) << bad;
    EXPECT_THROW(strToFloat("1,5"), ConversionError);
    EXPECT_EQ(strToIntDef("abc", 40), 40);
}

TEST(Numbers, GeneralFormat)
{
    EXPECT_EQ(formatGeneral(0.1), "0.1");
    EXPECT_EQ(formatGeneral(1500), "1500");
    EXPECT_EQ(formatGeneral(-3.25), "-3.25");
    EXPECT_EQ(formatGeneral(1e20), "1E20");
    EXPECT_EQ(formatPadded(5, 2), "05");
}

// The same answers whatever the process locale says (CTest runs this binary once under tr_TR).
TEST(Numbers, LocaleDoesNotLeakIn)
{
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_ALL, "tr_TR.UTF-8")) {
        EXPECT_EQ(formatFixed(1234.5678, 2), "1234.57");
        EXPECT_EQ(parseDouble("3.25"), 3.25);
        EXPECT_FALSE(parseDouble("3,25"));
    } else {
        VSX_SKIP_MISSING() << "tr_TR.UTF-8 locale not installed";
    }
    std::setlocale(LC_ALL, saved.c_str());
}
