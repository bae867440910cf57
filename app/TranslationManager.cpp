#include "app/TranslationManager.h"

#include "platform/AppendFile.h"
#include "platform/AtomicFile.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace vsx {

TranslationManager* Translator = nullptr;

namespace {

std::string chooseFolder(std::string folder)
{
    if (!folder.empty()) {
        folder = withTrailingSlash(folder);
        makeFolders(folder);
        return folder;
    }
    const std::string shipped = programFolder() + "Languages/";
    makeFolders(shipped);
    if (::access(shipped.c_str(), W_OK) == 0) return shipped;
    // Installed read-only: keep a per-user copy, seeded from the shipped files.
    const std::string own = appDataFolder() + "Veldor/VSX/Languages/";
    makeFolders(own);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(shipped, ec)) {
        const auto target = std::filesystem::path(own) / entry.path().filename();
        if (!std::filesystem::exists(target)) std::filesystem::copy_file(entry.path(), target, ec);
    }
    return own;
}

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                static const char* hex = "0123456789abcdef";
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

// missing.log holds one key per line; line breaks inside a key are written as "\n".
std::string escapeLine(const std::string& key)
{
    std::string out;
    for (char c : key) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

} // namespace

TranslationManager::TranslationManager(std::string languageFolder)
{
    folder_ = chooseFolder(std::move(languageFolder));
    ScanLanguages();
    current_ = "en";
    LoadLanguage("tr", table_);
    BuildReverseMap();
}

std::map<std::string, std::string> TranslationManager::LoadLanguageFile(const std::string& path)
{
    std::map<std::string, std::string> into;
    std::string bytes;
    if (!readFile(path, bytes)) return into;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    QJsonParseError err {};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) return into;
    const QJsonObject obj = doc.object();
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        const QJsonValue v = it.value();
        QString text;
        if (v.isString()) text = v.toString();
        else if (v.isDouble()) text = QString::number(v.toDouble());
        else if (v.isBool()) text = v.toBool() ? "true" : "false";
        else if (v.isObject()) text = QString::fromUtf8(QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact));
        else if (v.isArray()) text = QString::fromUtf8(QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact));
        into[it.key().toStdString()] = text.toStdString();
    }
    return into;
}

std::string TranslationManager::FormatLanguageFile(const std::map<std::string, std::string>& table)
{
    std::string out = "\xEF\xBB\xBF{";
    bool first = true;
    for (const auto& [key, text] : table) {
        out += first ? "\n" : ",\n";
        first = false;
        out += "  " + jsonString(key) + ": " + jsonString(text);
    }
    out += table.empty() ? "}" : "\n}";
    return out;
}

void TranslationManager::ScanLanguages()
{
    codes_.clear();
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
        const auto p = entry.path();
        if (equalsIgnoreCaseAscii(p.extension().string(), ".json")) names.push_back(p.stem().string());
    }
    // The same order on every machine: by name, without regard to case.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return toLowerAscii(a) < toLowerAscii(b);
    });
    codes_ = names;
    if (std::find(codes_.begin(), codes_.end(), "en") == codes_.end()) codes_.push_back("en");
    if (std::find(codes_.begin(), codes_.end(), "tr") == codes_.end()) codes_.push_back("tr");
}

void TranslationManager::LoadLanguage(const std::string& code, std::map<std::string, std::string>& into) const
{
    into = LoadLanguageFile(LanguageFileName(code));
}

void TranslationManager::BuildReverseMap()
{
    // Mappings of languages shown earlier in the run are kept, so their texts still map back.
    for (const auto& [key, text] : table_)
        if (!text.empty()) reverse_[text] = key;
}

std::string TranslationManager::KeyOf(const std::string& text) const
{
    if (table_.find(text) != table_.end()) return text;
    auto r = reverse_.find(text);
    return r != reverse_.end() ? r->second : text;
}

std::string TranslationManager::TranslateIfKnown(const std::string& text) const
{
    const std::string key = KeyOf(text);
    if (current_ == "en") return key;
    auto t = table_.find(key);
    return t != table_.end() && !t->second.empty() ? t->second : text;
}

std::string TranslationManager::Translate(const std::string& text)
{
    const std::string key = KeyOf(text);
    if (current_ == "en") return key;
    auto t = table_.find(key);
    if (t != table_.end() && !t->second.empty()) return t->second;
    LogMissingKey(key);
    return key;
}

void TranslationManager::LogMissingKey(const std::string& key)
{
    const std::string path = folder_ + "missing.log";
    if (!missingRead_) {
        missingRead_ = true;
        std::string bytes;
        if (readFile(path, bytes)) {
            size_t pos = 0;
            while (pos < bytes.size()) {
                size_t nl = bytes.find('\n', pos);
                std::string line = bytes.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                missingLogged_.insert(line);
                pos = nl == std::string::npos ? bytes.size() : nl + 1;
            }
        }
    }
    const std::string line = escapeLine(key);
    if (!missingLogged_.insert(line).second) return;
    appendToFile(path, line + "\r\n");
}

void TranslationManager::SetLanguage(const std::string& code)
{
    if (code == current_) return;
    current_ = code;
    if (code != "en") {
        LoadLanguage(code, table_);
        BuildReverseMap();
    }
}

std::vector<std::string> TranslationManager::EditorKeys() const
{
    std::map<std::string, std::string> tr;
    LoadLanguage("tr", tr);
    std::vector<std::string> keys;
    for (const auto& kv : tr) keys.push_back(kv.first);
    return keys;
}

std::map<std::string, std::string>& TranslationManager::otherTable(const std::string& lang) const
{
    auto it = editing_.find(lang);
    if (it == editing_.end()) {
        std::map<std::string, std::string> t;
        LoadLanguage(lang, t);
        it = editing_.emplace(lang, std::move(t)).first;
    }
    return it->second;
}

std::string TranslationManager::EditorTable(const std::string& lang, const std::string& key) const
{
    if (lang == "en") return key;
    const auto& t = lang == current_ ? table_ : otherTable(lang);
    auto it = t.find(key);
    return it != t.end() ? it->second : key;
}

void TranslationManager::EditorSetEntry(const std::string& lang, const std::string& key, const std::string& text)
{
    if (lang == "en") return;
    if (lang == current_) {
        table_[key] = text;
        // The new text must map back to its key too, or captions showing it stay untranslatable.
        if (!text.empty()) reverse_[text] = key;
        return;
    }
    otherTable(lang)[key] = text;
}

bool TranslationManager::SaveLanguage(const std::string& lang, std::string* error)
{
    if (lang == "en") return true;
    const auto& t = lang == current_ ? table_ : otherTable(lang);
    if (!writeFileAtomically(LanguageFileName(lang), FormatLanguageFile(t), error)) return false;
    if (lang != current_) editing_.erase(lang);
    return true;
}

void TranslationManager::Reload()
{
    ScanLanguages();
    editing_.clear();
    if (current_ != "en") {
        LoadLanguage(current_, table_);
        BuildReverseMap();
    }
}

} // namespace vsx
