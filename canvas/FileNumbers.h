#pragma once
// Fast, locale-free number text for the drawing files (project file, DXF, XYZ): appending fixed
// 6-decimal doubles and integers to a growing buffer, reading the number at the start of a
// field, and walking the lines and fields of a text. A drawing holds millions of coordinates, so nothing here allocates per number.
#include <cstdint>
#include <string>
#include <string_view>

namespace vsx::filenum {

// Fixed notation with `decimals` digits, rounded to nearest; a value that rounds to zero is
// written without a minus sign; a non-finite value is written as 0.
void appendFixed(std::string& out, double value, int decimals = 6);
void appendInt(std::string& out, long long value);

// The number at the start of `text` (leading blanks skipped, a '+' allowed, trailing characters
// ignored, as a stream read or strtod takes it). False when there is none or it is not finite.
bool leadingDouble(std::string_view text, double& value);
// As leadingDouble for whole numbers; "12.7" gives 12. Values beyond int32 give false.
bool leadingInt(std::string_view text, std::int32_t& value);

// The lines of a text, ended by "\n"; a CR before it (a file written on Windows) is dropped.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool next(std::string_view& line);

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The blank- or tab-separated fields of one line, read from the left.
class FieldReader {
public:
    explicit FieldReader(std::string_view line) : rest_(line) {}

    std::string_view word();
    // A missing or unreadable number gives the fallback.
    double num(double fallback);
    std::int32_t integer(std::int32_t fallback);
    // What is left of the line, unchanged.
    std::string_view rest() const { return rest_; }
    void skipBlanks();

private:
    std::string_view rest_;
};

}  // namespace vsx::filenum
