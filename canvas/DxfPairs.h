#pragma once
// The group-code/value pairs of an ASCII DXF file, read once into memory so that the import's
// passes (tables, blocks, entities) run over one vector. Lines end at "\n"; each is trimmed of
// blanks, tabs and CR, except text values (codes 1 and 3), which lose only the CR. Pairing is strict: an empty value line is a value, and a code line that is
// not a number stops the reading, rather than reading misaligned pairs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

struct DxfPair {
    std::int32_t Code = 0;
    std::string_view Value;  // into the reader's buffer
};

// Removes leading and trailing blanks, tabs and carriage returns in place.
void TrimDxfLine(std::string& line);
std::string_view trimDxfLine(std::string_view line);

class DxfPairs {
public:
    static constexpr std::size_t npos = std::size_t(-1);

    // Takes the file's bytes (a UTF-8 byte-order mark is skipped). False with a message for the
    // user when the bytes are not an ASCII DXF file.
    bool parse(std::string bytes, std::string& error);

    std::size_t size() const { return pairs_.size(); }
    const DxfPair& operator[](std::size_t i) const { return pairs_[i]; }
    const std::vector<DxfPair>& pairs() const { return pairs_; }

    // Index of the first pair after (0, SECTION), (2, name); npos when there is no such section.
    std::size_t findSection(std::string_view name) const;
    // The value after the HEADER variable (9, name); empty when missing.
    std::string_view headerVariable(std::string_view name) const;
    // The index of the next pair with code 0 after i (or size()).
    std::size_t recordEnd(std::size_t i) const;

private:
    std::string bytes_;
    std::vector<DxfPair> pairs_;
};

}  // namespace vsx
