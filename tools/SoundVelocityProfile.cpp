#include "tools/SoundVelocityProfile.h"

#include "platform/Numbers.h"
#include "platform/Text.h"

#include <climits>
#include <cmath>
#include <algorithm>
#include <map>

namespace vsx {

namespace {
// The pipeline's own formats; they always compile.
const ScanFormat& pairFormat()
{
    static const ScanFormat f = *ScanFormat::compile("%d,%lf");
    return f;
}
const ScanFormat& tableFormat()
{
    static const ScanFormat f = *ScanFormat::compile("%d,%lf,%d");
    return f;
}
const ScanFormat& meanFormat()
{
    static const ScanFormat f = *ScanFormat::compile("%*d,%lf");
    return f;
}

bool isWhole(double v) { return v >= INT_MIN && v <= INT_MAX; }

// Depth and value of a "depth,value" line.
bool readPair(const std::string& line, int& depth, double& value)
{
    double v[2];
    if (pairFormat().scan(line, v, 2) != 2 || !isWhole(v[0])) return false;
    depth = int(v[0]);
    value = v[1];
    return true;
}

bool insideColumnRange(double v) { return v > kColumnSvLow && v < kColumnSvHigh; }
} // namespace

// ---- Extraction -------------------------------------------------------------------------------

std::string ProfilePairLine(double depth, double soundVelocity)
{
    return formatFixed(depth, 0) + "," + formatFixed(soundVelocity, 3);
}

ExtractResult ExtractProfilePairs(const TextLines& raw, const ScanFormat& format, bool svFirst,
                                  const OutOfRangeQuestion& ask)
{
    ExtractResult r;
    for (size_t i = 0; i < raw.size(); ++i) {
        // Room for a third number, so a line that gives more than two is told apart and skipped.
        double v[3];
        if (format.scan(raw[i], v, 3) != 2) continue;
        const double sv = svFirst ? v[0] : v[1];
        const double depth = svFirst ? v[1] : v[0];
        if (sv < kProbeSvMin || sv > kProbeSvMax) {
            if (ask && ask(sv, int(i) + 1) == OutOfRangeAnswer::Stop) {
                r.stopped = true;
                return r;
            }
            continue;
        }
        r.pairs.push_back(ProfilePairLine(depth, sv));
    }
    return r;
}

// ---- Per-metre means --------------------------------------------------------------------------

TextLines AverageProfile(const TextLines& pairs, int maxDepth)
{
    if (maxDepth < 0) return {};
    TextLines table(size_t(maxDepth) + 1);
    int deepest = -1;
    for (const std::string& line : pairs) {
        int d = 0;
        double v = 0;
        if (!readPair(line, d, v)) continue;
        if (d > deepest) deepest = d;
        if (d < 0 || d > maxDepth) continue;
        std::string& entry = table[size_t(d)];
        double t[3];
        // The table starts empty, so every line read back here was written by this loop.
        if (tableFormat().scan(entry, t, 3) != 3 || t[0] != d || t[2] < 1 || !isWhole(t[2])) {
            entry = line + ",1";
        } else {
            // The mean as read back from the line, rounded as it was written.
            const int n = int(t[2]);
            const double mean = (n * t[1] + v) / (n + 1);
            entry = formatInt(d) + "," + formatFixed(mean, 2) + "," + formatInt(n + 1);
        }
    }
    // Below the deepest sample the water is taken as it was there. Nothing to fill when no pair
    // was taken or the deepest one lies at or beyond MaxDepth.
    if (deepest >= 0 && deepest < maxDepth) {
        double mean = 0;
        if (meanFormat().scan(table[size_t(deepest)], &mean, 1) == 1) {
            const std::string meanText = formatFixed(mean, 2);
            for (int e = deepest + 1; e <= maxDepth; ++e) table[size_t(e)] = formatInt(e) + "," + meanText + ",0";
        }
    }
    return table;
}

TextLines LayOutTableByDepth(const TextLines& lines, int maxDepth)
{
    std::map<int, const std::string*> byDepth;
    for (const std::string& line : lines) {
        double d = 0;
        if (pairFormat().scan(line, &d, 1) < 1 || d < 0 || d > kMaxProfileDepth) continue;
        byDepth[int(d)] = &line;
    }
    int size = std::max(maxDepth, 0) + 1;
    if (!byDepth.empty()) size = std::max(size, byDepth.rbegin()->first + 1);
    TextLines table(static_cast<size_t>(size));
    for (const auto& [depth, line] : byDepth) table[size_t(depth)] = *line;
    return table;
}

// ---- SV column --------------------------------------------------------------------------------

SvColumnResult BuildSvColumn(const TextLines& table, int maxDepth)
{
    SvColumnResult r;
    TextLines column(size_t(std::max(maxDepth, -1) + 1));
    double mean = 0, m = 0, v = 0;
    bool seen = false;
    for (int e = 0; e <= maxDepth; ++e) {
        int depth = 0;
        double value = 0;
        if (size_t(e) < table.size() && readPair(table[size_t(e)], depth, value)) {
            m = depth;
            v = value;
            seen = true;
        } else if (!seen) {
            r.status = SvColumnResult::Status::NoSurfaceValue;
            r.depth = e;
            return r;
        }
        // A line without a value repeats the last line read, with its weight.
        mean = (m * mean + v) / (m + 1);
        if (!insideColumnRange(mean) || !insideColumnRange(v)) {
            r.status = SvColumnResult::Status::OutOfRange;
            r.depth = e;
            return r;
        }
        column[size_t(e)] = formatFixed(mean, 2);
    }
    r.column = std::move(column);
    return r;
}

// ---- Search format from a header line ---------------------------------------------------------

std::optional<DetectedProfileFormat> DetectProfileFormat(const TextLines& raw)
{
    auto namesVelocity = [](const std::string& upper) {
        return upper.find("SV") != std::string::npos || upper.find("VELOCITY") != std::string::npos;
    };
    auto namesDepth = [](const std::string& upper) {
        return upper.find("PRESSURE") != std::string::npos || upper.find("DEPTH") != std::string::npos;
    };
    DetectedProfileFormat f;
    size_t header = 0;
    for (; header < raw.size(); ++header) {
        const std::string upper = toUpperAscii(raw[header]);
        if (namesVelocity(upper) && namesDepth(upper)) break;
    }
    if (header == raw.size()) return std::nullopt;
    const std::string& line = raw[header];
    f.headerLine = int(header);
    f.delimiter = ',';
    for (char c : {',', '\t', ';'}) {
        if (line.find(c) != std::string::npos) {
            f.delimiter = c;
            break;
        }
    }
    int sv = -1, depth = -1, column = 0;
    for (size_t start = 0;; ++column) {
        const size_t end = line.find(f.delimiter, start);
        const std::string field = toUpperAscii(trim(line.substr(start, end == std::string::npos ? end : end - start)));
        if (namesVelocity(field)) sv = column;
        if (namesDepth(field)) depth = column;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    // One field cannot be both columns: the format would read two neighbouring fields instead.
    if (sv < 0 || depth < 0 || sv == depth) return std::nullopt;
    f.svColumn = sv;
    f.depthColumn = depth;
    f.svFirst = sv < depth;
    const int lo = std::min(sv, depth), hi = std::max(sv, depth);
    const std::string d(1, f.delimiter);
    const std::string skip = "%*[^" + d + "]" + d;
    for (int i = 0; i < lo; ++i) f.searchString += skip;
    f.searchString += "%lf" + d;
    for (int i = 0; i < hi - lo - 1; ++i) f.searchString += skip;
    f.searchString += "%lf";
    return f;
}

} // namespace vsx
