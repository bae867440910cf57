#pragma once
// Locale-free number parsing and formatting. Every number the program reads from a file, a
// device or a settings value, and every number it writes, goes through these, so a Turkish or
// German desktop locale never changes a decimal point into a comma.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vsx {

// A typed number that does not convert. The message reads like the class library's:
// "'abc' is not a valid integer value".
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whole numbers: optional sign, decimal digits, or hexadecimal after "0x"/"0X"/"$".
// Surrounding blanks are allowed; anything else gives no value.
std::optional<long long> parseInteger(std::string_view text);
// Decimal numbers with '.' only ("1,5" is not a number), optional exponent; NaN and infinity
// are not numbers.
std::optional<double> parseDouble(std::string_view text);

// The class library's conversions with a default, and the strict ones that throw.
int strToIntDef(std::string_view text, int fallback);
double strToFloatDef(std::string_view text, double fallback);
int strToInt(std::string_view text);       // throws ConversionError
double strToFloat(std::string_view text);  // throws ConversionError

// Fixed-decimal text, rounded half away from zero on the decimal digits of the value's shortest
// exact representation: 0.125 -> "0.13", 2.5 -> "3", -2.5 -> "-3", 2.675 -> "2.68".
std::string formatFixed(double value, int decimals);
// formatFixed after rounding the value to `precision` significant digits, as the class library's
// fixed format with a precision did: (1234.567, 5, 2) -> "1234.60".
std::string formatFixedPrecision(double value, int precision, int decimals);
// General text with up to 15 significant digits and no trailing zeros ("0.1", "1500", "1E20"),
// as the class library's float-to-text gave; used where a value is written without a format.
std::string formatGeneral(double value);
std::string formatInt(long long value);
// Zero-padded decimal: formatPadded(5, 2) -> "05".
std::string formatPadded(long long value, int width);

} // namespace vsx
