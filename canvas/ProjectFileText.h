#pragma once
// How free text fields (layer names, texts, font names) go into the project drawing text and
// come back: one line each, in Windows-1254 unless the file declares UTF-8.
#include <string>
#include <string_view>

namespace vsx {

// The comment line that marks a file whose text fields are UTF-8 (written only when some name
// or text has characters outside Windows-1254; older readers skip comment lines).
inline constexpr std::string_view ProjectUtf8Comment = "# encoding: utf-8";

bool fitsCp1254(std::string_view utf8);

// A text or layer name for a record: control characters (line breaks, tabs) become blanks so
// that the text cannot end its record early, then the file's encoding.
std::string projectFieldText(std::string_view utf8, bool utf8File);
// A font name as one blank-free word: blanks become '_', an empty name "0" (no font).
std::string projectFontWord(std::string_view utf8, bool utf8File);

// Back to UTF-8 from a file's field.
std::string projectTextFromFile(std::string_view bytes, bool utf8File);
// The font name of a word read back ('_' becomes a blank); empty for "0" or nothing.
std::string projectFontFromWord(std::string_view word, bool utf8File);

}  // namespace vsx
