#include "platform/ScanFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vsx {

namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
} // namespace

std::optional<ScanFormat> ScanFormat::compile(std::string_view f, std::string* error)
{
    auto fail = [&](const std::string& why) -> std::optional<ScanFormat> {
        if (error) *error = why;
        return std::nullopt;
    };
    ScanFormat out;
    out.text_ = std::string(f);
    for (size_t i = 0; i < f.size();) {
        const char c = f[i];
        if (isSpace(c)) {
            while (i < f.size() && isSpace(f[i])) ++i;
            out.items_.push_back(Item {Kind::Space, true, 0, 0, false, {}});
            continue;
        }
        if (c != '%') {
            Item it {Kind::Literal, true, 0, c, false, {}};
            out.items_.push_back(it);
            ++i;
            continue;
        }
        const size_t start = i++;
        if (i < f.size() && f[i] == '%') {
            out.items_.push_back(Item {Kind::Percent, true, 0, 0, false, {}});
            ++i;
            continue;
        }
        Item it {Kind::Literal, true, 0, 0, false, {}};
        if (i < f.size() && f[i] == '*') {
            it.store = false;
            ++i;
        }
        while (i < f.size() && isDigit(f[i])) {
            it.width = it.width * 10 + (f[i] - '0');
            if (it.width > 100000) return fail("field width too large in \"" + std::string(f.substr(start)) + "\"");
            ++i;
        }
        bool isLong = false;
        if (i < f.size() && f[i] == 'l') {
            isLong = true;
            ++i;
        }
        if (i >= f.size()) return fail("incomplete conversion at the end of the format");
        const char conv = f[i++];
        switch (conv) {
        case 'd':
        case 'i':
            if (isLong) return fail("\"%l" + std::string(1, conv) + "\" is not supported; use %d");
            it.kind = Kind::Integer;
            break;
        case 'f':
        case 'e':
        case 'g':
        case 'E':
        case 'G':
            it.kind = Kind::Float;
            break;
        case 's':
        case 'c':
        case '[':
            if (isLong) return fail("wide-character conversions are not supported");
            if (conv == 's') it.kind = Kind::String;
            else if (conv == 'c') it.kind = Kind::Chars;
            else {
                it.kind = Kind::Set;
                if (i < f.size() && f[i] == '^') {
                    it.negate = true;
                    ++i;
                }
                std::string raw;
                if (i < f.size() && f[i] == ']') raw += f[i++];
                while (i < f.size() && f[i] != ']') raw += f[i++];
                if (i >= f.size()) return fail("a %[ set is not closed with ]");
                ++i;
                // "a-z" is a range; a '-' first or last stands for itself.
                for (size_t k = 0; k < raw.size(); ++k) {
                    if (raw[k] == '-' && k > 0 && k + 1 < raw.size() && raw[k - 1] <= raw[k + 1]) {
                        for (int ch = raw[k - 1] + 1; ch <= raw[k + 1]; ++ch) it.set += char(ch);
                        ++k;
                    } else {
                        it.set += raw[k];
                    }
                }
            }
            break;
        default:
            return fail("the conversion \"" + std::string(f.substr(start, i - start)) +
                        "\" is not supported (use %d, %lf, %f, %s, %c, %[...], %* or %%)");
        }
        // Text goes nowhere: only numbers leave the interpreter.
        if (it.store && (it.kind == Kind::String || it.kind == Kind::Chars || it.kind == Kind::Set))
            return fail("the text conversion \"" + std::string(f.substr(start, i - start)) +
                        "\" must be skipped with '*' (for example %*s or %*[^,])");
        out.items_.push_back(std::move(it));
    }
    return out;
}

int ScanFormat::numericConversions() const
{
    int n = 0;
    for (const Item& it : items_)
        if (it.store && (it.kind == Kind::Integer || it.kind == Kind::Float)) ++n;
    return n;
}

int ScanFormat::scan(std::string_view in, double* values, int maxValues, EmptyFields empty) const
{
    size_t p = 0;
    int stored = 0;
    auto skipSpace = [&] {
        while (p < in.size() && isSpace(in[p])) ++p;
    };
    for (size_t k = 0; k < items_.size(); ++k) {
        const Item& it = items_[k];
        switch (it.kind) {
        case Kind::Space:
            skipSpace();
            continue;
        case Kind::Literal:
            if (p >= in.size() || in[p] != it.literal) return stored;
            ++p;
            continue;
        case Kind::Percent:
            skipSpace();
            if (p >= in.size() || in[p] != '%') return stored;
            ++p;
            continue;
        default:
            break;
        }
        if (it.kind != Kind::Chars && it.kind != Kind::Set) skipSpace();
        if (p >= in.size()) return stored;
        const size_t limit = it.width > 0 ? std::min(in.size(), p + size_t(it.width)) : in.size();
        std::string_view field = in.substr(p, limit - p);
        if (it.kind == Kind::Integer || it.kind == Kind::Float) {
            // The longest prefix that is a number, as scanf reads it.
            size_t n = 0;
            if (n < field.size() && (field[n] == '+' || field[n] == '-')) ++n;
            size_t digits = 0;
            while (n < field.size() && isDigit(field[n])) ++n, ++digits;
            if (it.kind == Kind::Float) {
                if (n < field.size() && field[n] == '.') {
                    ++n;
                    while (n < field.size() && isDigit(field[n])) ++n, ++digits;
                }
                if (digits > 0 && n < field.size() && (field[n] == 'e' || field[n] == 'E')) {
                    size_t e = n + 1;
                    if (e < field.size() && (field[e] == '+' || field[e] == '-')) ++e;
                    if (e < field.size() && isDigit(field[e])) {
                        while (e < field.size() && isDigit(field[e])) ++e;
                        n = e;
                    }
                }
            }
            if (digits == 0) {
                // On request a skipped number over an empty field ("$SDDBT,,f,12.3,M": no depth
                // in feet) matches nothing, so the fields after it are still read. A stored
                // number keeps scanf's rule: no digits, no match.
                const bool emptyField = empty == EmptyFields::SkippedMayBeEmpty && !it.store && k + 1 < items_.size() &&
                                        items_[k + 1].kind == Kind::Literal && items_[k + 1].literal == in[p];
                if (emptyField) continue;
                return stored;
            }
            std::string_view number = field.substr(0, n);
            if (number.front() == '+') number.remove_prefix(1);
            double v = 0;
            if (it.kind == Kind::Integer) {
                long long iv = 0;
                auto r = std::from_chars(number.data(), number.data() + number.size(), iv);
                if (r.ec != std::errc()) return stored;
                v = double(iv);
            } else {
                auto r = std::from_chars(number.data(), number.data() + number.size(), v);
                if (r.ec != std::errc() || !std::isfinite(v)) return stored;
            }
            p += n;
            if (it.store) {
                if (stored < maxValues) values[stored] = v;
                ++stored;
            }
            continue;
        }
        size_t n = 0;
        if (it.kind == Kind::String) {
            while (n < field.size() && !isSpace(field[n])) ++n;
        } else if (it.kind == Kind::Chars) {
            const size_t want = it.width > 0 ? size_t(it.width) : 1;
            if (in.size() - p < want) return stored;
            n = want;
        } else {
            while (n < field.size() && ((it.set.find(field[n]) != std::string::npos) != it.negate)) ++n;
        }
        if (n == 0) return stored;
        p += n;
    }
    return std::min(stored, maxValues);
}

} // namespace vsx
