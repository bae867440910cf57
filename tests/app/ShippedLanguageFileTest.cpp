// The Turkish language file the program ships: in the file format the translation editor
// writes, every text usable where its key is used, and a text for every message the program's
// code hands to the translation manager.
#include "app/TranslationManager.h"

#include <QRegularExpression>
#include <QString>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

using namespace vsx;

namespace {

const std::string kSource = VSX_SOURCE_DIR;

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::string> shipped()
{
    return TranslationManager::LoadLanguageFile(kSource + "/languages/tr.json");
}

QStringList placeholders(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("%[1-9]"));
    QStringList found;
    for (const auto& m : re.globalMatch(s)) found << m.captured();
    found.sort();
    return found;
}

int mnemonics(QString s) { return int(s.remove(QStringLiteral("&&")).count('&')); }

} // namespace

TEST(ShippedLanguageFile, IsInTheEditorsFormatAndEveryTextFitsItsKey)
{
    const auto table = shipped();
    ASSERT_GT(table.size(), 300u);
    EXPECT_EQ(readAll(kSource + "/languages/tr.json"), TranslationManager::FormatLanguageFile(table))
        << "UTF-8 with BOM, keys sorted, 2-space indent: as the translation editor saves it";
    for (const auto& [key, text] : table) {
        const QString k = QString::fromStdString(key), t = QString::fromStdString(text);
        EXPECT_FALSE(t.isEmpty()) << key;
        EXPECT_EQ(placeholders(k), placeholders(t)) << key << " -> " << text;
        EXPECT_EQ(k.contains(QStringLiteral("&&")), t.contains(QStringLiteral("&&"))) << key << " -> " << text;
        EXPECT_EQ(mnemonics(k), mnemonics(t)) << key << " -> " << text;
        EXPECT_EQ(k.startsWith(' '), t.startsWith(' ')) << key;
        EXPECT_EQ(k.endsWith(' '), t.endsWith(' ')) << key;
        // A Turkish text that is another key would be taken for that key when it comes back.
        const auto other = table.find(text);
        if (text != key && other != table.end()) {
            EXPECT_EQ(other->second, text) << key << " -> " << text << " is the key of " << other->second;
        }
    }
}

// Messages are translated where they are shown, so the walk through the windows never meets
// them: every English text the code hands over as a key needs its Turkish text here.
TEST(ShippedLanguageFile, HoldsEveryMessageTheCodeTranslates)
{
    const auto table = shipped();
    static const QRegularExpression call(QStringLiteral(
        R"re((?:\btranslated|\btranslatedArgs|SetTranslatedText|SetTranslatedToolTip|setStatusPanelWords|reportDeviceEvent|\bsetStatus)\s*\(\s*(?:[\w>.\-\[\]]+\s*,\s*)?((?:"(?:[^"\\]|\\.)*"\s*)+)[,)])re"));
    static const QRegularExpression literal(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    std::set<std::string> missing;
    for (const char* folder : {"app", "canvas", "input", "nav", "tools", "program"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(kSource + "/" + folder)) {
            if (entry.path().extension() != ".cpp") continue;
            const QString code = QString::fromStdString(readAll(entry.path()));
            for (const auto& m : call.globalMatch(code)) {
                QString key;
                for (const auto& part : literal.globalMatch(m.captured(1))) key += part.captured(1);
                key.replace(QStringLiteral("\\\""), QStringLiteral("\"")).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
                if (!key.isEmpty() && !table.count(key.toStdString()))
                    missing.insert(entry.path().filename().string() + ": " + key.toStdString());
            }
        }
    }
    EXPECT_TRUE(missing.empty()) << [&] {
        std::string all;
        for (const std::string& m : missing) all += "\n  " + m;
        return all;
    }();
}
