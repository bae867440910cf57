#pragma once
// A fresh temporary home for one test: HOME and APPDATA point into it, so the settings file and
// the data folders are the test's own. The old values come back when it goes.
#include <string>

namespace vsx::test {

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& root() const { return root_; }        // ends in '/'
    std::string iniPath() const;                              // the settings file inside it
    std::string path(const std::string& relative) const { return root_ + relative; }
    void writeFile(const std::string& relative, const std::string& bytes) const;
    std::string readFile(const std::string& relative) const;

private:
    std::string root_;
    std::string oldHome_, oldAppData_, oldXdg_, oldXdgCache_;
    bool hadHome_ = false, hadAppData_ = false, hadXdg_ = false, hadXdgCache_ = false;
};

// The recordings folder (tests/data, or $VSX_SHARED_DATA), or empty when it is not there.
std::string sharedDataFolder();

} // namespace vsx::test
