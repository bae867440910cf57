#pragma once
// Messages and reports that exist in English and Turkish only: the English text while the
// interface language is "en" (or no translation manager exists yet), the Turkish text otherwise.
#include <QString>
#include <string>

namespace vsx {

struct LocalText {
    const char* en;  // UTF-8
    const char* tr;  // UTF-8
};

bool InterfaceIsEnglish();
// The text of the current language, UTF-8.
std::string localUtf8(const LocalText& text);
QString localText(const LocalText& text);

} // namespace vsx
