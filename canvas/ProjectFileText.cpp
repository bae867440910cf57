#include "canvas/ProjectFileText.h"

#include "platform/Text.h"

#include <algorithm>

namespace vsx {

namespace {
bool isAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
}  // namespace

bool fitsCp1254(std::string_view utf8)
{
    if (isAscii(utf8)) return true;
    return cp1254ToUtf8(utf8ToCp1254(utf8)) == utf8;
}

std::string projectFieldText(std::string_view utf8, bool utf8File)
{
    std::string line(utf8);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    if (utf8File || isAscii(line)) return line;
    return utf8ToCp1254(line);
}

std::string projectFontWord(std::string_view utf8, bool utf8File)
{
    std::string word = projectFieldText(utf8, utf8File);
    std::replace(word.begin(), word.end(), ' ', '_');
    return word.empty() ? std::string("0") : word;
}

std::string projectTextFromFile(std::string_view bytes, bool utf8File)
{
    if (utf8File || isAscii(bytes)) return std::string(bytes);
    return cp1254ToUtf8(bytes);
}

std::string projectFontFromWord(std::string_view word, bool utf8File)
{
    if (word.empty() || word == "0") return {};
    std::string name = projectTextFromFile(word, utf8File);
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

}  // namespace vsx
