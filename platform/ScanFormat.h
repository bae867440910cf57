#pragma once
// A safe interpreter for the scanf-style formats that read numbers out of device sentences (the
// built-in echosounder formats, the user's own "OTHER" format, sound-velocity profile lines).
// Formats are compiled once: anything outside the supported set is rejected with a message for
// the place the user typed it, instead of ever reaching a C library scanf with unchecked output
// arguments.
//
// Supported: literal characters (must match), whitespace (matches any run of whitespace, also
// none), %d, %i, %f, %lf, %e, %le, %g, %lg (stored as numbers), %s, %c, %[set] and %[^set]
// (matched text, always skipped with '*'), an optional field width, '*' to skip a conversion without storing it, and %%.
// Numbers are read with '.' whatever the locale; "nan" and "inf" are not numbers.
// One departure from scanf, on request: with EmptyFields::SkippedMayBeEmpty a skipped number
// (%*lf, %*d) that meets an empty field, i.e. the literal that follows it in the format, matches
// nothing and the scan goes on. Sounders leave fields they do not measure empty
// ("$SDDBT,,f,12.3,M,,F"), and the metres must still be read. Readers that tell an empty
// sentence by where scanf stops (an empty GGA) keep scanf's rule.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

class ScanFormat {
public:
    // Null, with a readable reason in `error`, when the format holds something unsupported.
    static std::optional<ScanFormat> compile(std::string_view format, std::string* error = nullptr);

    enum class EmptyFields { Stop, SkippedMayBeEmpty };

    // Scans `input`; every stored numeric conversion goes into `values` in order (at most
    // `maxValues` of them). Returns how many were stored, like scanf, but never negative.
    int scan(std::string_view input, double* values, int maxValues, EmptyFields empty = EmptyFields::Stop) const;
    // How many numbers a full match stores.
    int numericConversions() const;
    const std::string& text() const { return text_; }

private:
    enum class Kind { Literal, Space, Integer, Float, String, Chars, Set, Percent };
    struct Item {
        Kind kind;
        bool store = true;
        int width = 0;  // 0: no limit (Chars: 1)
        char literal = 0;
        bool negate = false;
        std::string set;  // characters of a %[...] set
    };
    std::vector<Item> items_;
    std::string text_;
};

} // namespace vsx
