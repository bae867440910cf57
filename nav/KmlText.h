#pragma once
// The text of a KML document: its bytes turned into UTF-8 (a byte-order mark selects UTF-8 or
// UTF-16; without one the XML declaration's encoding is used, UTF-8 by default), and the
// character data of an element with its entity references decoded and CDATA sections unwrapped.
// Only the five predefined entities and numeric character references exist here: a DTD and its
// entity declarations are never read, so no document can make the reader expand or fetch one.
#include <optional>
#include <string>
#include <string_view>

namespace vsx {

// The document as UTF-8. Returns a view of `bytes` when they already are UTF-8 (the byte-order
// mark dropped), else a view of `converted`, which then holds the decoded text. No value, with
// the reason in `error`, for an encoding that is declared but cannot be read.
std::optional<std::string_view> KmlTextAsUtf8(std::string_view bytes, std::string& converted, std::string& error);

// Character data between an element's tags: comments dropped, CDATA sections taken as they
// stand, "&amp;" "&lt;" "&gt;" "&quot;" "&apos;" and "&#...;" / "&#x...;" decoded. Any other
// '&' stays as written (hand-made files often hold a bare '&'); markup inside the element is
// kept as text.
std::string DecodeXmlCharacterData(std::string_view raw);

// What a text needs to be written as KML character data: '&', '<' and '>' as entity references;
// characters XML 1.0 does not allow (control characters other than TAB, CR and LF, and invalid
// UTF-8) left out.
std::string EscapeXmlText(std::string_view utf8);

} // namespace vsx
