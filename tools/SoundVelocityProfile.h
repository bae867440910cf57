#pragma once
// The sound-velocity profile pipeline: the text lines of a probe cast -> depth/velocity pairs ->
// a table of per-metre means -> the SV column, which holds for every whole metre the mean sound
// velocity of the water column from the surface down to it.
//
// Lines are 8-bit text (Windows-1254). Numbers are written with the fixed-decimal formatter
// (rounding half away from zero on the decimal digits) and read with the safe scan-format
// interpreter, so neither the desktop locale nor a user's search format can change or break them.
//
// Line formats:
//  - pair:   depth rounded to whole metres "," velocity with three decimals     "5,1502.300"
//  - table:  line index = depth 0..MaxDepth; "depth,mean,count". A depth's first sample is its
//            pair line + ",1"; later samples rewrite the line with the mean of the mean read back
//            and the new sample, two decimals. A shallower depth without a sample is an empty line;
//            the depths deeper than the deepest sample, down to MaxDepth, carry its mean, count 0.
//  - column: line index = depth 0..MaxDepth; one velocity, two decimals.
#include "platform/ScanFormat.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vsx {

using TextLines = std::vector<std::string>;

inline constexpr double kProbeSvMin = 1350.0;    // probe samples outside [min, max] are questioned
inline constexpr double kProbeSvMax = 1600.0;
inline constexpr double kColumnSvLow = 1300.0;   // column values lie strictly between low and high
inline constexpr double kColumnSvHigh = 1700.0;
inline constexpr int kMaxProfileDepth = 12000;  // deepest MaxDepth accepted, metres
inline constexpr const char* kDefaultSvpSearchString = "%*23s %lf,%lf";
inline constexpr const char* kDefaultSvpMaxDepth = "200";

// ---- Extraction -----------------------------------------------------------------------------

enum class OutOfRangeAnswer { SkipLine, Stop };
// Asked for a sample whose velocity lies outside [kProbeSvMin, kProbeSvMax]; line numbers count
// from 1.
using OutOfRangeQuestion = std::function<OutOfRangeAnswer(double soundVelocity, int lineNumber)>;

struct ExtractResult {
    TextLines pairs;
    bool stopped = false;  // the question was answered Stop; `pairs` holds what came before
};

// Reads two numbers from every line with `format` (velocity first when `svFirst`); a line that
// does not give exactly two numbers is skipped.
ExtractResult ExtractProfilePairs(const TextLines& raw, const ScanFormat& format, bool svFirst,
                                  const OutOfRangeQuestion& ask);
std::string ProfilePairLine(double depth, double soundVelocity);

// ---- Per-metre means --------------------------------------------------------------------------

// The table of depths 0..maxDepth (maxDepth + 1 lines) from the pair lines, in their order.
// Pairs outside 0..maxDepth change no line. Without any pair the table is all empty lines.
TextLines AverageProfile(const TextLines& pairs, int maxDepth);

// Table lines that were edited as a list of points (the graph writes one line per point) laid
// out again with the line index as the depth: maxDepth + 1 lines or up to the deepest point,
// empty lines for depths without a point, the last line of a depth winning. Lines without a
// depth, and depths outside 0..kMaxProfileDepth, are dropped.
TextLines LayOutTableByDepth(const TextLines& lines, int maxDepth);

// ---- SV column ----------------------------------------------------------------------------------

struct SvColumnResult {
    enum class Status { Ok, NoSurfaceValue, OutOfRange };
    Status status = Status::Ok;
    int depth = -1;     // the line that stopped the step
    TextLines column;   // maxDepth + 1 lines when Ok, else empty
};

// For e = 0..maxDepth: mean = (m * mean + v) / (m + 1) with m, v the depth and velocity of table
// line e; a table line without them repeats the last line read. The surface line must hold a
// value; every velocity and mean must lie strictly inside (kColumnSvLow, kColumnSvHigh).
SvColumnResult BuildSvColumn(const TextLines& table, int maxDepth);

// ---- Search format from a header line ---------------------------------------------------------

struct DetectedProfileFormat {
    int headerLine = 0;  // from 0
    char delimiter = ',';
    int svColumn = 0, depthColumn = 0;  // from 0
    std::string searchString;
    bool svFirst = true;
};

// The first line naming a velocity ("SV", "VELOCITY") and a depth ("PRESSURE", "DEPTH") column
// is the header; its delimiter is the first of ',', TAB, ';' it holds. No value when there is no
// such line, or one column would have to be both.
std::optional<DetectedProfileFormat> DetectProfileFormat(const TextLines& raw);

} // namespace vsx
