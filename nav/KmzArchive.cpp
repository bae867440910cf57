#include "nav/KmzArchive.h"

#include "platform/Text.h"

#include <zip.h>

#include <memory>

namespace vsx {

namespace {

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct EntryCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using Entry = std::unique_ptr<zip_file_t, EntryCloser>;

std::string errorText(zip_error_t* e)
{
    const char* s = zip_error_strerror(e);
    return s ? s : "unknown error";
}

bool endsWithIgnoreCase(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && equalsIgnoreCaseAscii(s.substr(s.size() - suffix.size()), suffix);
}

bool topLevel(std::string_view name) { return name.find('/') == std::string_view::npos && name.find('\\') == std::string_view::npos; }

// Opens an archive from a libzip source (consumed either way).
zip_t* openSource(zip_source_t* source, std::string& errorOut)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_t* z = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!z) {
        errorOut = zip_error_code_zip(&error) == ZIP_ER_NOZIP
                       ? std::string("The file is not a KMZ archive (no ZIP directory found)")
                       : "The KMZ archive is damaged: " + errorText(&error);
        zip_source_free(source);
    }
    zip_error_fini(&error);
    return z;
}

} // namespace

bool IsSafeKmzEntryName(std::string_view name)
{
    if (name.empty() || name.find("..") != std::string_view::npos) return false;
    if (name.front() == '/' || name.front() == '\\') return false;
    if (name.size() >= 2 && name[1] == ':') return false;
    return true;
}

KmzArchive::KmzArchive(KmzArchive&& o) noexcept : archive_(o.archive_), error_(std::move(o.error_)) { o.archive_ = nullptr; }

KmzArchive& KmzArchive::operator=(KmzArchive&& o) noexcept
{
    std::swap(archive_, o.archive_);
    std::swap(error_, o.error_);
    return *this;
}

KmzArchive::~KmzArchive()
{
    if (archive_) zip_discard(archive_);
}

KmzArchive KmzArchive::openFile(const std::string& path)
{
    KmzArchive a;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_file_create(path.c_str(), 0, -1, &error);
    if (!source) a.error_ = "Failed to open KMZ file: " + errorText(&error);
    else a.archive_ = openSource(source, a.error_);
    zip_error_fini(&error);
    return a;
}

KmzArchive KmzArchive::openBytes(std::string_view bytes)
{
    KmzArchive a;
    if (bytes.empty()) {
        a.error_ = "The file is not a KMZ archive (it is empty)";
        return a;
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) a.error_ = "Failed to read KMZ archive";
    else a.archive_ = openSource(source, a.error_);
    zip_error_fini(&error);
    return a;
}

KmzReadResult KmzArchive::readMainDocument(std::size_t cap)
{
    KmzReadResult r;
    if (!archive_) {
        r.error = error_;
        return r;
    }
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count <= 0) {
        r.error = "The KMZ archive holds no files";
        return r;
    }
    zip_int64_t chosen = -1;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(archive_, zip_uint64_t(i), ZIP_FL_ENC_RAW);
        if (!raw) continue;
        const std::string_view name(raw);
        if (!IsSafeKmzEntryName(name) || !topLevel(name) || !endsWithIgnoreCase(name, ".kml")) continue;
        if (equalsIgnoreCaseAscii(name, "doc.kml")) {
            chosen = i;
            break;
        }
        if (chosen < 0) chosen = i;
    }
    if (chosen < 0) {
        r.error = "No KML file found in KMZ archive";
        return r;
    }
    return readIndex(chosen, cap);
}

KmzReadResult KmzArchive::readEntry(std::string_view wanted, std::size_t cap)
{
    KmzReadResult r;
    if (!archive_ || !IsSafeKmzEntryName(wanted)) {
        r.error = "No such entry in the KMZ archive";
        return r;
    }
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(archive_, zip_uint64_t(i), ZIP_FL_ENC_RAW);
        if (raw && equalsIgnoreCaseAscii(raw, wanted)) return readIndex(i, cap);
    }
    r.error = "No such entry in the KMZ archive";
    return r;
}

KmzReadResult KmzArchive::readIndex(long long index, std::size_t cap)
{
    KmzReadResult r;
    r.entry = zip_get_name(archive_, zip_uint64_t(index), ZIP_FL_ENC_RAW);
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_, zip_uint64_t(index), 0, &st) == 0 && (st.valid & ZIP_STAT_ENCRYPTION_METHOD) &&
        st.encryption_method != ZIP_EM_NONE) {
        r.error = "The KML file in the KMZ archive is encrypted and cannot be read";
        return r;
    }
    Entry file(zip_fopen_index(archive_, zip_uint64_t(index), 0));
    if (!file) {
        zip_error_t* e = zip_get_error(archive_);
        r.error = zip_error_code_zip(e) == ZIP_ER_NOPASSWD || zip_error_code_zip(e) == ZIP_ER_ENCRNOTSUPP
                      ? std::string("The KML file in the KMZ archive is encrypted and cannot be read")
                      : "Failed to read extracted KML file: " + errorText(e);
        return r;
    }
    // The header's size is only a hint: the entry is counted as it inflates.
    if ((st.valid & ZIP_STAT_SIZE) && st.size <= cap) r.kml.reserve(std::size_t(st.size));
    char buffer[65536];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            r.kml.clear();
            r.kml.shrink_to_fit();
            r.error = "Failed to read extracted KML file: " + errorText(zip_file_get_error(file.get()));
            return r;
        }
        if (n == 0) break;
        if (r.kml.size() + std::size_t(n) > cap) {
            r.kml.clear();
            r.kml.shrink_to_fit();
            r.error = "The KML file in the KMZ archive is larger than " + std::to_string(cap >> 20) + " MB";
            return r;
        }
        r.kml.append(buffer, std::size_t(n));
    }
    r.ok = true;
    return r;
}

KmzReadResult ReadKmlFromKmzFile(const std::string& path, std::size_t cap)
{
    return KmzArchive::openFile(path).readMainDocument(cap);
}

KmzReadResult ReadKmlFromKmzBytes(std::string_view archive, std::size_t cap)
{
    return KmzArchive::openBytes(archive).readMainDocument(cap);
}

bool WriteKmz(const std::string& path, std::string_view kml, std::string* errorOut)
{
    auto fail = [&](const std::string& why) {
        if (errorOut) *errorOut = why;
        return false;
    };
    int code = 0;
    // libzip writes the archive to a temporary file beside `path` and renames it at zip_close.
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z) {
        zip_error_t e;
        zip_error_init_with_code(&e, code);
        const std::string why = errorText(&e);
        zip_error_fini(&e);
        return fail(why);
    }
    Archive archive(z);
    zip_source_t* source = zip_source_buffer(z, kml.data(), kml.size(), 0);
    if (!source) return fail(errorText(zip_get_error(z)));
    const zip_int64_t index = zip_file_add(z, "doc.kml", source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return fail(errorText(zip_get_error(z)));
    }
    zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_DEFLATE, 0);
    if (zip_close(z) != 0) return fail(errorText(zip_get_error(z)));  // archive discards it
    archive.release();
    return true;
}

} // namespace vsx
