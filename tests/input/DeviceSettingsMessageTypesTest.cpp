// The echosounder message types: each type's own scan format must read the values its lines
// carry, so a fresh install (default type with its default format) takes its depths at once.
// The formats are fixed built-in texts, so glibc's sscanf may check them here.
#include "input/DeviceSettings.h"
#include "input/SounderMessageType.h"
#include "platform/IniFile.h"
#include "platform/ScanFormat.h"

#include "support/MissingPeer.h"
#include "support/TempHome.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

using namespace vsx;

namespace {

struct Scan {
    int count = 0;
    double v[2] = {0, 0};
};

// Applies a built-in format to a line; the formats hold at most two %lf conversions.
Scan scan(std::string_view format, const std::string& line)
{
    Scan s;
    const std::string f(format);
    s.count = std::sscanf(line.c_str(), f.c_str(), &s.v[0], &s.v[1]);
    if (s.count < 0) s.count = 0;
    return s;
}

struct Case {
    const char* type;
    const char* line;
    int values;
    double first, second;
    LowFrequencyBoxAction box;
};

// Lines as the sounders send them (the DBT line is from a real recording).
const Case kCases[] = {
    {"Veldor SMT", "$PVLDSMT,12.34,12.61", 2, 12.34, 12.61, LowFrequencyBoxAction::Hidden},
    {"NMEA DPT", "$SDDPT,10.50,0.50*6F", 1, 10.50, 0, LowFrequencyBoxAction::Hidden},
    {"NMEA DBT", "$SDDBT,7.7,f,2.3,M,1.3,F*05", 1, 2.3, 0, LowFrequencyBoxAction::Hidden},
    {"Veldor XDR HI", "$PVLXDHI,23.45,$PVLXDLO,24.10", 1, 23.45, 0, LowFrequencyBoxAction::Hidden},
    {"Veldor XDR LO", "$PVLXDHI,23.45,$PVLXDLO,24.10", 1, 24.10, 0, LowFrequencyBoxAction::Shown},
    {"Veldor XDR H/L", "$PVLXDHI,23.45,$PVLXDLO,24.10", 2, 23.45, 24.10, LowFrequencyBoxAction::Shown},
    {"ODC HI", "$SDODC,093015.20,B,0001.2,0002.3,00003.456,8.75", 1, 8.75, 0, LowFrequencyBoxAction::Hidden},
};

} // namespace

TEST(DeviceSettingsMessageTypes, EachTypeReadsItsSentenceWithItsDefaultFormat)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.type);
        const SounderMessageType* t = findSounderMessageType(c.type);
        ASSERT_NE(t, nullptr);
        EXPECT_TRUE(sounderLineHasTags(*t, c.line));
        EXPECT_EQ(t->lowFrequencyBox, c.box);
        const Scan s = scan(t->scanFormat, c.line);
        EXPECT_EQ(s.count, c.values);
        EXPECT_GE(s.count, t->valuesRequired) << "a line of its own type would be corrupt";
        EXPECT_DOUBLE_EQ(s.v[0], c.first);
        if (c.values == 2) {
            EXPECT_DOUBLE_EQ(s.v[1], c.second);
        }
        // The program's own interpreter reads the built-in format as the C library does.
        const std::optional<ScanFormat> own = ScanFormat::compile(t->scanFormat);
        ASSERT_TRUE(own.has_value());
        double v[2] = {0, 0};
        EXPECT_EQ(own->scan(c.line, v, 2), s.count);
        EXPECT_DOUBLE_EQ(v[0], s.v[0]);
        EXPECT_DOUBLE_EQ(v[1], s.v[1]);
    }
}

TEST(DeviceSettingsMessageTypes, TableOrderLookupAndTags)
{
    std::vector<std::string_view> texts;
    for (const SounderMessageType& t : sounderMessageTypes()) texts.push_back(t.text);
    EXPECT_EQ(texts, (std::vector<std::string_view>{"Veldor SMT", "NMEA DPT", "NMEA DBT", "Veldor XDR HI",
                                                     "Veldor XDR LO", "Veldor XDR H/L", "ODC HI", "OTHER"}));
    EXPECT_EQ(findSounderMessageType("Veldor xdr lo"), nullptr) << "types compare with case";
    EXPECT_EQ(findSounderMessageType(" NMEA DPT"), nullptr);
    EXPECT_EQ(scanFormatForSounderType("OTHER"), "");
    EXPECT_EQ(findSounderMessageType("OTHER")->lowFrequencyBox, LowFrequencyBoxAction::Unchanged);

    // An XDR LO line must carry both tags; other sentences are not taken for it.
    const SounderMessageType& lo = *findSounderMessageType("Veldor XDR LO");
    EXPECT_FALSE(sounderLineHasTags(lo, "$PVLXDHI,23.45"));
    EXPECT_FALSE(sounderLineHasTags(*findSounderMessageType("NMEA DPT"), "$SDDBT,7.7,f,2.3,M,1.3,F*05"));
    EXPECT_FALSE(sounderLineHasTags(*findSounderMessageType("Veldor SMT"), "$pvldsmt,1,2")) << "tags with case";
    EXPECT_TRUE(sounderLineHasTags(*findSounderMessageType("OTHER"), "anything"));
}

TEST(DeviceSettingsMessageTypes, FreshInstallPairsTheDefaultTypeWithItsFormat)
{
    vsx::test::TempHome home;
    DeviceSettings fresh;
    {
        IniFile ini(home.iniPath());
        fresh.loadDeviceSections(ini);
    }
    EXPECT_EQ(fresh.sounderMessageText(), "Veldor SMT");
    EXPECT_EQ(fresh.sounderScanFormat(), "%*8s,%lf,%lf");
    EXPECT_EQ(scan(fresh.sounderScanFormat(), "$PVLDSMT,12.34,12.61").count, 2);
    // The format a fresh install used to start with reads one value only: every line corrupt.
    EXPECT_EQ(scan("%*8s,%lf", "$PVLDSMT,12.34,12.61").count, 1);

    // A stored type without a stored format gets the type's own format.
    home.writeFile("appdata/Veldor/VSX/VeldorSX.ini", "[SENSOR COMUNICATION SETTINGS]\r\ncSBESMessage=NMEA DBT\r\n");
    DeviceSettings dbt;
    {
        IniFile ini(home.iniPath());
        dbt.loadDeviceSections(ini);
    }
    EXPECT_EQ(dbt.sounderScanFormat(), "%*6s,%*lf,%*1s,%lf");
}

TEST(DeviceSettingsMessageTypes, RecordedSounderLinesAllScan)
{
    const std::string folder = vsx::test::sharedDataFolder();
    if (folder.empty()) VSX_SKIP_MISSING() << "shared recordings not found";
    std::ifstream in(folder + "nmea/sounder.log");
    ASSERT_TRUE(in);
    const SounderMessageType& dbt = *findSounderMessageType("NMEA DBT");
    int lines = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!sounderLineHasTags(dbt, line)) continue;
        ++lines;
        const Scan s = scan(dbt.scanFormat, line);
        ASSERT_EQ(s.count, 1) << line;
        // The depth in metres is the third field after the address.
        size_t at = 0;
        for (int comma = 0; comma < 3; ++comma) at = line.find(',', at) + 1;
        EXPECT_DOUBLE_EQ(s.v[0], std::stod(line.substr(at, line.find(',', at) - at))) << line;
    }
    EXPECT_GT(lines, 100);
}
