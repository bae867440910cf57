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

struct zip;

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

// An archive held open for reading more than its main document: the documents its network
// links name (tools that write one document per layer link them from "doc.kml").
class KmzArchive {
public:
    static KmzArchive openFile(const std::string& path);
    static KmzArchive openBytes(std::string_view bytes);  // the bytes must outlive the archive
    KmzArchive(KmzArchive&&) noexcept;
    KmzArchive& operator=(KmzArchive&&) noexcept;
    ~KmzArchive();

    bool isOpen() const { return archive_ != nullptr; }
    const std::string& openError() const { return error_; }
    // The main document as ReadKmlFromKmzFile chooses it.
    KmzReadResult readMainDocument(std::size_t cap);
    // The entry of this name (ASCII case ignored; unsafe names never match), counted against
    // the cap while it inflates.
    KmzReadResult readEntry(std::string_view name, std::size_t cap);

private:
    KmzArchive() = default;
    KmzReadResult readIndex(long long index, std::size_t cap);
    ::zip* archive_ = nullptr;
    std::string error_;
};

// Writes an archive whose one entry "doc.kml" holds `kml` (deflated), replacing `path`
// through a temporary file so an existing file stays whole when writing fails.
bool WriteKmz(const std::string& path, std::string_view kml, std::string* error = nullptr);

// Whether an archive entry name may be read: not "..", no leading '/' or '\', no drive prefix.
bool IsSafeKmzEntryName(std::string_view name);

} // namespace vsx
