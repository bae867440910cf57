#pragma once
// Locale-free text helpers: ASCII-only case folding (a Turkish locale would turn "i" into a dotted
// capital), trimming, and the Windows-1254 code page that 8-bit file and protocol text uses.
#include <string>
#include <string_view>

class QString;

namespace vsx {

char toUpperAscii(char c);
char toLowerAscii(char c);
std::string toUpperAscii(std::string_view s);
std::string toLowerAscii(std::string_view s);
bool equalsIgnoreCaseAscii(std::string_view a, std::string_view b);
bool startsWithIgnoreCaseAscii(std::string_view text, std::string_view prefix);

// Blanks, tabs, CR and LF (and other control characters up to ' ') are trimmed, like the
// class library's Trim.
std::string_view trimView(std::string_view s);
std::string trim(std::string_view s);

// Windows-1254 <-> UTF-8. Bytes that the code page leaves undefined map to U+FFFD on decoding;
// characters the code page cannot hold become '?' on encoding.
std::string cp1254ToUtf8(std::string_view bytes);
std::string utf8ToCp1254(std::string_view utf8);
QString fromCp1254(std::string_view bytes);
std::string toCp1254(const QString& text);

// Appends one Unicode code point encoded as UTF-8.
void appendCodePointUtf8(std::string& out, char32_t codePoint);

// Turns every "\n" not already preceded by "\r" into "\r\n", as a text-mode file write does.
std::string toCrLf(std::string_view text);

} // namespace vsx
