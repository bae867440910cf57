#pragma once
// The saved caster profiles of the NTRIP window: "profiles.txt" beside the settings file, one
// profile a line, seven fields separated by TAB (name, server, port, username, password,
// latitude, longitude), as typed. The file is read and written whole. It holds passwords in
// plain text, so a new file is made readable by its owner only.
//
// The window lists the lines that contain a TAB, in file order; item n of that list (counted
// from 0) is the n-th such line, whatever empty or foreign lines stand between them.
#include <optional>
#include <string>
#include <vector>

namespace vsx {

struct NtripProfile {
    std::string Server, Port, Username, Password, Latitude, Longitude;
};

// "server:port", or "username@server:port" when a user name is set.
std::string NtripProfileName(const std::string& server, const std::string& port, const std::string& username);

class NtripProfilesFile {
public:
    static constexpr unsigned NewFileMode = 0600;

    explicit NtripProfilesFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    // The names of the profiles (the text before the first TAB of each line that has one).
    std::vector<std::string> Names() const;
    // The fields of profile `index` (see above); nothing when there is no such profile.
    std::optional<std::vector<std::string>> Fields(std::size_t index) const;
    // Replaces the first line that begins with the profile's name and a TAB, or appends one.
    // Returns the name; nothing when the file could not be written.
    std::optional<std::string> Save(const NtripProfile& profile) const;

private:
    std::vector<std::string> lines() const;
    std::string path_;
};

// Moves a profiles file left in an old place (the program's folder) to `path`: only when the
// old one exists and none exists at `path`. Failures are ignored; the old file stays then.
void MoveOldProfiles(const std::string& oldPath, const std::string& path);

} // namespace vsx
