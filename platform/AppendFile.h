#pragma once
// A log or data file opened for appending that pushes every record to the operating system at
// once, so a crash or power cut loses at most the record being written.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vsx {

class AppendFile {
public:
    AppendFile() = default;
    explicit AppendFile(const std::string& path) { open(path); }
    ~AppendFile() { close(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool open(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }
    // Writes the bytes as they are and flushes; false when the file is closed or the write failed.
    bool write(std::string_view bytes);
    // Writes the text with CR LF line ends (a text-mode write) and flushes.
    bool writeText(std::string_view text);
    void close();

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

using AppendFilePtr = std::shared_ptr<AppendFile>;

// Opens, appends and closes in one call; false when the file cannot be opened.
bool appendToFile(const std::string& path, std::string_view bytes);

} // namespace vsx
