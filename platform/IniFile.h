#pragma once
// The settings file engine: an INI text file read and written by the program's own rules.
//  - Section and key names match without regard to ASCII case and surrounding blanks, so a key
//    written padded ("Offset A   ") is found by a read of "offset a". The first duplicate wins.
//  - Values are text; integers are decimal or hexadecimal ("0x1F", "$1F"); booleans are "1"/"0"
//    and read as integers (non-zero is true); floats use '.'; unreadable values give the default.
//  - Reading never creates the file. Lines may end in LF or CR LF; the file is written with CR LF
//    and its bytes are kept as they are (Windows-1254 text stays 8-bit).
//
// An IniFile is one short settings session: it reads the file when made, reads see its own
// writes, and flush() (or the destructor) re-reads the file, applies only this session's changes
// and replaces the file atomically. Sessions that overlap (an outer one around an inner one)
// therefore never lose each other's keys.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

class IniFile {
public:
    explicit IniFile(std::string path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& path() const { return path_; }

    std::string readString(std::string_view section, std::string_view key, std::string_view fallback) const;
    int readInteger(std::string_view section, std::string_view key, int fallback) const;
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;
    double readFloat(std::string_view section, std::string_view key, double fallback) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, long long value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    void writeFloat(std::string_view section, std::string_view key, double value);

    bool sectionExists(std::string_view section) const;
    bool valueExists(std::string_view section, std::string_view key) const;
    // Key names of a section as written (trimmed), in file order.
    std::vector<std::string> readSection(std::string_view section) const;
    std::vector<std::string> readSections() const;
    void eraseSection(std::string_view section);
    void deleteKey(std::string_view section, std::string_view key);

    // Writes this session's changes into the file now; false when the file could not be written.
    bool flush();

    // The document as the file would hold it (for tests and diagnostics).
    std::string text() const;

private:
    struct Line {
        std::string raw;
        std::string key;  // trimmed key when the line is an entry, else empty
        bool isEntry = false;
    };
    struct Section {
        std::string name;  // trimmed
        std::string header;
        std::vector<Line> lines;
    };
    struct Document {
        std::vector<Line> preamble;
        std::vector<Section> sections;
    };
    enum class OpKind { Set, DeleteKey, EraseSection };
    struct Op {
        OpKind kind;
        std::string section, key, value;
    };

    static Document parse(std::string_view bytes);
    static std::string serialize(const Document& doc);
    static void apply(Document& doc, const Op& op);
    static const Section* findSection(const Document& doc, std::string_view name);
    const Line* findEntry(std::string_view section, std::string_view key) const;
    void record(Op op);

    std::string path_;
    Document doc_;
    std::vector<Op> pending_;
};

// The value part of an entry line, trimmed and with one pair of surrounding double quotes removed.
std::string iniValueOf(std::string_view rawLine);

// Whether a settings file can be read whole. Every line of a settings file is a section
// ("[name]"), an entry ("key=value"), a comment (";" or "#" first) or blank, holds text (no
// control bytes but tabs; any 8-bit byte, so Windows-1254 or UTF-8 text is text) and ends in
// LF or CR LF: every writer ends the lines it writes, so a last line without its line end was
// cut off while being written. A missing or empty file is whole.
enum class IniDamage {
    None,
    NotText,     // the line holds control bytes (a NUL, a lone CR, ...)
    NotIniLine,  // the line is neither a section, an entry, a comment nor blank
    CutOff,      // the last line has no line end
};
struct IniTextCheck {
    IniDamage damage = IniDamage::None;  // the first fault met
    int line = 0;                        // its line number, from 1
    std::string readable;                // the lines that can be read, each ended by CR LF
    bool whole() const { return damage == IniDamage::None; }
};
IniTextCheck checkIniText(std::string_view bytes);

// A settings file that cannot be read whole is first copied, byte for byte, to
// "<path>.damaged-<stamp>" beside it (a free name: "-2", "-3" ... added when taken) and then
// replaced by its readable lines, so nothing is lost and the next start finds it whole. Nothing
// is written over it when no copy could be made.
struct DamagedIniFile {
    IniTextCheck check;
    std::string copyPath;  // the copy kept; empty when none could be made
    std::string error;     // why the copy or the rewrite failed; empty when both worked
};
// Nothing when the file is missing, unreadable as a file, or whole.
std::optional<DamagedIniFile> keepDamagedIniFile(const std::string& path, const std::string& stamp);

} // namespace vsx
