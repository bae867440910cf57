#include "app/TranslationManager.h"

#include "support/TempHome.h"

#include <fstream>
#include <gtest/gtest.h>

using namespace vsx;
using vsx::test::TempHome;

namespace {
const char* kTr = "\xEF\xBB\xBF{\n  \"Start\": \"Ba\xC5\x9Flat\",\n  \"Stop\": \"Durdur\",\n  \"Empty\": \"\",\n"
                  "  \"Halt\": \"Durdur\"\n}";
}

TEST(TranslationManager, TranslateTable)
{
    TempHome home;
    home.writeFile("lang/tr.json", kTr);
    TranslationManager tm(home.path("lang"));
    const std::string T = "Ba\xC5\x9Flat";
    EXPECT_EQ(tm.current(), "en");
    EXPECT_EQ(tm.Translate("Start"), "Start");
    EXPECT_EQ(tm.Translate(T), "Start") << "Turkish text maps back to its key in English";
    EXPECT_EQ(tm.Translate("Durdur"), "Stop") << "two keys with one text: the later key in order wins";
    tm.SetLanguage("tr");
    EXPECT_EQ(tm.Translate("Start"), T);
    EXPECT_EQ(tm.Translate(T), T);
    EXPECT_EQ(tm.Translate("Empty"), "Empty") << "an empty text counts as missing";
    EXPECT_EQ(tm.EditorTable("tr", "Empty"), "");
    EXPECT_EQ(tm.TranslateIfKnown("Start"), T);
    EXPECT_EQ(tm.TranslateIfKnown("Not ours"), "Not ours") << "and not recorded as missing";
    EXPECT_EQ(tm.KeyOf(T), "Start");
    EXPECT_EQ(tm.KeyOf("Stop"), "Stop") << "a key is its own key";
    EXPECT_EQ(tm.Translate("Unknown"), "Unknown");
    EXPECT_EQ(tm.Translate("Unknown"), "Unknown");
    EXPECT_EQ(tm.Translate("Line one\nline two"), "Line one\nline two");
    EXPECT_EQ(tm.Translate("Line one\nline two"), "Line one\nline two");
    TranslationManager again(home.path("lang"));
    again.SetLanguage("tr");
    again.Translate("Unknown");
    again.Translate("Line one\nline two");
    EXPECT_EQ(home.readFile("lang/missing.log"), "Empty\r\nUnknown\r\nLine one\\nline two\r\n")
        << "each key once, also across runs and with line breaks";
}

TEST(TranslationManager, LanguageSwitchingAndCodes)
{
    TempHome home;
    TranslationManager empty(home.path("empty"));
    EXPECT_EQ(empty.codes(), (std::vector<std::string>{"en", "tr"}));

    home.writeFile("lang/tr.json", kTr);
    home.writeFile("lang/uz.json", "{\"Start\": \"Boshlash\"}");
    TranslationManager tm(home.path("lang"));
    EXPECT_EQ(tm.codes(), (std::vector<std::string>{"tr", "uz", "en"}));
    tm.SetLanguage("tr");
    tm.SetLanguage("en");
    EXPECT_EQ(tm.Translate("Ba\xC5\x9Flat"), "Start") << "English keeps the Turkish table";
    home.writeFile("lang/tr.json", "{\"Start\": \"Yeni\"}");
    tm.SetLanguage("tr");
    EXPECT_EQ(tm.Translate("Start"), "Yeni") << "switching back reloads from the file";
}

TEST(TranslationManager, EditorSaveIsByteExact)
{
    TempHome home;
    const std::string fixture = "\xEF\xBB\xBF{\n  \"A \\\"quoted\\\" \\\\ tab\\t\": \"\xC4\x9F\xC3\xBC\xC5\x9F\xC4\xB1\xC3\xB6\xC3\xA7\xC4\xB0\",\n"
                                "  \"Two\\nlines\": \"x\"\n}";
    home.writeFile("lang/tr.json", fixture);
    TranslationManager tm(home.path("lang"));
    tm.SaveLanguage("tr");
    EXPECT_EQ(home.readFile("lang/tr.json"), fixture);
    tm.SaveLanguage("en");
    EXPECT_FALSE(std::ifstream(home.path("lang/en.json")).good());

    tm.SetLanguage("tr");
    tm.EditorSetEntry("tr", "Two\nlines", "yeni");
    tm.SetLanguage("en");
    EXPECT_EQ(tm.Translate("yeni"), "Two\nlines") << "an edited text maps back to its key";
    tm.EditorSetEntry("uz", "Start", "Boshlash");
    tm.SaveLanguage("uz");
    EXPECT_EQ(TranslationManager::LoadLanguageFile(home.path("lang/uz.json")).at("Start"), "Boshlash");
    home.writeFile("lang/bad.json", "{not json");
    EXPECT_TRUE(TranslationManager::LoadLanguageFile(home.path("lang/bad.json")).empty());
}
