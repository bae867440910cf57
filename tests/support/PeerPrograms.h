#pragma once
// Independent peer programs (python3 with zlib and ezdxf, GDAL, xmllint, unzip, PROJ) run
// without a shell, and a file-size limit that makes writes fail as on a full disk.
#include <string>
#include <vector>

namespace vsx::test {

struct PeerResult {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs a program with arguments (no shell), standard input closed.
PeerResult runProgram(const std::string& program, const std::vector<std::string>& args, int timeoutMs = 120000);
// Runs a Python script with the system interpreter (/usr/bin/python3, the one that sees the
// Debian packages). Arguments follow the script as sys.argv[1:].
PeerResult runPython(const std::string& script, const std::vector<std::string>& args = {});

// Limits the size of files this process writes (RLIMIT_FSIZE, SIGXFSZ ignored) while it lives,
// so that a save fails half-way as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long oldCur_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

// Whether the peer is installed; when not, the reason to give VSX_SKIP_MISSING().
bool havePython();
bool haveEzdxf();
bool haveOgrinfo();
// Whether a program is on the PATH.
bool haveProgram(const std::string& name);

}  // namespace vsx::test
