#pragma once
// Fast, locale-free number text for the drawing files (project file, DXF): appending fixed
// 6-decimal doubles and integers to a growing buffer, and reading the number at the start of a
// field. A drawing holds millions of coordinates, so nothing here allocates per number.
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

}  // namespace vsx::filenum
