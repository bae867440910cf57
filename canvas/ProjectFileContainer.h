#pragma once
// The compressed container of the project drawing file: the magic, then one zlib stream.
#include "platform/AtomicFile.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
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

// The lines of a file's compressed drawing while it inflates: a worker thread inflates ahead in
// blocks of a few megabytes (at most a few blocks ahead) while the caller parses the lines
// already there, so loading costs about the longer of the two rather than their sum. Lines
// are handed out as LineReader does (without "\n" and a CR before it); a view stays valid until
// the next call. finish() waits for the worker and throws DrawingFileError when the stream was
// damaged, truncated or too large; destroying the reader early stops the worker.
class InflatedLines {
public:
    // `compressed` is the zlib stream after the magic; it must outlive the reader.
    InflatedLines(std::string_view compressed, std::string fileName);
    ~InflatedLines();
    InflatedLines(const InflatedLines&) = delete;
    InflatedLines& operator=(const InflatedLines&) = delete;

    bool next(std::string_view& line);
    void finish();

private:
    void inflateAll();
    bool nextBlock();

    std::string_view compressed_;
    std::string fileName_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> ready_;
    bool done_ = false, stop_ = false;
    std::string error_;
    std::string block_;   // the block being read
    std::size_t pos_ = 0;
    std::string joined_;  // a line that ran across two blocks
    std::thread worker_;
};

}  // namespace vsx
