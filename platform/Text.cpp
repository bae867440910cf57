#include "platform/Text.h"

#include <QList>
#include <QString>
#include <array>
#include <cstdint>

namespace vsx {

char toUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
char toLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string toUpperAscii(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = toUpperAscii(c);
    return r;
}

std::string toLowerAscii(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = toLowerAscii(c);
    return r;
}

bool equalsIgnoreCaseAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (toLowerAscii(a[i]) != toLowerAscii(b[i])) return false;
    return true;
}

bool startsWithIgnoreCaseAscii(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoreCaseAscii(text.substr(0, prefix.size()), prefix);
}

std::string_view trimView(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::string trim(std::string_view s) { return std::string(trimView(s)); }

namespace {

// Code points of bytes 0x80..0xFF in Windows-1254; 0 marks an undefined byte.
constexpr std::array<char16_t, 128> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0,      0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x011E, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x0130, 0x015E, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x011F, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0131, 0x015F, 0x00FF,
};

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

char encodeCodePoint(char32_t cp)
{
    if (cp < 0x80) return char(cp);
    for (size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] != 0 && char32_t(kHigh[i]) == cp) return char(0x80 + i);
    return '?';
}

} // namespace

void appendCodePointUtf8(std::string& out, char32_t codePoint) { appendUtf8(out, codePoint); }

std::string cp1254ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (unsigned char b : bytes) {
        if (b < 0x80) out += char(b);
        else appendUtf8(out, kHigh[b - 0x80] ? char32_t(kHigh[b - 0x80]) : char32_t(0xFFFD));
    }
    return out;
}

std::string utf8ToCp1254(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        unsigned char b = s[i];
        char32_t cp;
        size_t len;
        if (b < 0x80) { cp = b; len = 1; }
        else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; len = 2; }
        else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; len = 3; }
        else if ((b & 0xF8) == 0xF0) { cp = b & 0x07; len = 4; }
        else { out += '?'; ++i; continue; }
        if (i + len > s.size()) { out += '?'; break; }
        bool ok = true;
        for (size_t k = 1; k < len; ++k) {
            unsigned char c = s[i + k];
            if ((c & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) { out += '?'; ++i; continue; }
        out += encodeCodePoint(cp);
        i += len;
    }
    return out;
}

QString fromCp1254(std::string_view bytes)
{
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (unsigned char b : bytes) {
        if (b < 0x80) out += QChar(b);
        else out += QChar(kHigh[b - 0x80] ? kHigh[b - 0x80] : char16_t(0xFFFD));
    }
    return out;
}

std::string toCp1254(const QString& text)
{
    std::string out;
    out.reserve(size_t(text.size()));
    const auto ucs4 = text.toUcs4();
    for (char32_t cp : ucs4) out += encodeCodePoint(cp);
    return out;
}

std::string toCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

} // namespace vsx
