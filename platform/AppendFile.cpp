#include "platform/AppendFile.h"

#include "platform/Text.h"

namespace vsx {

bool AppendFile::open(const std::string& path)
{
    close();
    file_ = std::fopen(path.c_str(), "ab");
    path_ = path;
    return file_ != nullptr;
}

bool AppendFile::write(std::string_view bytes)
{
    if (!file_) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    return std::fflush(file_) == 0 && ok;
}

bool AppendFile::writeText(std::string_view text) { return write(toCrLf(text)); }

void AppendFile::close()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool appendToFile(const std::string& path, std::string_view bytes)
{
    AppendFile f(path);
    return f.isOpen() && f.write(bytes);
}

} // namespace vsx
