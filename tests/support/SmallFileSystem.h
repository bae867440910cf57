#pragma once
// A small file system of its own (tmpfs) mounted on a folder for one test, so that the test can
// fill it as a real disk fills and free it again. It is unmounted when it goes, whatever the test
// did. Mounting takes root; where the system refuses, mounted() is false and why() says why.
#include <string>

namespace vsx::test {

class SmallFileSystem {
public:
    // `size` as mount takes it ("2m").
    SmallFileSystem(const std::string& folder, const std::string& size);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    // Fills the file system to its last byte with a file of its own; false when it cannot.
    bool fill();
    // Removes that file: the space is free again.
    void free();

private:
    std::string folder_;
    bool mounted_ = false;
    std::string why_;
};

} // namespace vsx::test
