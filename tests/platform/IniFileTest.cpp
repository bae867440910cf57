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

// What the program and the surveyor's editors write is whole, in either line end and in
// Windows-1254 or UTF-8 text; control bytes, lines of no settings form and a last line without
// its line end are not, and only the lines that can be read are kept.
TEST(IniFile, DamagedTextIsToldFromAWholeOne)
{
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string bytes;
        IniDamage damage;
        int line;
        std::string readable;  // for damaged text only
    };
    const std::string fixtureLf = [] {
        std::string lf;
        for (char c : std::string(kFixture))
            if (c != '\r') lf += c;
        return lf;
    }();
    const Case cases[] = {
        {"missing or empty (a first start)", "", IniDamage::None, 0, ""},
        {"as the program writes it", kFixture, IniDamage::None, 0, ""},
        {"LF line ends", fixtureLf, IniDamage::None, 0, ""},
        {"comments, blanks, tabs, an entry before any section, UTF-8 text",
         "; written by hand\r\n\r\n# note\r\nloose=1\r\n\t\r\n[SETTINGS]\r\nName\t= \xC5\x9Eile\r\n", IniDamage::None, 0, ""},
        {"a NUL byte", "[A]\r\nx=1\r\ny=\0\r\nz=3\r\n"s, IniDamage::NotText, 3, "[A]\r\nx=1\r\nz=3\r\n"},
        {"a lone CR (old Mac line ends)", "[A]\rx=1\r\n", IniDamage::NotText, 1, ""},
        {"a line that is no settings line", "[A]\r\nx=1\r\nrandom words\r\n[B]\r\ny=2\r\n", IniDamage::NotIniLine, 3,
         "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"an entry without a key", "[A]\r\n=1\r\n", IniDamage::NotIniLine, 2, "[A]\r\n"},
        {"a section never closed", "[A\r\nx=1\r\n", IniDamage::NotIniLine, 1, "x=1\r\n"},
        {"cut off in a value", "[ECHOSOUNDER_OFFSETS]\r\nOffset A     =0.5\r\nSV           =14",
         IniDamage::CutOff, 3, "[ECHOSOUNDER_OFFSETS]\r\nOffset A     =0.5\r\n"},
        {"cut off after a section line", "[A]\r\nx=1\r\n[B]", IniDamage::CutOff, 3, "[A]\r\nx=1\r\n"},
        {"the first fault is the one named", "[A]\r\nno form\r\n\x01\x02\r\n", IniDamage::NotIniLine, 2, "[A]\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IniTextCheck check = checkIniText(c.bytes);
        EXPECT_EQ(check.damage, c.damage);
        EXPECT_EQ(check.line, c.line);
        if (c.damage == IniDamage::None) EXPECT_TRUE(check.whole());
        else EXPECT_EQ(check.readable, c.readable);
    }
}

TEST(IniFile, DamagedFileIsCopiedAsideThenCutToItsReadableLines)
{
    TempHome home;
    const std::string path = home.path("VeldorSX.ini");
    EXPECT_FALSE(keepDamagedIniFile(path, "2024-05-01 134501123")) << "no file";
    home.writeFile("VeldorSX.ini", kFixture);
    EXPECT_FALSE(keepDamagedIniFile(path, "2024-05-01 134501123")) << "a whole file is left as it is";
    EXPECT_EQ(home.readFile("VeldorSX.ini"), kFixture);

    std::string garbage = "[FNav]\r\nLeft=10\r\n";
    for (int i = 0; i < 300; ++i) garbage += char((i * 37 + 11) % 256);
    garbage += "\r\n[OVERLAY_SETTINGS]\r\nFontSize=12\r\nDepthColor=1";
    home.writeFile("VeldorSX.ini", garbage);
    const auto kept = keepDamagedIniFile(path, "2024-05-01 134501123");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->copyPath, path + ".damaged-2024-05-01 134501123");
    EXPECT_EQ(kept->error, "");
    EXPECT_EQ(home.readFile("VeldorSX.ini.damaged-2024-05-01 134501123"), garbage) << "the copy is byte for byte";
    EXPECT_EQ(home.readFile("VeldorSX.ini"), kept->check.readable);
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("FNav", "Left", 0), 10);
    EXPECT_EQ(ini.readInteger("OVERLAY_SETTINGS", "FontSize", 40), 12);
    EXPECT_EQ(ini.readInteger("OVERLAY_SETTINGS", "DepthColor", 8388608), 8388608) << "the cut line is left out";
    EXPECT_FALSE(keepDamagedIniFile(path, "2024-05-01 134502000")) << "the next start finds it whole";

    // A copy of the same moment is never written over.
    home.writeFile("VeldorSX.ini", "\x01\r\n");
    const auto again = keepDamagedIniFile(path, "2024-05-01 134501123");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->copyPath, path + ".damaged-2024-05-01 134501123-2");
    EXPECT_EQ(home.readFile("VeldorSX.ini.damaged-2024-05-01 134501123"), garbage);
    EXPECT_EQ(home.readFile("VeldorSX.ini"), "");
}
