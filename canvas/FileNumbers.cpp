#include "canvas/FileNumbers.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace vsx::filenum {

void appendFixed(std::string& out, double value, int decimals)
{
    if (!std::isfinite(value)) value = 0;
    // Half a unit of the last digit: anything smaller prints as zero, and without "-0.000000".
    static constexpr double kHalfUnit[] = {0.5, 0.05, 0.005, 5e-4, 5e-5, 5e-6, 5e-7, 5e-8, 5e-9, 5e-10, 5e-11, 5e-12};
    if (decimals < 0) decimals = 0;
    if (decimals > 11) decimals = 11;
    if (std::fabs(value) < kHalfUnit[decimals]) value = 0;
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) {
        out += '0';
        return;
    }
    out.append(buf, std::size_t(end - buf));
}

void appendInt(std::string& out, long long value)
{
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, std::size_t(end - buf));
    (void)ec;
}

namespace {

std::string_view startOfNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    text.remove_prefix(i);
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    return text;
}

bool startsLikeNumber(std::string_view s)
{
    // from_chars would take "nan" and "inf"; only digits, a sign or a point start a number here.
    if (s.empty()) return false;
    const char c = s[0] == '-' && s.size() > 1 ? s[1] : s[0];
    return (c >= '0' && c <= '9') || c == '.';
}

}  // namespace

// Plain decimals ("-512345.678000"), the numbers the drawing files hold, without the general
// parser: the digits as a whole number m and the count e of decimals give m / 10^e, which is the
// correctly rounded value when m < 2^53 (15 digits at most) and e <= 22 (both exact in a double,
// and one division rounds once). Anything else (an exponent, more digits) goes to from_chars.
bool plainDecimal(std::string_view s, double& value)
{
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t i = 0;
    const bool negative = !s.empty() && s[0] == '-';
    if (negative) ++i;
    std::uint64_t m = 0;
    int digits = 0, decimals = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 16; ++i, ++digits) m = m * 10 + std::uint64_t(s[i] - '0');
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 16; ++i, ++digits, ++decimals)
            m = m * 10 + std::uint64_t(s[i] - '0');
    }
    if (digits == 0 || digits > 15) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || (s[i] >= '0' && s[i] <= '9'))) return false;
    const double v = double(m) / kPow10[decimals];
    value = negative ? -v : v;
    return true;
}

bool leadingDouble(std::string_view text, double& value)
{
    const std::string_view s = startOfNumber(text);
    if (!startsLikeNumber(s)) return false;
    if (plainDecimal(s, value)) return true;
    double v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (ec != std::errc() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool leadingInt(std::string_view text, std::int32_t& value)
{
    const std::string_view s = startOfNumber(text);
    if (!startsLikeNumber(s)) return false;
    long long v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec == std::errc()) {
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) return false;
        value = std::int32_t(v);
        return true;
    }
    // "-.5" or ".5": a whole part of zero.
    double d = 0;
    if (!leadingDouble(s, d) || std::fabs(d) >= 2147483648.0) return false;
    value = std::int32_t(d);
    return true;
}

bool LineReader::next(std::string_view& line)
{
    if (pos_ >= text_.size()) return false;
    const char* start = text_.data() + pos_;
    const void* nl = std::memchr(start, '\n', text_.size() - pos_);
    const std::size_t len = nl ? std::size_t(static_cast<const char*>(nl) - start) : text_.size() - pos_;
    line = std::string_view(start, len);
    pos_ += len + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

void FieldReader::skipBlanks()
{
    std::size_t n = 0;
    while (n < rest_.size() && (rest_[n] == ' ' || rest_[n] == '\t')) ++n;
    rest_.remove_prefix(n);
}

std::string_view FieldReader::word()
{
    skipBlanks();
    std::size_t n = 0;
    while (n < rest_.size() && rest_[n] != ' ' && rest_[n] != '\t') ++n;
    const std::string_view w = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return w;
}

double FieldReader::num(double fallback)
{
    double v = fallback;
    return leadingDouble(word(), v) ? v : fallback;
}

std::int32_t FieldReader::integer(std::int32_t fallback)
{
    std::int32_t v = fallback;
    return leadingInt(word(), v) ? v : fallback;
}

}  // namespace vsx::filenum
