#include "PeerTools.h"

#include "platform/Numbers.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace vsx::test {

bool toolAvailable(const std::string& name)
{
    const std::string cmd = "command -v '" + name + "' >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

std::vector<std::vector<double>> runTool(const std::string& command, const std::string& input)
{
    std::string path = (std::filesystem::temp_directory_path() / "vsx-peer-XXXXXX").string();
    const int fd = ::mkstemp(path.data());
    if (fd < 0) return {};
    const ssize_t written = ::write(fd, input.data(), input.size());
    ::close(fd);
    std::vector<std::vector<double>> rows;
    if (written == ssize_t(input.size())) {
        const std::string cmd = command + " < '" + path + "' 2>/dev/null";
        if (FILE* pipe = ::popen(cmd.c_str(), "r")) {
            std::string out;
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
            ::pclose(pipe);
            size_t pos = 0;
            while (pos < out.size()) {
                size_t end = out.find('\n', pos);
                if (end == std::string::npos) end = out.size();
                std::vector<double> row;
                size_t i = pos;
                while (i < end) {
                    while (i < end && (out[i] == ' ' || out[i] == '\t' || out[i] == '\r')) ++i;
                    const size_t start = i;
                    while (i < end && out[i] != ' ' && out[i] != '\t' && out[i] != '\r') ++i;
                    if (i > start)
                        if (auto v = parseDouble(std::string_view(out).substr(start, i - start))) row.push_back(*v);
                }
                rows.push_back(row);
                pos = end + 1;
            }
        }
    }
    std::filesystem::remove(path);
    return rows;
}

} // namespace vsx::test
