#include "canvas/DxfText.h"

#include "platform/Text.h"

#include <algorithm>

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

namespace vsx {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "\U+XXXX" at text[i]: appends the character and returns the length taken, 0 when it is not one.
std::size_t unicodeEscape(std::string_view text, std::size_t i, std::string& out)
{
    if (i + 7 > text.size() || text[i] != '\\' || (text[i + 1] != 'U' && text[i + 1] != 'u') || text[i + 2] != '+')
        return 0;
    char32_t cp = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const int h = hexValue(text[i + 3 + k]);
        if (h < 0) return 0;
        cp = cp * 16 + char32_t(h);
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
    appendCodePointUtf8(out, cp);
    return 7;
}

bool isAscii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// "AC1021" (release 2007) and later hold UTF-8.
bool isUnicodeRelease(std::string_view acadver)
{
    if (acadver.size() < 6 || acadver.substr(0, 2) != "AC") return false;
    int n = 0;
    for (char c : acadver.substr(2, 4)) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    return n >= 1021;
}

}  // namespace

bool isValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        std::size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || (len == 2 && b < 0xC2) || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

DxfTextDecoder::DxfTextDecoder(Kind kind) : kind_(kind) {}
DxfTextDecoder::DxfTextDecoder(DxfTextDecoder&&) noexcept = default;
DxfTextDecoder& DxfTextDecoder::operator=(DxfTextDecoder&&) noexcept = default;
DxfTextDecoder::~DxfTextDecoder() = default;

DxfTextDecoder DxfTextDecoder::forHeader(std::string_view acadver, std::string_view codepage)
{
    if (isUnicodeRelease(acadver)) return DxfTextDecoder(Kind::Utf8);
    const std::string page = toUpperAscii(codepage);
    if (page.empty()) return DxfTextDecoder(Kind::Guess);
    if (page == "ANSI_1254") return DxfTextDecoder(Kind::Cp1254);
    if (page == "UTF-8" || page == "UTF8") return DxfTextDecoder(Kind::Utf8);
    // "ANSI_1252" -> "windows-1252"; other names ("DOS850", ...) are left to the guess.
    if (page.rfind("ANSI_", 0) == 0) {
        DxfTextDecoder d(Kind::Other);
        d.other_ = std::make_unique<QStringDecoder>(("windows-" + page.substr(5)).c_str());
        if (d.other_->isValid()) return d;
        if (page == "ANSI_1252") {
            d.other_ = std::make_unique<QStringDecoder>(QStringConverter::Latin1);
            return d;
        }
    }
    return DxfTextDecoder(Kind::Guess);
}

std::string DxfTextDecoder::decode(std::string_view bytes) const
{
    if (isAscii(bytes)) return std::string(bytes);
    switch (kind_) {
    case Kind::Utf8:
        return std::string(bytes);
    case Kind::Cp1254:
        return cp1254ToUtf8(bytes);
    case Kind::Other: {
        const QString s = other_->decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        return s.toStdString();
    }
    case Kind::Guess:
        break;
    }
    return isValidUtf8(bytes) ? std::string(bytes) : cp1254ToUtf8(bytes);
}

namespace {

// "%%d", "%%p", "%%c" and "%%%" at t[i]: appends the character and returns the length taken.
std::size_t percentCode(std::string_view t, std::size_t i, std::string& out, bool underlineToggles)
{
    if (t[i] != '%' || i + 2 >= t.size() || t[i + 1] != '%') return 0;
    const char code = toLowerAscii(t[i + 2]);
    const char* replacement = code == 'd' ? "\u00B0" : code == 'p' ? "\u00B1" : code == 'c' ? "\u2300"
                            : code == '%' ? "%" : (underlineToggles && (code == 'u' || code == 'o')) ? "" : nullptr;
    if (!replacement) return 0;
    out += replacement;
    return 3;
}

}  // namespace

std::string StripMtextCodes(std::string_view t)
{
    std::string out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '{' || c == '}') continue;  // grouping
        if (const std::size_t n = percentCode(t, i, out, false)) {
            i += n - 1;
            continue;
        }
        if (c == '^' && i + 1 < t.size() && (t[i + 1] == ' ' || (t[i + 1] >= '@' && t[i + 1] <= '_'))) {
            // Caret codes of control characters: "^I" tab, "^J" line feed, "^M" return (shown as a
            // blank on one line); "^ " is the caret itself; the other control characters go.
            const char next = t[i + 1];
            if (next == ' ') out += '^';
            else if (next == 'I' || next == 'J' || next == 'M') out += ' ';
            ++i;
            continue;
        }
        if (c != '\\' || i + 1 >= t.size()) {
            out += c;
            continue;
        }
        if (const std::size_t n = unicodeEscape(t, i, out)) {
            i += n - 1;
            continue;
        }
        const char code = t[i + 1];
        switch (code) {
        case '\\':
        case '{':
        case '}':
            out += code;
            ++i;
            break;
        case 'P':  // paragraph
        case 'N':  // column break
        case '~':  // non-breaking space
            out += ' ';
            ++i;
            break;
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': case 'X':
            ++i;  // a switch without an argument
            break;
        case 'S': {
            // Stacked text "\Sup^down;" (also '/' and '#') is shown as "up/down"; inside it a
            // backslash takes the next character as it is ("\;" is a semicolon).
            std::size_t j = i + 2;
            while (j < t.size() && t[j] != ';') {
                if (t[j] == '\\' && j + 1 < t.size()) {
                    out += t[++j];
                } else {
                    out += (t[j] == '^' || t[j] == '#') ? '/' : t[j];
                }
                ++j;
            }
            i = j;
            break;
        }
        case 'A': case 'C': case 'c': case 'F': case 'f': case 'H': case 'h': case 'Q': case 'q':
        case 'T': case 't': case 'W': case 'w': case 'p': {
            // A code with an argument runs to its ';' (font names hold blanks: "\fTimes New Roman|b0;");
            // a code left without one ends at the next blank.
            std::size_t j = t.find(';', i + 2);
            if (j == std::string_view::npos) j = std::min(t.find(' ', i + 2), t.size());
            i = j;
            break;
        }
        default:
            out += c;  // a lone backslash stays
            break;
        }
    }
    return out;
}

std::string DecodeDxfTextCodes(std::string_view t)
{
    std::string out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (const std::size_t n = unicodeEscape(t, i, out)) {
            i += n - 1;
            continue;
        }
        if (const std::size_t n = percentCode(t, i, out, true)) {
            i += n - 1;
            continue;
        }
        out += t[i];
    }
    return out;
}

}  // namespace vsx
