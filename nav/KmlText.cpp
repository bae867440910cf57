#include "nav/KmlText.h"

#include "platform/Text.h"

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <charconv>
#include <cstring>

namespace vsx {

namespace {

std::string utf16ToUtf8(std::string_view b, bool bigEndian)
{
    std::string out;
    out.reserve(b.size() / 2 + b.size() / 8);
    auto unit = [&](std::size_t i) {
        const auto hi = static_cast<unsigned char>(b[bigEndian ? i : i + 1]);
        const auto lo = static_cast<unsigned char>(b[bigEndian ? i + 1 : i]);
        return char32_t(hi << 8 | lo);
    };
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < b.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendCodePointUtf8(out, c);
    }
    return out;
}

// The encoding named in an XML declaration at the start of the text, lower case; empty when none.
std::string declaredEncoding(std::string_view text)
{
    if (text.substr(0, 5) != "<?xml") return {};
    const std::size_t end = text.find("?>");
    if (end == std::string_view::npos || end > 1024) return {};
    const std::string_view decl = text.substr(0, end);
    std::size_t at = decl.find("encoding");
    if (at == std::string_view::npos) return {};
    at += 8;
    while (at < decl.size() && (decl[at] == ' ' || decl[at] == '=' || decl[at] == '\t')) ++at;
    if (at >= decl.size() || (decl[at] != '"' && decl[at] != '\'')) return {};
    const char quote = decl[at];
    const std::size_t close = decl.find(quote, at + 1);
    if (close == std::string_view::npos) return {};
    return toLowerAscii(decl.substr(at + 1, close - at - 1));
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// A character XML 1.0 allows in a document.
bool xmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// The entity reference at text[i] ('&'); appends its character and returns its length, 0 when
// it is none of the predefined or numeric references.
std::size_t entity(std::string_view t, std::size_t i, std::string& out)
{
    const std::size_t semi = t.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 12) return 0;
    const std::string_view name = t.substr(i + 1, semi - i - 1);
    const std::size_t length = semi - i + 1;
    if (name == "amp") out += '&';
    else if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        std::uint32_t cp = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return 0;
        appendCodePointUtf8(out, xmlChar(cp) ? cp : 0xFFFD);
    } else {
        return 0;
    }
    return length;
}

} // namespace

std::optional<std::string_view> KmlTextAsUtf8(std::string_view bytes, std::string& converted, std::string& error)
{
    if (startsWith(bytes, "\xEF\xBB\xBF")) return bytes.substr(3);
    if (startsWith(bytes, "\xFF\xFE")) return converted = utf16ToUtf8(bytes.substr(2), false);
    if (startsWith(bytes, "\xFE\xFF")) return converted = utf16ToUtf8(bytes.substr(2), true);
    // UTF-16 without a byte-order mark still starts with "<?" or "<" and a zero byte.
    if (bytes.size() >= 4 && bytes[0] == '<' && bytes[1] == 0 && bytes[2] != 0 && bytes[3] == 0)
        return converted = utf16ToUtf8(bytes, false);
    if (bytes.size() >= 4 && bytes[0] == 0 && bytes[1] == '<' && bytes[2] == 0 && bytes[3] != 0)
        return converted = utf16ToUtf8(bytes, true);

    const std::string encoding = declaredEncoding(bytes);
    if (encoding.empty() || encoding == "utf-8" || encoding == "utf8" || encoding == "us-ascii" ||
        encoding == "ascii")
        return bytes;
    if (encoding == "windows-1254" || encoding == "cp1254" || encoding == "iso-8859-9" || encoding == "latin5")
        return converted = cp1254ToUtf8(bytes);
    QStringDecoder decoder(encoding.c_str());
    if (!decoder.isValid() || encoding.rfind("utf-16", 0) == 0 || encoding.rfind("utf-32", 0) == 0) {
        error = "Unsupported text encoding: " + encoding;
        return std::nullopt;
    }
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return converted = text.toStdString();
}

std::string DecodeXmlCharacterData(std::string_view t)
{
    std::string out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size();) {
        const char c = t[i];
        if (c == '<' && startsWith(t.substr(i), "<![CDATA[")) {
            std::size_t end = t.find("]]>", i + 9);
            if (end == std::string_view::npos) end = t.size();
            out.append(t.substr(i + 9, end - i - 9));
            i = std::min(t.size(), end + 3);
        } else if (c == '<' && startsWith(t.substr(i), "<!--")) {
            const std::size_t end = t.find("-->", i + 4);
            i = end == std::string_view::npos ? t.size() : end + 3;
        } else if (c == '&') {
            const std::size_t n = entity(t, i, out);
            if (n == 0) out += '&';
            i += n ? n : 1;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string EscapeXmlText(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + 8);
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            if (b == '&') out += "&amp;";
            else if (b == '<') out += "&lt;";
            else if (b == '>') out += "&gt;";
            else if (xmlChar(b)) out += char(b);
            ++i;
            continue;
        }
        // A multi-byte sequence is copied when it is valid UTF-8 of an allowed character.
        const std::size_t len = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        bool valid = len != 0 && i + len <= s.size();
        char32_t cp = len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
        for (std::size_t k = 1; valid && k < len; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + k]);
            valid = (cont & 0xC0) == 0x80;
            cp = cp << 6 | (cont & 0x3F);
        }
        const char32_t minimum = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
        if (valid && cp >= minimum && xmlChar(cp)) {
            out.append(s.substr(i, len));
            i += len;
        } else {
            ++i;
        }
    }
    return out;
}

} // namespace vsx
