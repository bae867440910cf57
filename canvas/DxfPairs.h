#pragma once
// The group-code/value pairs of an ASCII DXF file, read as a stream: a file is read in blocks of
// a megabyte and never held whole, so the import of a drawing with millions of vertices needs
// memory for its shapes, not for its text. Lines end at "\n"; each is trimmed of blanks, tabs and
// CR, except text values (codes 1 and 3), which lose only the CR. Pairing is strict: an empty
// value line is a value, and a code line that is not a number stops the reading rather than
// reading misaligned pairs.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vsx {

struct DxfPair {
    std::int32_t Code = 0;
    std::string_view Value;  // valid until the next pair is read
};

// Removes leading and trailing blanks, tabs and carriage returns in place.
void TrimDxfLine(std::string& line);
std::string_view trimDxfLine(std::string_view line);

class DxfPairReader {
public:
    // Reads from bytes in memory (which must outlive the reader) ...
    explicit DxfPairReader(std::string_view bytes);
    // ... or from an open file, which the reader closes.
    explicit DxfPairReader(std::FILE* file);
    ~DxfPairReader();
    DxfPairReader(const DxfPairReader&) = delete;
    DxfPairReader& operator=(const DxfPairReader&) = delete;

    // The next pair; false at the end or on an error (then error() says what, for the user).
    bool next(DxfPair& pair);
    const std::string& error() const { return error_; }

private:
    bool nextLine(std::string_view& line);
    bool fill();

    std::FILE* file_ = nullptr;
    std::string buffer_;       // file blocks
    std::string_view data_;    // what is left to read
    bool eof_ = false;
    bool started_ = false;
    std::size_t lineNo_ = 0;
    std::string error_;
};

}  // namespace vsx
