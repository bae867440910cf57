#include "nav/SoundingFiles.h"

#include "platform/AppendFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/WriteFailureWatch.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vsx {

std::string FormatSoundingRecord(const SoundingRecord& r)
{
    std::string s;
    s.reserve(200);
    auto f2 = [&](double v) {
        s += ',';
        s += formatFixed(v, 2);
    };
    auto optional = [&](const std::optional<double>& v, int decimals) {
        s += ',';
        if (v) s += formatFixed(*v, decimals);
    };
    s += formatDate(r.time) + " " + formatTimeCompact(r.time);
    optional(r.latitude, 10);
    optional(r.longitude, 10);
    optional(r.easting, 2);
    optional(r.northing, 2);
    f2(r.manualTide - r.trueHi);
    f2(r.manualTide - r.trueLo);
    f2(r.trueHi);
    f2(r.trueLo);
    s += "," + formatGeneral(r.rawHi);
    s += "," + formatGeneral(r.rawLo);
    s += "," + r.messageType;
    f2(r.soundVelocity);
    f2(r.draft);
    s += "," + std::to_string(r.fixQuality);
    f2(r.rtkAntennaHeight);
    f2(r.manualTide);
    f2(r.rtkTide);
    return s;
}

namespace {

// Appends one line (CR LF) with a header first when the file is empty, in one write: the file
// takes the whole of it or nothing.
bool appendLine(AppendFile& f, const char* header, const std::string& line, bool* headerWritten)
{
    return f.write(line + "\r\n", std::string(header) + "\r\n", headerWritten);
}

std::string alternativeName(const std::string& name, int n)
{
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExt ? name.substr(0, dot) : name;
    const std::string ext = hasExt ? name.substr(dot) : "";
    return stem + "_" + std::to_string(n) + ext;
}

// Opens the file, making its folder first when it is missing.
bool openMakingFolder(AppendFile& f, const std::string& fileName)
{
    if (f.open(fileName) || f.error() != ENOENT) return f.isOpen();
    const size_t slash = fileName.find_last_of('/');
    if (slash != std::string::npos) makeFolders(fileName.substr(0, slash));
    return f.open(fileName);
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

CsvAppendResult AppendSurveyCsvRecord(const std::string& fileName, const SoundingRecord& r)
{
    CsvAppendResult result;
    const std::string line = FormatSoundingRecord(r);
    // The alternative names are for a survey file that another program holds for itself. Any
    // other failure (a full disk, no rights, a folder in the way) loses the record, and the next
    // one tries the survey file again: a survey is never split over files for such a cause.
    for (int n = 0; n <= 99; ++n) {
        const std::string name = n == 0 ? fileName : alternativeName(fileName, n);
        const bool existed = n == 0 || exists(name);
        AppendFile f;
        if (!openMakingFolder(f, name)) {
            if (n == 0) result.error = f.errorText();
            if (isHeldError(f.error())) continue;
            return result;
        }
        if (f.heldByAnotherProgram()) {
            if (n == 0) result.error = "the file is held by another program";
            f.close();
            if (!existed) ::unlink(name.c_str());
            continue;
        }
        result.written = appendLine(f, kSurveyCsvHeader, line, &result.headerWritten);
        if (result.written) {
            result.fileName = name;
            return result;
        }
        if (n == 0) result.error = f.errorText();
        // An alternative made for this record and left empty goes again.
        if (!existed && f.size() == 0) ::unlink(name.c_str());
        return result;
    }
    return result;
}

bool AppendSimpleXyzRecord(const std::string& fileName, double e, double n, double z, std::string* error)
{
    AppendFile f;
    const bool ok = openMakingFolder(f, fileName) &&
                    appendLine(f, kSimpleXyzHeader, formatFixed(e, 2) + "," + formatFixed(n, 2) + "," + formatFixed(z, 2), nullptr);
    if (!ok && error) *error = f.errorText();
    return ok;
}

} // namespace vsx
