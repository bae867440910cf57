#include "canvas/DxfExport.h"

#include "canvas/FileNumbers.h"
#include "platform/AtomicFile.h"
#include "platform/Text.h"

#include <cmath>
#include <numbers>
#include <unordered_map>
#include <unordered_set>

namespace vsx {

namespace {

constexpr std::size_t kPieceBytes = 1 << 20;
constexpr std::size_t kMaxTextBytes = 255;  // the longest TEXT value release 12 takes
constexpr int kEllipseVertices = 72;

// Pairs of lines, CR LF ended.
class DxfWriter {
public:
    explicit DxfWriter(const std::function<void(std::string_view)>& sink) : sink_(sink) { buf_.reserve(kPieceBytes + 4096); }

    void pair(std::string_view code, std::string_view value)
    {
        buf_ += code;
        buf_ += "\r\n";
        buf_ += value;
        buf_ += "\r\n";
        if (buf_.size() >= kPieceBytes) flush();
    }
    void number(std::string_view code, double v)
    {
        buf_ += code;
        buf_ += "\r\n";
        filenum::appendFixed(buf_, v, 6);
        buf_ += "\r\n";
    }
    void point(double x, double y, int axis = 0)
    {
        static const char* const codes[][3] = {{"10", "20", "30"}, {"11", "21", "31"}};
        number(codes[axis][0], x);
        number(codes[axis][1], y);
        pair(codes[axis][2], "0.0");
    }
    void flush()
    {
        if (!buf_.empty()) sink_(buf_);
        buf_.clear();
    }

private:
    const std::function<void(std::string_view)>& sink_;
    std::string buf_;
};

// A value line in the file's code page with no line break in it, so it cannot split its pair.
std::string dxfValue(std::string_view utf8, std::size_t maxBytes = std::string::npos)
{
    std::string s = utf8ToCp1254(utf8);
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    if (s.size() > maxBytes) s.resize(maxBytes);
    return s;
}

// DXF layer names: no empty name, none of < > / \ " : ; ? * | = `, unique without regard to case.
class LayerNames {
public:
    const std::string& nameOf(const CanvasModel& model, int layerId)
    {
        auto it = names_.find(layerId);
        if (it != names_.end()) return it->second;
        const CanvasLayer* layer = model.FindLayerById(layerId);
        std::string name = layer ? dxfValue(layer->Name) : std::string("0");
        if (layer) {
            for (char& c : name)
                if (std::string_view("<>/\\\":;?*|=`").find(c) != std::string_view::npos) c = '_';
            if (name.empty()) name = "_";
            std::string unique = name;
            for (int n = 2; !taken_.insert(toUpperAscii(unique)).second; ++n) unique = name + "_" + std::to_string(n);
            name = unique;
        }
        return names_.emplace(layerId, std::move(name)).first->second;
    }

private:
    std::unordered_map<int, std::string> names_;
    std::unordered_set<std::string> taken_;
};

void writeHeader(DxfWriter& out, const CanvasModel& model)
{
    out.pair("0", "SECTION");
    out.pair("2", "HEADER");
    out.pair("9", "$ACADVER");
    out.pair("1", "AC1009");
    out.pair("9", "$DWGCODEPAGE");
    out.pair("3", "ANSI_1254");
    out.pair("9", "$INSBASE");
    out.pair("10", "0.0");
    out.pair("20", "0.0");
    out.pair("30", "0.0");
    out.pair("9", "$EXTMIN");
    out.point(model.WorldXMin(), model.WorldYMin());
    out.pair("9", "$EXTMAX");
    out.point(model.WorldXMax(), model.WorldYMax());
    out.pair("0", "ENDSEC");
}

// The ids of the layers an export leaves out.
std::unordered_set<int> layerIds(const CanvasModel& model, const DxfLeftOutLayers& names)
{
    std::unordered_set<int> ids;
    for (const std::string& name : names)
        if (const int id = model.FindLayer(name); id >= 0) ids.insert(id);
    return ids;
}

void writeLayerTable(DxfWriter& out, const CanvasModel& model, LayerNames& names, const std::unordered_set<int>& leftOut)
{
    // Every layer id the shapes use, visible or not, in the order of first use.
    std::vector<int> used;
    std::unordered_set<int> seen;
    for (const TVShape* s : model.Shapes())
        if (!leftOut.count(s->LayerId) && seen.insert(s->LayerId).second) used.push_back(s->LayerId);
    out.pair("0", "SECTION");
    out.pair("2", "TABLES");
    out.pair("0", "TABLE");
    out.pair("2", "LAYER");
    out.pair("70", std::to_string(used.size()));
    for (int id : used) {
        if (!model.FindLayerById(id)) continue;
        out.pair("0", "LAYER");
        out.pair("2", names.nameOf(model, id));
        out.pair("70", "0");
        out.pair("62", "7");
        out.pair("6", "CONTINUOUS");
    }
    out.pair("0", "ENDTAB");
    out.pair("0", "ENDSEC");
}

void polylineStart(DxfWriter& out, const std::string& layer, bool closed)
{
    out.pair("0", "POLYLINE");
    out.pair("8", layer);
    out.pair("66", "1");
    out.pair("70", closed ? "1" : "0");
}

void vertex(DxfWriter& out, const std::string& layer, double x, double y)
{
    out.pair("0", "VERTEX");
    out.pair("8", layer);
    out.point(x, y);
}

void sequenceEnd(DxfWriter& out, const std::string& layer)
{
    out.pair("0", "SEQEND");
    out.pair("8", layer);
}

// False for the shapes release 12 export leaves out.
bool writeEntity(DxfWriter& out, const TVShape& shape, const std::string& layer)
{
    switch (shape.ShapeType) {
    case shapecode::Rectangle:
        if (const auto* r = dynamic_cast<const TVRectangle*>(&shape)) {
            polylineStart(out, layer, true);
            vertex(out, layer, r->X1, r->Y1);
            vertex(out, layer, r->X2, r->Y1);
            vertex(out, layer, r->X2, r->Y2);
            vertex(out, layer, r->X1, r->Y2);
            sequenceEnd(out, layer);
            return true;
        }
        return false;
    case shapecode::Line:
        if (const auto* l = dynamic_cast<const TVLine*>(&shape)) {
            out.pair("0", "LINE");
            out.pair("8", layer);
            out.point(l->X1, l->Y1);
            out.point(l->X2, l->Y2, 1);
            return true;
        }
        return false;
    case shapecode::Polyline:
    case shapecode::Polygon:
        if (const auto* p = dynamic_cast<const TVPolyline*>(&shape); p && !p->Vertices.empty()) {
            polylineStart(out, layer, p->Closed != 0);
            for (const WorldPoint& v : p->Vertices) vertex(out, layer, v.X, v.Y);
            sequenceEnd(out, layer);
            return true;
        }
        return false;
    case shapecode::Text:
        if (const auto* t = dynamic_cast<const TVText*>(&shape)) {
            out.pair("0", "TEXT");
            out.pair("8", layer);
            out.point(t->X, t->Y);
            out.number("40", t->Height > 0 ? t->Height : 2.5);
            out.pair("1", dxfValue(t->Text, kMaxTextBytes));
            if (t->Angle != 0) out.number("50", t->Angle);
            return true;
        }
        return false;
    case shapecode::Point:
        if (const auto* p = dynamic_cast<const TVPoint*>(&shape)) {
            out.pair("0", "POINT");
            out.pair("8", layer);
            out.point(p->X, p->Y);
            return true;
        }
        return false;
    case shapecode::Circle:
        if (const auto* c = dynamic_cast<const TVCircle*>(&shape)) {
            out.pair("0", "CIRCLE");
            out.pair("8", layer);
            out.point(c->CX, c->CY);
            out.number("40", c->R);
            return true;
        }
        return false;
    case shapecode::Ellipse:
        if (const auto* e = dynamic_cast<const TVEllipse*>(&shape)) {
            const double cx = (e->X1 + e->X2) / 2, cy = (e->Y1 + e->Y2) / 2;
            const double a = std::fabs(e->X2 - e->X1) / 2, b = std::fabs(e->Y2 - e->Y1) / 2;
            if (a == b) {
                out.pair("0", "CIRCLE");
                out.pair("8", layer);
                out.point(cx, cy);
                out.number("40", a);
                return true;
            }
            // Release 12 has no ellipse: a closed polyline on the true outline, not a circle.
            polylineStart(out, layer, true);
            for (int k = 0; k < kEllipseVertices; ++k) {
                const double t = 2 * std::numbers::pi * k / kEllipseVertices;
                vertex(out, layer, cx + a * std::cos(t), cy + b * std::sin(t));
            }
            sequenceEnd(out, layer);
            return true;
        }
        return false;
    default:
        return false;  // rounded rectangles, the ellipse tool's type 4, splines, three-point arcs
    }
}

}  // namespace

void WriteDxfR12(const CanvasModel& model, const std::function<void(std::string_view)>& sink, DxfExportSummary* summary,
                 const DxfLeftOutLayers& leftOut)
{
    DxfExportSummary counts;
    DxfWriter out(sink);
    LayerNames names;
    const std::unordered_set<int> leftOutIds = layerIds(model, leftOut);
    writeHeader(out, model);
    writeLayerTable(out, model, names, leftOutIds);
    out.pair("0", "SECTION");
    out.pair("2", "ENTITIES");
    for (const TVShape* s : model.Shapes()) {
        if (!s->Visible || leftOutIds.count(s->LayerId)) continue;
        if (writeEntity(out, *s, names.nameOf(model, s->LayerId)))
            ++counts.Written;
        else
            ++counts.Skipped;
    }
    out.pair("0", "ENDSEC");
    out.pair("0", "EOF");
    out.flush();
    if (summary) *summary = counts;
}

bool ExportDxf(const CanvasModel& model, const std::string& path, DxfExportSummary* summary,
               const DxfLeftOutLayers& leftOut)
{
    DxfExportSummary local;
    DxfExportSummary& result = summary ? *summary : local;
    result = {};
    AtomicFileWriter file(path);
    if (file.isOpen()) {
        WriteDxfR12(model, [&file](std::string_view piece) { file.write(piece); }, &result, leftOut);
        if (file.commit()) return true;
    }
    result.Error = file.error();
    return false;
}

}  // namespace vsx
