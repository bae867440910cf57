#include "input/NtripProfiles.h"

#include "platform/AtomicFile.h"
#include "platform/Paths.h"

#include <cstdio>

namespace vsx {
namespace {

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        pos = end + 1;
    }
    return lines;
}

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', pos);
        fields.push_back(line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos));
        if (tab == std::string::npos) return fields;
        pos = tab + 1;
    }
}

// Text-mode lines: each ends in CR LF.
bool writeLines(const std::string& path, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return writeFileAtomically(path, text, nullptr, NtripProfilesFile::NewFileMode);
}

} // namespace

std::string NtripProfileName(const std::string& server, const std::string& port, const std::string& username)
{
    const std::string name = server + ":" + port;
    return username.empty() ? name : username + "@" + name;
}

std::vector<std::string> NtripProfilesFile::lines() const
{
    std::string text;
    if (!readFile(path_, text)) return {};
    return splitLines(text);
}

std::vector<std::string> NtripProfilesFile::Names() const
{
    std::vector<std::string> names;
    for (const std::string& l : lines())
        if (const std::size_t tab = l.find('\t'); tab != std::string::npos) names.push_back(l.substr(0, tab));
    return names;
}

std::optional<std::vector<std::string>> NtripProfilesFile::Fields(std::size_t index) const
{
    std::size_t n = 0;
    for (const std::string& l : lines()) {
        if (l.find('\t') == std::string::npos) continue;
        if (n++ == index) return splitTabs(l);
    }
    return std::nullopt;
}

std::optional<std::string> NtripProfilesFile::Save(const NtripProfile& p) const
{
    const std::string name = NtripProfileName(p.Server, p.Port, p.Username);
    const std::string line =
        name + '\t' + p.Server + '\t' + p.Port + '\t' + p.Username + '\t' + p.Password + '\t' + p.Latitude + '\t' + p.Longitude;
    std::vector<std::string> all = fileExists(path_) ? lines() : std::vector<std::string>{};
    bool replaced = false;
    for (std::string& l : all) {
        if (l.starts_with(name + '\t')) {
            l = line;
            replaced = true;
            break;
        }
    }
    if (!replaced) all.push_back(line);
    if (!writeLines(path_, all)) return std::nullopt;
    return name;
}

void MoveOldProfiles(const std::string& oldPath, const std::string& path)
{
    if (oldPath == path || !fileExists(oldPath) || fileExists(path)) return;
    std::string text;
    if (!readFile(oldPath, text)) return;
    if (!writeLines(path, splitLines(text))) return;
    std::remove(oldPath.c_str());
}

} // namespace vsx
