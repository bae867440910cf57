#include "platform/ScanFormat.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace vsx;

// Our interpreter against glibc sscanf on formats that are safe to hand to sscanf with double
// outputs (every stored conversion is %lf).
TEST(ScanFormat, AgreesWithSscanfOnSafeFormats)
{
    struct Case { const char* format; const char* input; };
    const Case cases[] = {
        {"$SDDPT,%lf", "$SDDPT,12.34,0.5*6A"},
        {"$SDDBT,%*[^,],f,%lf,M", "$SDDBT,40.5,f,12.3,M,6.7,F*2C"},
        {"$SDDBT,%*[^,],f,%lf,M", "$SDDBT,,f,12.3,M,6.7,F*2C"},
        {"%*[^,],%lf,%lf", "$PSMT,10.25,12.6"},
        {"%*[^,],%lf,%lf", "$PSMT,10.25"},
        {"%*[^,],%lf,%lf", "$PSMT,,12.6"},
        {" %lf %lf", "   3.5\t-2e2 rest"},
        {"%lf", "  -0.00011"},
        {"%lf", "abc"},
        {"%lf", ""},
        {"%4lf%lf", "123456.5"},
        {"DEPTH=%lf m", "DEPTH=  7.25 m"},
        {"DEPTH=%lf m", "DEPTH:7.25 m"},
        {"%*s %lf", "XDHI 14.2"},
        {"%*5c%lf", "XDHI,14.2"},
        {"%%%lf", "%15.5"},
        {"%*d,%lf", "17,3.25"},
        {"%lf,%lf,%lf", "1.,.5,+7"},
        {"%lf", "1e5x"},
        {"%lf", "1e+"},
        {"%*[0-9],%lf", "123,4.5"},
    };
    for (const auto& c : cases) {
        std::string err;
        auto fmt = ScanFormat::compile(c.format, &err);
        ASSERT_TRUE(fmt) << c.format << ": " << err;
        double ours[3] = {-1, -1, -1}, theirs[3] = {-1, -1, -1};
        const int n = fmt->scan(c.input, ours, 3);
        int m = std::sscanf(c.input, c.format, &theirs[0], &theirs[1], &theirs[2]);
        if (m < 0) m = 0;
        EXPECT_EQ(n, m) << c.format << " on \"" << c.input << "\"";
        for (int i = 0; i < std::min(n, m); ++i) EXPECT_DOUBLE_EQ(ours[i], theirs[i]) << c.format << " #" << i;
    }
}

TEST(ScanFormat, SkippedNumberOverAnEmptyFieldMatchesNothing)
{
    // Where scanf stops at an empty field, a skipped number asked to lets the scan go on; a
    // stored one still needs digits.
    struct Case {
        const char* format;
        const char* input;
        int count;
        double first;
    };
    const Case cases[] = {
        {"%*6s,%*lf,%*1s,%lf", "$SDDBT,,f,12.3,M,,F*36", 1, 12.3},
        {"%*6s,%*lf,%*1s,%lf", "$SDDBT,40.4,f,12.3,M,,F", 1, 12.3},
        {"%*d,%*lf,%lf", ",,7.5", 1, 7.5},
        {"%*lf;%lf", "x;7.5", 0, 0},   // not empty: a field that is no number still stops
        {"%*lf,%lf", "-,7.5", 0, 0},   // a sign alone is no empty field
        {"%*lf", "", 0, 0},
        {"%lf,%lf", ",7.5", 0, 0},      // a stored number over an empty field stops as in scanf
    };
    for (const auto& c : cases) {
        auto fmt = ScanFormat::compile(c.format);
        ASSERT_TRUE(fmt) << c.format;
        double v[2] = {0, 0};
        EXPECT_EQ(fmt->scan(c.input, v, 2, ScanFormat::EmptyFields::SkippedMayBeEmpty), c.count)
            << c.format << " on \"" << c.input << "\"";
        EXPECT_DOUBLE_EQ(v[0], c.first) << c.format << " on \"" << c.input << "\"";
    }
    // Unasked, scanf's rule holds: an empty GGA is told by where the scan stops.
    auto gga = ScanFormat::compile("%*6s,%lf,%*lf,%*1s,%*lf,%*1s,%d");
    double v[2] = {0, 0};
    EXPECT_EQ(gga->scan("$GPGGA,235959.87,,,,,0,00,99.9,,,,,,*66", v, 2), 1);
}

TEST(ScanFormat, IntegersAndFloatsStoreAsNumbers)
{
    auto fmt = ScanFormat::compile("%d:%f");
    ASSERT_TRUE(fmt);
    double v[2] = {};
    EXPECT_EQ(fmt->scan("42:2.5", v, 2), 2);
    EXPECT_EQ(v[0], 42);
    EXPECT_EQ(v[1], 2.5);
    EXPECT_EQ(fmt->numericConversions(), 2);
    EXPECT_EQ(fmt->scan("42:2.5", v, 1), 1) << "never writes past the outputs";
}

TEST(ScanFormat, NotANumberIsNotADepth)
{
    auto fmt = ScanFormat::compile("$SDDPT,%lf");
    double v = 0;
    EXPECT_EQ(fmt->scan("$SDDPT,nan", &v, 1), 0);
    EXPECT_EQ(fmt->scan("$SDDPT,inf", &v, 1), 0);
}

TEST(ScanFormat, UnsafeFormatsAreRejectedWithAReason)
{
    for (const char* bad : {"%s", "%n", "%p", "%x", "%ld", "%10c", "%[abc", "%", "$SDDPT,%lf%q", "%ls"}) {
        std::string err;
        EXPECT_FALSE(ScanFormat::compile(bad, &err)) << bad;
        EXPECT_FALSE(err.empty()) << bad;
    }
}
