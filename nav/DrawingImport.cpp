#include "nav/DrawingImport.h"

#include "platform/Numbers.h"
#include "platform/Text.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace vsx {

std::string ImportLayerName(std::string_view stem)
{
    static constexpr std::string_view exact[] = {"Default",          "Veldor Grid",      "veldor_tempshape",
                                                 "veldor_usershape", "event_number",     "Veldor_Route",
                                                 "Veldor_Runlines",  "Veldor_SelectPoly"};
    static constexpr std::string_view prefixes[] = {"track", "~~", "_dxf_"};
    bool reserved = false;
    for (std::string_view n : exact) reserved = reserved || equalsIgnoreCaseAscii(stem, n);
    for (std::string_view p : prefixes) reserved = reserved || startsWithIgnoreCaseAscii(stem, p);
    return reserved ? "import_" + std::string(stem) : std::string(stem);
}

int PrepareImportLayer(CanvasModel& model, const std::string& name)
{
    const int current = model.CurrentLayer();
    int id = model.FindLayer(name);
    if (id >= 0) model.DeleteLayerShapes(id);
    else id = model.AddLayer(name);
    model.SetLayerOption(id, 15);
    // The user's next shape must not land on the import layer, which the next import empties.
    model.SetCurrentLayer(current);
    return id;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\v' || c == '\f'; }

// Up to four numbers from the start of a line, read as the C library's "%lf %lf %lf %lf" would
// (stopping at the first text that is not a number), but always with '.'. Returns how many
// were read; -1 when one of them is not finite.
int readNumbers(std::string_view line, double (&v)[4])
{
    std::size_t i = 0;
    int count = 0;
    while (count < 4) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::size_t start = i;
        if (line[start] == '+') ++start;
        const auto [end, ec] = std::from_chars(line.data() + start, line.data() + line.size(), v[count]);
        if (ec == std::errc::result_out_of_range) return -1;
        if (ec != std::errc() || (start > i && start < line.size() && line[start] == '-')) break;
        if (!std::isfinite(v[count])) return -1;
        ++count;
        i = std::size_t(end - line.data());
    }
    return count;
}

} // namespace

std::vector<XyzPoint> ParseXyzText(std::string_view text)
{
    std::vector<XyzPoint> points;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const void* nl = std::memchr(text.data() + pos, '\n', text.size() - pos);
        const std::size_t end = nl ? std::size_t(static_cast<const char*>(nl) - text.data()) : text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty()) continue;
        const char first = line.front();
        if (!((first >= '0' && first <= '9') || first == '+' || first == '-')) continue;
        double v[4] = {0, 0, 0, 0};
        const int n = readNumbers(line, v);
        XyzPoint p;
        if (n == 3) p = {v[0], v[1], v[2]};
        else if (n == 4) p = {v[1], v[2], v[3]};
        else continue;
        if (p.E == 0 && p.N == 0) continue;
        points.push_back(p);
    }
    return points;
}

void AddXyzPoints(CanvasModel& model, int layerId, const std::vector<XyzPoint>& points)
{
    for (const XyzPoint& p : points) {
        const int point = model.AddPoint(p.E, p.N, layerId);
        if (point >= 1) {
            model.SetPointSize(point, 1);
            model.SetShapeWidth(point, 1);
        }
        const int label = model.AddText(layerId, formatFixedPrecision(p.Z, 10, 2), p.E, p.N, 0);
        if (label >= 1) {
            model.SetTextHAlign(label, 1);
            model.SetTextVAlign(label, 1);
        }
    }
}

KmlImportCounts AddKmlPlacemarks(CanvasModel& model, int layerId, const KmlReader& reader)
{
    KmlImportCounts counts;
    for (const GridXY& p : reader.GetProjectedPoints()) {
        model.AddPoint(p.X, p.Y, layerId);
        ++counts.points;
    }
    WorldPoints line;
    for (const std::vector<GridXY>& l : reader.GetProjectedLines()) {
        line.clear();
        for (const GridXY& p : l) line.push_back({p.X, p.Y});
        if (model.AddPolyline(line, layerId, 0) >= 0) ++counts.lines;
    }
    for (const KmlPlacemark& pm : reader.Placemarks) {
        if (pm.Name.empty()) continue;
        for (const KmlGeometry& g : pm.Geometries) {
            if (g.Coordinates.empty()) continue;
            const KmlCoordinate& c = g.Coordinates.front();
            if (c.X == 0 && c.Y == 0) continue;
            model.AddText(layerId, pm.Name, c.X, c.Y, 0);
            ++counts.names;
        }
    }
    return counts;
}

} // namespace vsx
