#pragma once
// The compressed container of the project drawing file: the magic, then one zlib stream.
#include "platform/AtomicFile.h"

#include <string>
#include <string_view>
#include <zlib.h>

namespace vsx {

// Compresses text at zlib's default level straight onto a file being written.
class ProjectFileDeflater {
public:
    // Writes the magic at once. Failures are kept and reported by finish().
    explicit ProjectFileDeflater(AtomicFileWriter& file);
    ~ProjectFileDeflater();
    ProjectFileDeflater(const ProjectFileDeflater&) = delete;
    ProjectFileDeflater& operator=(const ProjectFileDeflater&) = delete;

    void write(std::string_view text);
    // Ends the stream; false with error() set when compressing or writing failed.
    bool finish();
    const std::string& error() const { return error_; }

private:
    bool pump(int flush);
    AtomicFileWriter& file_;
    z_stream zs_{};
    bool ready_ = false;
    std::string out_;
    std::string error_;
};

// Largest drawing text a file may inflate to; a bigger one is taken for a damaged or hostile file.
inline constexpr std::size_t MaxProjectTextBytes = std::size_t(1) << 30;

}  // namespace vsx
