#pragma once
// Helpers of the drawing-file tests: a readable description of a shape's stored fields, so whole
// drawings compare as lists of lines, and the independent peer programs (python3 with zlib and
// ezdxf, GDAL's ogrinfo) run without a shell.
#include "canvas/CanvasModel.h"

#include <string>
#include <vector>

namespace vsx::test {

// "LINE L1 c255 w2 | 1.000000 2.000000 3.000000 4.000000" and the like; the fields a drawing
// file keeps, not the id.
std::string describeShape(const CanvasModel& model, const TVShape& s);
std::vector<std::string> describeDrawing(const CanvasModel& model);
std::vector<std::string> describeLayers(const CanvasModel& model);

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

// Whether the peer is installed; when not, the reason to give GTEST_SKIP.
bool havePython();
bool haveEzdxf();
bool haveOgrinfo();

}  // namespace vsx::test
