#include "platform/IniFile.h"
#include "platform/Paths.h"

#include "support/TempHome.h"

#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::TempHome;

namespace {

const char* kFixture =
    "[GEODETIC_PARAMETERS]\r\n"
    "Offset A        =12.5\r\n"
    "Hex=0x1F\r\n"
    "Dollar=$1F\r\n"
    "Word=abc\r\n"
    "Comma=1,5\r\n"
    "Float=1.5\r\n"
    "True=true\r\n"
    "Seven=7\r\n"
    "Zero=0\r\n"
    "Neg=-16777201\r\n"
    "Quoted=\"  two words  \"\r\n"
    "Dup=first\r\n"
    "Dup=second\r\n"
    "Turkish=\xC7\xFD\xF0\xFE\xDD\r\n"
    "  [  Padded Section  ]  \r\n"
    "Key=value\r\n";

} // namespace

TEST(IniFile, ReadRulesTable)
{
    TempHome home;
    for (std::string eol : {"\r\n", "\n"}) {
        std::string text = kFixture;
        if (eol == "\n") {
            std::string lf;
            for (char c : text)
                if (c != '\r') lf += c;
            text = lf;
        }
        home.writeFile("s.ini", text);
        IniFile ini(home.path("s.ini"));
        const char* S = "geodetic_parameters";
        EXPECT_EQ(ini.readString(S, "offset a", "-"), "12.5") << "padded key read bare, any case";
        EXPECT_EQ(ini.readFloat(S, "OFFSET A", 0), 12.5);
        EXPECT_EQ(ini.readInteger(S, "Hex", 0), 31);
        EXPECT_EQ(ini.readInteger(S, "Dollar", 0), 31);
        EXPECT_EQ(ini.readInteger(S, "Word", 42), 42);
        EXPECT_EQ(ini.readFloat(S, "Comma", 9.0), 9.0) << "a decimal comma is not a number";
        EXPECT_EQ(ini.readFloat(S, "Float", 0), 1.5);
        EXPECT_EQ(ini.readBool(S, "True", false), false) << "\"true\" gives the default";
        EXPECT_EQ(ini.readBool(S, "Seven", false), true);
        EXPECT_EQ(ini.readBool(S, "Zero", true), false);
        EXPECT_EQ(ini.readInteger(S, "Neg", 0), -16777201) << "system colour numbers are negative";
        EXPECT_EQ(ini.readString(S, "Quoted", ""), "  two words  ");
        EXPECT_EQ(ini.readString(S, "Dup", ""), "first");
        EXPECT_EQ(ini.readString(S, "Turkish", ""), "\xC7\xFD\xF0\xFE\xDD") << "8-bit bytes kept";
        EXPECT_EQ(ini.readString("padded section", "key", ""), "value");
        EXPECT_EQ(ini.readString(S, "Missing", "dflt"), "dflt");
        EXPECT_EQ(ini.readString("NoSection", "Key", "dflt"), "dflt");
        EXPECT_TRUE(ini.valueExists(S, "hex"));
        EXPECT_TRUE(ini.sectionExists("Padded Section"));
    }
}

TEST(IniFile, ReadingNeverCreatesTheFile)
{
    TempHome home;
    {
        IniFile ini(home.path("none.ini"));
        EXPECT_EQ(ini.readInteger("A", "B", 5), 5);
    }
    EXPECT_FALSE(fileExists(home.path("none.ini")));
}

TEST(IniFile, WritesKeepOtherSectionsAndBytes)
{
    TempHome home;
    home.writeFile("s.ini", kFixture);
    {
        IniFile ini(home.path("s.ini"));
        ini.writeString("GEODETIC_PARAMETERS", "offset a", "7");
        ini.writeInteger("NEW_SECTION", "Count", 3);
        ini.writeFloat("NEW_SECTION", "Draft", 0.25);
        ini.writeBool("NEW_SECTION", "On", true);
        EXPECT_EQ(ini.readInteger("new_section", "count", 0), 3) << "a session reads its own writes";
    }
    IniFile again(home.path("s.ini"));
    EXPECT_EQ(again.readString("GEODETIC_PARAMETERS", "Offset A", ""), "7");
    EXPECT_EQ(again.readString("GEODETIC_PARAMETERS", "Turkish", ""), "\xC7\xFD\xF0\xFE\xDD");
    EXPECT_EQ(again.readString("Padded Section", "Key", ""), "value");
    EXPECT_EQ(again.readFloat("NEW_SECTION", "Draft", 0), 0.25);
    EXPECT_EQ(again.readString("NEW_SECTION", "On", ""), "1");
    const std::string bytes = home.readFile("s.ini");
    EXPECT_NE(bytes.find("[NEW_SECTION]\r\nCount=3\r\n"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find("Dup=second"), bytes.rfind("Dup=second")) << "other lines untouched";
}

TEST(IniFile, FirstWriteCreatesOneSection)
{
    TempHome home;
    { IniFile(home.path("n.ini")).writeInteger("FNav", "Left", 10); }
    EXPECT_EQ(home.readFile("n.ini"), "[FNav]\r\nLeft=10\r\n");
}

TEST(IniFile, NestedSessionsLoseNothing)
{
    TempHome home;
    const std::string path = home.path("nested.ini");
    {
        IniFile outer(path);
        outer.writeString("LOCK SETTINGS", "Locked", "1");
        {
            IniFile inner(path);
            inner.writeString("VESSEL_SHAPE", "BArrow", "100");
        }
        outer.writeString("LOCK SETTINGS", "Password", "x");
    }
    IniFile check(path);
    EXPECT_EQ(check.readString("LOCK SETTINGS", "Locked", ""), "1");
    EXPECT_EQ(check.readString("LOCK SETTINGS", "Password", ""), "x");
    EXPECT_EQ(check.readString("VESSEL_SHAPE", "BArrow", ""), "100");
}

TEST(IniFile, EraseAndDelete)
{
    TempHome home;
    home.writeFile("e.ini", "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    {
        IniFile ini(home.path("e.ini"));
        ini.deleteKey("a", "X");
        ini.eraseSection("b");
    }
    EXPECT_EQ(home.readFile("e.ini"), "[A]\r\ny=2\r\n");
}
