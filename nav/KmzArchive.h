#pragma once
// KMZ archives (a ZIP holding a KML document), read and written in memory with libzip: no
// shell, no temporary folder, no entry ever written to disk.
//
// Reading takes "doc.kml" at the top level of the archive, else its first top-level ".kml"
// entry in the order of the archive's directory (names compared without regard to ASCII case).
// Entry names holding "..", starting with '/' or '\' or with a drive prefix ("C:") are never
// taken. The entry's size is counted while it is inflated, so an entry whose header lies about
// its size still stops at the cap; encrypted entries are refused.
#include <cstddef>
#include <string>
#include <string_view>

namespace vsx {

// Largest KML text read from a file or an archive entry.
inline constexpr std::size_t KmlSizeCap = std::size_t(256) << 20;

struct KmzReadResult {
    bool ok = false;
    std::string kml;    // the entry's bytes
    std::string entry;  // its name
    std::string error;  // why nothing was read, for the user
};

KmzReadResult ReadKmlFromKmzFile(const std::string& path, std::size_t cap = KmlSizeCap);
KmzReadResult ReadKmlFromKmzBytes(std::string_view archive, std::size_t cap = KmlSizeCap);

// Writes an archive whose one entry "doc.kml" holds `kml` (deflated), replacing `path`
// through a temporary file so an existing file stays whole when writing fails.
bool WriteKmz(const std::string& path, std::string_view kml, std::string* error = nullptr);

// Whether an archive entry name may be read: not "..", no leading '/' or '\', no drive prefix.
bool IsSafeKmzEntryName(std::string_view name);

} // namespace vsx
