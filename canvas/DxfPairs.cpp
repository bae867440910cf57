#include "canvas/DxfPairs.h"

#include <charconv>
#include <cstring>

namespace vsx {

namespace {
bool isTrimmed(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view textValue(std::string_view line)
{
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// A group code is the whole line as an integer; anything else means the pairs are misaligned.
bool parseGroupCode(std::string_view line, std::int32_t& code)
{
    if (line.empty()) return false;
    auto [p, ec] = std::from_chars(line.data(), line.data() + line.size(), code);
    return ec == std::errc() && p == line.data() + line.size();
}
}  // namespace

std::string_view trimDxfLine(std::string_view line)
{
    std::size_t b = 0, e = line.size();
    while (b < e && isTrimmed(line[b])) ++b;
    while (e > b && isTrimmed(line[e - 1])) --e;
    return line.substr(b, e - b);
}

void TrimDxfLine(std::string& line) { line = std::string(trimDxfLine(line)); }

bool DxfPairs::parse(std::string bytes, std::string& error)
{
    bytes_ = std::move(bytes);
    pairs_.clear();
    std::string_view rest(bytes_);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
    if (rest.substr(0, 18) == "AutoCAD Binary DXF") {
        error = "DXF load failed: binary DXF files cannot be read; save the drawing as ASCII DXF";
        return false;
    }
    pairs_.reserve(rest.size() / 16);
    auto nextLine = [&rest](std::string_view& line) {
        if (rest.empty()) return false;
        const void* nl = std::memchr(rest.data(), '\n', rest.size());
        const std::size_t len = nl ? std::size_t(static_cast<const char*>(nl) - rest.data()) : rest.size();
        line = rest.substr(0, len);
        rest.remove_prefix(nl ? len + 1 : len);
        return true;
    };
    std::size_t lineNo = 0;
    std::string_view codeLine, valueLine;
    while (nextLine(codeLine)) {
        codeLine = trimDxfLine(codeLine);
        ++lineNo;
        if (!nextLine(valueLine)) break;  // a code without a value at the very end
        DxfPair p;
        if (!parseGroupCode(codeLine, p.Code)) {
            error = "DXF load failed: line " + std::to_string(lineNo) + " should hold a group code";
            pairs_.clear();
            return false;
        }
        ++lineNo;
        // Texts (codes 1 and 3) keep their blanks: long MTEXT values are cut into pieces at any
        // character, and a trimmed piece would lose the blank between two words.
        p.Value = (p.Code == 1 || p.Code == 3) ? textValue(valueLine) : trimDxfLine(valueLine);
        pairs_.push_back(p);
    }
    return true;
}

std::size_t DxfPairs::findSection(std::string_view name) const
{
    for (std::size_t i = 0; i + 1 < pairs_.size(); ++i)
        if (pairs_[i].Code == 0 && pairs_[i].Value == "SECTION" && pairs_[i + 1].Code == 2 && pairs_[i + 1].Value == name)
            return i + 2;
    return npos;
}

std::string_view DxfPairs::headerVariable(std::string_view name) const
{
    const std::size_t at = findSection("HEADER");
    if (at == npos) return {};
    for (std::size_t i = at; i + 1 < pairs_.size(); ++i) {
        if (pairs_[i].Code == 0) break;  // ENDSEC
        if (pairs_[i].Code == 9 && pairs_[i].Value == name) return pairs_[i + 1].Code == 9 ? std::string_view() : pairs_[i + 1].Value;
    }
    return {};
}

std::size_t DxfPairs::recordEnd(std::size_t i) const
{
    std::size_t j = i + 1;
    while (j < pairs_.size() && pairs_[j].Code != 0) ++j;
    return j;
}

}  // namespace vsx
