#include "platform/Numbers.h"

#include "platform/Text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vsx {

std::optional<long long> parseInteger(std::string_view text)
{
    std::string_view s = trimView(text);
    if (s.empty()) return std::nullopt;
    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    } else if (s.size() > 1 && s[0] == '$') {
        base = 16;
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    unsigned long long magnitude = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    if (base == 16) {
        // Hexadecimal reads as the bit pattern of a 32-bit number when it fits, so "$FFFFFFFF" is -1
        // like a colour value written in hexadecimal.
        if (magnitude <= 0xFFFFFFFFull) {
            long long v = static_cast<long long>(static_cast<int32_t>(static_cast<uint32_t>(magnitude)));
            if (magnitude <= 0x7FFFFFFFull) v = static_cast<long long>(magnitude);
            return negative ? -v : v;
        }
    }
    if (magnitude > static_cast<unsigned long long>(INT64_MAX) + (negative ? 1ull : 0ull)) return std::nullopt;
    if (negative) return static_cast<long long>(0 - magnitude);
    return static_cast<long long>(magnitude);
}

std::optional<double> parseDouble(std::string_view text)
{
    std::string_view s = trimView(text);
    if (s.empty()) return std::nullopt;
    if (s[0] == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    // from_chars would accept "nan"/"inf"; only digits, sign, point and exponent are numbers here.
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return std::nullopt;
    }
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (ec != std::errc() || p != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

int strToIntDef(std::string_view text, int fallback)
{
    auto v = parseInteger(text);
    if (!v || *v < INT32_MIN || *v > INT32_MAX) return fallback;
    return static_cast<int>(*v);
}

double strToFloatDef(std::string_view text, double fallback)
{
    auto v = parseDouble(text);
    return v ? *v : fallback;
}

int strToInt(std::string_view text)
{
    auto v = parseInteger(text);
    if (!v || *v < INT32_MIN || *v > INT32_MAX)
        throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
    return static_cast<int>(*v);
}

double strToFloat(std::string_view text)
{
    auto v = parseDouble(text);
    if (!v) throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
    return *v;
}

std::string formatFixedPrecision(double value, int precision, int decimals)
{
    if (std::isfinite(value) && precision >= 1 && precision <= 17) {
        char buf[64];
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision - 1);
        if (ec == std::errc()) std::from_chars(buf, end, value);
    }
    return formatFixed(value, decimals);
}

std::string formatFixed(double value, int decimals)
{
    if (decimals < 0) decimals = 0;
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    // Digits of the shortest representation that reads back as the same double: d.ddd x 10^exp.
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
    if (ec != std::errc()) return "0";
    std::string_view sci(buf, size_t(end - buf));
    const size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c != '.') digits += c;
    int exponent = 0;
    const char* expBegin = sci.data() + ePos + 1;
    if (*expBegin == '+') ++expBegin;
    std::from_chars(expBegin, sci.data() + sci.size(), exponent);

    std::string intPart, frac;
    if (exponent >= 0) {
        const size_t n = size_t(exponent) + 1;
        intPart = digits.substr(0, std::min(n, digits.size()));
        if (intPart.size() < n) intPart += std::string(n - intPart.size(), '0');
        frac = digits.size() > n ? digits.substr(n) : "";
    } else {
        intPart = "0";
        frac = std::string(size_t(-exponent - 1), '0') + digits;
    }
    const bool roundUp = frac.size() > size_t(decimals) && frac[size_t(decimals)] >= '5';
    frac.resize(size_t(decimals), '0');
    std::string all = intPart + frac;
    if (roundUp) {
        int i = int(all.size()) - 1;
        for (; i >= 0; --i) {
            if (all[size_t(i)] == '9') all[size_t(i)] = '0';
            else { ++all[size_t(i)]; break; }
        }
        if (i < 0) all.insert(all.begin(), '1');
    }
    intPart = all.substr(0, all.size() - size_t(decimals));
    frac = all.substr(all.size() - size_t(decimals));
    const bool isZero = all.find_first_not_of('0') == std::string::npos;
    std::string out = (value < 0 && !isZero) ? "-" : "";
    out += intPart;
    if (decimals > 0) out += "." + frac;
    return out;
}

std::string formatGeneral(double value)
{
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF");
    if (value == 0) return "0";
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc()) return "0";
    std::string s(buf, size_t(end - buf));
    size_t e = s.find('e');
    if (e == std::string::npos) return s;
    // "1e+20" -> "1E20", "1.5e-07" -> "1.5E-7"
    std::string mant = s.substr(0, e);
    int exponent = std::stoi(s.substr(e + 1));
    return mant + "E" + std::to_string(exponent);
}

std::string formatInt(long long value) { return std::to_string(value); }

std::string formatPadded(long long value, int width)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (int(digits.size()) < width) digits = std::string(size_t(width) - digits.size(), '0') + digits;
    return value < 0 ? "-" + digits : digits;
}

} // namespace vsx
