#include "canvas/DxfPairs.h"

#include <charconv>
#include <cstring>

namespace vsx {

namespace {

constexpr std::size_t kBlock = std::size_t(1) << 20;

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

DxfPairReader::DxfPairReader(std::string_view bytes) : data_(bytes), eof_(true) {}

DxfPairReader::DxfPairReader(std::FILE* file) : file_(file) { buffer_.reserve(kBlock * 2); }

DxfPairReader::~DxfPairReader()
{
    if (file_) std::fclose(file_);
}

// Moves what is left to the front of the buffer and appends the next block of the file.
bool DxfPairReader::fill()
{
    if (eof_ || !file_) return false;
    const std::string rest(data_);
    buffer_.assign(rest);
    buffer_.resize(rest.size() + kBlock);
    const std::size_t n = std::fread(buffer_.data() + rest.size(), 1, kBlock, file_);
    buffer_.resize(rest.size() + n);
    if (n < kBlock) {
        eof_ = true;
        if (std::ferror(file_)) error_ = "DXF load failed: the file could not be read";
    }
    data_ = buffer_;
    return n > 0;
}

bool DxfPairReader::nextLine(std::string_view& line)
{
    for (;;) {
        const void* nl = data_.empty() ? nullptr : std::memchr(data_.data(), '\n', data_.size());
        if (nl) {
            const std::size_t len = std::size_t(static_cast<const char*>(nl) - data_.data());
            line = data_.substr(0, len);
            data_.remove_prefix(len + 1);
            return true;
        }
        if (!fill()) {
            if (data_.empty()) return false;
            line = data_;  // the last line without an end
            data_ = {};
            return true;
        }
    }
}

bool DxfPairReader::next(DxfPair& pair)
{
    if (!error_.empty()) return false;
    if (!started_) {
        started_ = true;
        if (file_) fill();
        if (data_.substr(0, 3) == "\xEF\xBB\xBF") data_.remove_prefix(3);
        if (data_.substr(0, 18) == "AutoCAD Binary DXF") {
            error_ = "DXF load failed: binary DXF files cannot be read; save the drawing as ASCII DXF";
            return false;
        }
    }
    std::string_view codeLine, valueLine;
    if (!nextLine(codeLine)) return false;
    ++lineNo_;
    // The code line must survive reading the value line, which may refill the buffer.
    const std::string_view trimmedCode = trimDxfLine(codeLine);
    std::int32_t code = 0;
    const bool codeOk = parseGroupCode(trimmedCode, code);
    if (!nextLine(valueLine)) return false;  // a code without a value at the very end
    if (!codeOk) {
        error_ = "DXF load failed: line " + std::to_string(lineNo_) + " should hold a group code";
        return false;
    }
    ++lineNo_;
    pair.Code = code;
    // Texts (codes 1 and 3) keep their blanks: long MTEXT values are cut into pieces at any
    // character, and a trimmed piece would lose the blank between two words.
    pair.Value = (code == 1 || code == 3) ? textValue(valueLine) : trimDxfLine(valueLine);
    return true;
}

}  // namespace vsx
