#include "nav/SoundingFiles.h"

#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/WriteFailureWatch.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

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

// Appends one line (CR LF) with a header first when the file is empty; one write, then flush.
bool appendLine(std::FILE* f, const char* header, const std::string& line, bool* headerWritten)
{
    struct stat st {};
    std::string out;
    if (::fstat(fileno(f), &st) == 0 && st.st_size == 0) {
        out = std::string(header) + "\r\n";
        if (headerWritten) *headerWritten = true;
    }
    out += line + "\r\n";
    errno = 0;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fflush(f) == 0 && ok;
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

} // namespace

CsvAppendResult AppendSurveyCsvRecord(const std::string& fileName, const SoundingRecord& r)
{
    CsvAppendResult result;
    const size_t slash = fileName.find_last_of('/');
    if (slash != std::string::npos) makeFolders(fileName.substr(0, slash));
    const std::string line = FormatSoundingRecord(r);
    for (int n = 0; n <= 99; ++n) {
        const std::string name = n == 0 ? fileName : alternativeName(fileName, n);
        std::FILE* f = std::fopen(name.c_str(), "ab");
        if (!f) {
            if (n == 0) result.error = SystemReason(errno);
            continue;
        }
        result.written = appendLine(f, kSurveyCsvHeader, line, &result.headerWritten);
        if (!result.written && n == 0) result.error = SystemReason(errno);
        std::fclose(f);
        if (result.written) {
            result.fileName = name;
            return result;
        }
    }
    return result;
}

bool AppendSimpleXyzRecord(const std::string& fileName, double e, double n, double z, std::string* error)
{
    const size_t slash = fileName.find_last_of('/');
    if (slash != std::string::npos) makeFolders(fileName.substr(0, slash));
    std::FILE* f = std::fopen(fileName.c_str(), "ab");
    if (!f) {
        if (error) *error = SystemReason(errno);
        return false;
    }
    const bool ok = appendLine(f, kSimpleXyzHeader, formatFixed(e, 2) + "," + formatFixed(n, 2) + "," + formatFixed(z, 2), nullptr);
    if (!ok && error) *error = SystemReason(errno);
    std::fclose(f);
    return ok;
}

} // namespace vsx
