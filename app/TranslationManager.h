#pragma once
// Texts of the user interface in the current language. English texts are the keys; the tables of
// the other languages are JSON files (key -> text) in the program folder's Languages folder.
// Texts already shown in another language map back to their keys, so the interface can switch
// languages without recreating windows.
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vsx {

class TranslationManager {
public:
    // `languageFolder` empty: the program folder's "Languages/" (or, when that cannot be written,
    // a per-user copy under the application-data folder).
    explicit TranslationManager(std::string languageFolder = {});

    std::string Translate(const std::string& text);
    // The English key of a text: the text itself when it is a key or unknown, else the key of the
    // language text it is (from any language shown in this run).
    std::string KeyOf(const std::string& text) const;
    // Like Translate, but a text without a translation is returned as it is and not recorded as
    // missing (for texts that are not the program's own, such as the platform's button words).
    std::string TranslateIfKnown(const std::string& text) const;
    void SetLanguage(const std::string& code);

    // Operations of the translation editor.
    std::vector<std::string> EditorKeys() const;
    std::string EditorTable(const std::string& lang, const std::string& key) const;
    void EditorSetEntry(const std::string& lang, const std::string& key, const std::string& text);
    // False when the language file could not be written, with the reason in `error`; the
    // edited entries are kept then, so a later save can still write them.
    bool SaveLanguage(const std::string& lang, std::string* error = nullptr);
    // The file a language is kept in.
    std::string LanguageFileName(const std::string& lang) const { return folder_ + lang + ".json"; }
    void Reload();

    const std::string& current() const { return current_; }
    const std::vector<std::string>& codes() const { return codes_; }
    const std::string& folder() const { return folder_; }

    // Reads a language file; a missing or unreadable file gives an empty table.
    static std::map<std::string, std::string> LoadLanguageFile(const std::string& path);
    // A table as the language files hold it: sorted keys, 2-space indent, UTF-8 with BOM.
    static std::string FormatLanguageFile(const std::map<std::string, std::string>& table);

private:
    void ScanLanguages();
    void LoadLanguage(const std::string& code, std::map<std::string, std::string>& into) const;
    void BuildReverseMap();
    void LogMissingKey(const std::string& key);
    std::map<std::string, std::string>& otherTable(const std::string& lang) const;

    std::map<std::string, std::string> table_;
    std::map<std::string, std::string> reverse_;
    std::string current_ = "en";
    std::string folder_;
    std::vector<std::string> codes_;
    // Keys already in missing.log (read once), so each key is appended once only.
    std::set<std::string> missingLogged_;
    bool missingRead_ = false;
    // Tables of languages other than the current one, held between an edit and its save.
    mutable std::map<std::string, std::map<std::string, std::string>> editing_;
};

// The one instance; made by the main window when still null.
extern TranslationManager* Translator;

} // namespace vsx
