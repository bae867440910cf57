#include "canvas/DxfImport.h"

#include "canvas/DxfBlocks.h"
#include "canvas/DxfCurves.h"
#include "canvas/DxfPairs.h"
#include "canvas/DxfRecord.h"
#include "canvas/DxfShapeSink.h"
#include "canvas/DxfText.h"

#include <QLoggingCategory>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <optional>

namespace vsx {

// The first LINE records of an import, for tracing layer problems; off unless enabled
// (QT_LOGGING_RULES="vsx.dxf.import.debug=true").
Q_LOGGING_CATEGORY(lcDxfImport, "vsx.dxf.import", QtInfoMsg)

ColorValue AciToColor(int i)
{
    switch (i) {
    case 1: return 0x0000FF;
    case 2: return 0x00FFFF;
    case 3: return 0x00FF00;
    case 4: return 0xFFFF00;
    case 5: return 0xFF0000;
    case 6: return 0xFF00FF;
    case 7: return 0xFFFFFF;
    case 8: return 0x808080;
    case 9: return 0xC0C0C0;
    default: break;
    }
    if (i >= 10 && i <= 255) return rgbColor((17 * i) % 256, (37 * i) % 256, (53 * i) % 256);
    return -1;
}

namespace {

using namespace dxf;

// Entity records to canvas shapes, in the import layer's colour and width where the entity names
// none; an INSERT goes to the blocks.
class DxfConverter {
public:
    DxfConverter(const CanvasModel& model, ColorValue layerColour, int layerWidth);

    void setTextDecoder(DxfTextDecoder d) { text_ = std::move(d); }
    void setLayerColour(ColorValue c) { layerColour_ = c; }

    void entity(const Record& r, ShapeSink& sink, int depth)
    {
        const std::string& name = r.name;
        if (r.paperSpace()) {
            leftOut("paper-space entities");
            return;
        }
        if (name == "LWPOLYLINE") return lwpolyline(r, sink);
        if (name == "SPLINE") return spline(r, sink);
        if (name == "MTEXT" || name == "TEXT") return text(r, sink, name == "MTEXT");
        if (name == "INSERT") return blocks_.insert(r, sink, depth);
        const ColorValue colour = colourOf(r);
        if (name == "LINE") {
            if (depth == 0 && lineLayers_.size() < 5) lineLayers_.push_back(r.layer8);
            add(sink, std::make_unique<TVLine>(r.get(10), r.get(20), r.get(11), r.get(21), 0), {r.get(30), r.get(31)},
                colour, layerWidth_);
        } else if (name == "CIRCLE") {
            Heights z;
            auto circle = mappedCircle(r.get(10), r.get(20), r.get(30), r.get(40), r.ocs(), sink.keepsHeights(), z);
            add(sink, std::move(circle), std::move(z), colour, layerWidth_);
        } else if (name == "ARC") {
            arc(r, sink, colour);
        } else if (name == "ELLIPSE") {
            ellipse(r, sink, colour);
        } else if (name == "SOLID" || name == "TRACE") {
            // Every corner lies at the elevation of the first.
            const Affine3 m = r.ocs();
            const double z = r.get(30);
            PolylineMaker s(true, sink.keepsHeights());
            s.add(m.map(r.get(10), r.get(20), z));
            s.add(m.map(r.get(11), r.get(21), z));
            s.add(m.map(r.get(13), r.get(23), z));
            if (!(r.get(12) == r.get(13) && r.get(22) == r.get(23))) s.add(m.map(r.get(12), r.get(22), z));
            add(sink, std::move(s.shape), std::move(s.z), colour);
        } else if (name == "POINT") {
            // As the canvas's AddPoint: size 3, the layer's colour and width.
            add(sink, std::make_unique<TVPoint>(r.get(10), r.get(20), 0, 3, 0.0), {r.get(30)}, layerColour_, layerWidth_);
        } else if (name == "ATTRIB") {
            leftOut("block attribute texts");
        } else if (name != "ATTDEF" && name != "SEQEND" && name != "VERTEX" && name != "ENDBLK") {
            leftOut(name);
        }
    }

    ColorValue colourOf(const Record& r) const
    {
        const ColorValue c = r.has[62] ? AciToColor(r.integerOf(62)) : -1;
        return c != -1 ? c : layerColour_;
    }
    ColorValue colourIndex(bool has, int index) const
    {
        const ColorValue c = has ? AciToColor(index) : -1;
        return c != -1 ? c : layerColour_;
    }
    void add(ShapeSink& sink, std::unique_ptr<TVShape> s, Heights z, ColorValue colour, int width = 1)
    {
        s->PenColor = colour;
        s->PenWidth = width;
        s->UpdateBounds();
        sink.push(std::move(s), std::move(z));
        ++tally_.shapes;
    }
    void leftOut(const std::string& what) { tally_.leftOut(what); }
    const ImportTally& tally() const { return tally_; }
    Blocks& blocks() { return blocks_; }

    const std::vector<std::string>& lineLayers() const { return lineLayers_; }

private:
    void arc(const Record& r, ShapeSink& sink, ColorValue colour)
    {
        const Affine3 m = r.ocs();
        const double cx = r.get(10), cy = r.get(20), cz = r.get(30), radius = r.get(40), start = r.get(50, 0),
                     end360 = r.get(51, 360);
        double sweep = end360 - start;
        if (sweep < 0) sweep += 360;
        PolylineMaker s(false, sink.keepsHeights());
        for (int k = 0; k <= 20; ++k) {
            const double a = (start + sweep * k / 20.0) * kDeg;
            s.add(m.map(cx + radius * std::cos(a), cy + radius * std::sin(a), cz));
        }
        add(sink, std::move(s.shape), std::move(s.z), colour);
    }

    // World coordinates; the minor axis lies along extrusion x major axis, so an ellipse with
    // the extrusion (0, 0, -1) runs the other way round.
    void ellipse(const Record& r, ShapeSink& sink, ColorValue colour)
    {
        const double cx = r.get(10), cy = r.get(20), cz = r.get(30), mx = r.get(11), my = r.get(21), mz = r.get(31);
        double nx = r.get(210, 0), ny = r.get(220, 0), nz = r.get(230, 1);
        const double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (nl > 1e-12 && std::isfinite(nl)) nx /= nl, ny /= nl, nz /= nl;
        else nx = 0, ny = 0, nz = 1;
        const double ratio = r.get(40, 1), start = r.get(41, 0);
        double end = r.get(42, 2 * std::numbers::pi);
        // Elliptical arcs run counter-clockwise from start to end, through 0 when end < start.
        if (end < start) end += 2 * std::numbers::pi;
        const double minX = ratio * (ny * mz - nz * my), minY = ratio * (nz * mx - nx * mz),
                     minZ = ratio * (nx * my - ny * mx);
        const bool closed = std::fabs(end - start) >= 6.2731853071795864;
        PolylineMaker s(closed, sink.keepsHeights());
        for (int k = 0; k <= 36; ++k) {
            const double t = start + (end - start) * k / 36.0, c = std::cos(t), sn = std::sin(t);
            s.add({cx + mx * c + minX * sn, cy + my * c + minY * sn, cz + mz * c + minZ * sn});
        }
        add(sink, std::move(s.shape), std::move(s.z), colour);
    }

    void text(const Record& r, ShapeSink& sink, bool mtext)
    {
        std::string raw = mtext ? r.text3 + r.text1 : r.text1;  // long MTEXT: 250-character pieces first
        if (raw.empty()) return;
        const std::string decoded = text_.decode(raw);
        std::string plain = mtext ? StripMtextCodes(decoded) : DecodeDxfTextCodes(decoded);
        if (plain.empty()) return;
        const double given = r.get(40, 2.5);
        double height = given > 0.1 ? given : 2.5;
        double x = r.get(10), y = r.get(20), z = r.get(30), angle = r.get(50, 0), slope = 0;
        if (mtext) {
            // World coordinates; a direction vector, when given, sets the angle.
            if (r.has[11] || r.has[21]) {
                angle = std::atan2(r.get(21), r.get(11)) / kDeg;
                const double planLength = std::hypot(r.get(11), r.get(21));
                if (planLength > 1e-12) slope = r.get(31) / planLength;
            }
        } else {
            const Affine3 m = r.ocs();
            if (!m.isIdentity()) {
                const Point3 p = m.map(x, y, z), dir = m.linear(std::cos(angle * kDeg), std::sin(angle * kDeg), 0);
                const double planLength = std::hypot(dir.x, dir.y);
                x = p.x, y = p.y, z = p.z;
                if (planLength > 1e-12) {
                    angle = std::atan2(dir.y, dir.x) / kDeg;
                    slope = dir.z / planLength;
                }
            }
        }
        auto t = std::make_unique<TVText>(x, y, std::move(plain), -1, 0);
        t->FontName = "Arial";
        t->Height = height;
        t->Angle = angle;
        t->HAlign = 0;
        t->VAlign = 2;
        add(sink, std::move(t), {z, slope}, layerColour_, 1);
    }

    void lwpolyline(const Record& r, ShapeSink& sink)
    {
        const std::vector<WorldPoint>& points = r.vertices.list;
        const std::size_t n = points.size();
        if (n < 2) return;
        const Affine3 m = r.ocs();
        const double elevation = r.get(38);
        const int flags = r.integerOf(70);
        PolylineMaker s(false, sink.keepsHeights());
        if (r.bulges.empty()) {
            s.shape->Vertices.reserve(n);
            for (const WorldPoint& v : points) s.add(m.map(v.X, v.Y, elevation));
        } else {
            // A bulged vertex starts an arc to the next one; the last vertex's arc closes a closed
            // polyline.
            auto bulge = r.bulges.begin();
            for (std::size_t i = 0; i < n; ++i) {
                const WorldPoint& v = points[i];
                s.add(m.map(v.X, v.Y, elevation));
                if (bulge == r.bulges.end() || bulge->first != i) continue;
                if (i + 1 < n || (flags & 1) != 0) {
                    const WorldPoint& next = points[(i + 1) % n];
                    arc_.clear();
                    appendBulgeArc(v.X, v.Y, next.X, next.Y, bulge->second, arc_);
                    for (const Point3& p : arc_) s.add(m.map(p.x, p.y, elevation));
                }
                ++bulge;
            }
        }
        finishPolyline(sink, std::move(s), flags, r.has[62], r.integerOf(62));
    }

    void spline(const Record& r, ShapeSink& sink)
    {
        SplineData d;
        d.degree = r.has[71] ? r.integerOf(71) : -1;
        d.flags = r.integerOf(70);
        if (r.controlPoints.usable()) d.controlPoints = r.controlPoints.list;
        if (r.fitPoints.usable()) d.fitPoints = r.fitPoints.list;
        d.knots = r.knots;
        d.weights = r.weights;
        if (r.has[12] || r.has[22] || r.has[32]) d.startTangent = Point3{r.get(12), r.get(22), r.get(32)};
        if (r.has[13] || r.has[23] || r.has[33]) d.endTangent = Point3{r.get(13), r.get(23), r.get(33)};
        SplinePolyline curve = tessellateSpline(d);
        if (curve.result == SplineResult::Unsupported) {
            leftOut("splines of a degree above " + std::to_string(kMaxSplineDegree) + " or without a finite curve");
            return;
        }
        if (curve.vertices.size() < 2) return;
        PolylineMaker s(false, sink.keepsHeights());
        s.shape->Vertices.reserve(curve.vertices.size());
        for (const Point3& p : curve.vertices) s.add(p);
        finishPolyline(sink, std::move(s), curve.closed ? 1 : 0, r.has[62], r.integerOf(62));
    }

public:
    void finishPolyline(ShapeSink& sink, PolylineMaker s, int flags, bool has62, int aci)
    {
        const bool closed = (flags & 1) != 0;
        s.shape->ShapeType = closed ? shapecode::Polygon : shapecode::Polyline;
        s.shape->Closed = closed ? 1 : 0;
        add(sink, std::move(s.shape), std::move(s.z), colourIndex(has62, aci));
    }

private:
    DxfTextDecoder text_;
    ColorValue layerColour_;
    int layerWidth_;
    ImportTally tally_;
    Blocks blocks_;
    std::vector<std::string> lineLayers_;
    std::vector<Point3> arc_;  // the points of one bulge arc
};

// One run of entity records (the ENTITIES section, or a block's content) converted into a sink;
// a POLYLINE gathers the VERTEX records after it.
class EntityRun final : public RecordSink {
public:
    EntityRun(DxfConverter& converter, ShapeSink& sink, int depth) : conv_(converter), sink_(sink), depth_(depth) {}

    void record(const Record& rec) override;
    void endOfRun() override { endPolyline(); }

private:
    void endPolyline();
    // The arc from the last vertex to (x, y) when the last vertex is bulged.
    void bulgeArc(double x, double y);

    DxfConverter& conv_;
    ShapeSink& sink_;
    int depth_;
    // The POLYLINE being gathered.
    bool inPolyline_ = false, polylineSkipped_ = false;
    int polylineFlags_ = 0, polylineColourIndex_ = 0;
    bool polylineHasColour_ = false, polyline3d_ = false;
    Affine3 polylinePlace_;
    double polylineElevation_ = 0;
    std::optional<PolylineMaker> polyline_;
    // The first and the last vertex of the POLYLINE in its object coordinates, and the last one's
    // bulge: the arc to the next vertex (or, closed, back to the first) is drawn when it comes.
    double firstX_ = 0, firstY_ = 0, lastX_ = 0, lastY_ = 0, lastBulge_ = 0;
    std::vector<Point3> arc_;
};

DxfConverter::DxfConverter(const CanvasModel& model, ColorValue layerColour, int layerWidth)
    : layerColour_(layerColour), layerWidth_(layerWidth),
      blocks_(model, tally_,
              [this](ShapeSink& content, int depth) { return std::make_unique<EntityRun>(*this, content, depth); })
{
}

void EntityRun::record(const Record& rec)
{
    if (rec.name == "VERTEX" && inPolyline_) {
        // Frame control points of a spline-fit polyline are not on the drawn line; polyface
        // face records have no position.
        if (!polylineSkipped_ && (rec.integerOf(70) & (16 | 128)) == 0) {
            const double x = rec.get(10), y = rec.get(20);
            if (polyline3d_) {
                polyline_->add(polylinePlace_.map(x, y, rec.get(30)));
                return;
            }
            if (polyline_->shape->Vertices.empty()) firstX_ = x, firstY_ = y;
            else bulgeArc(x, y);
            polyline_->add(polylinePlace_.map(x, y, polylineElevation_));
            lastX_ = x, lastY_ = y, lastBulge_ = rec.get(42);
        }
        return;
    }
    endPolyline();
    if (rec.name == "POLYLINE") {
        inPolyline_ = true;
        polylineFlags_ = rec.integerOf(70);
        // Polyface and polygon meshes are 3-D surfaces; their face records would draw to (0, 0).
        const bool mesh = (polylineFlags_ & (16 | 64)) != 0;
        polylineSkipped_ = mesh || rec.paperSpace();
        if (mesh) conv_.leftOut("polyface and polygon meshes");
        else if (rec.paperSpace()) conv_.leftOut("paper-space entities");
        polylineHasColour_ = rec.has[62];
        polylineColourIndex_ = rec.integerOf(62);
        // A 2-D polyline lies in its object coordinates at the header's elevation; a 3-D one
        // (flag 8) in world coordinates.
        polyline3d_ = (polylineFlags_ & 8) != 0;
        polylinePlace_ = polyline3d_ ? Affine3{} : rec.ocs();
        polylineElevation_ = rec.get(30);
        polyline_.emplace(false, sink_.keepsHeights());
        lastBulge_ = 0;
        return;
    }
    conv_.entity(rec, sink_, depth_);
}

void EntityRun::bulgeArc(double x, double y)
{
    if (lastBulge_ == 0) return;
    arc_.clear();
    appendBulgeArc(lastX_, lastY_, x, y, lastBulge_, arc_);
    for (const Point3& p : arc_) polyline_->add(polylinePlace_.map(p.x, p.y, polylineElevation_));
    lastBulge_ = 0;
}

void EntityRun::endPolyline()
{
    if (!inPolyline_) return;
    inPolyline_ = false;
    if (!polylineSkipped_ && polyline_ && (polylineFlags_ & 1) != 0 && !polyline3d_ && !polyline_->shape->Vertices.empty())
        bulgeArc(firstX_, firstY_);
    if (!polylineSkipped_ && polyline_ && polyline_->shape->Vertices.size() >= 2)
        conv_.finishPolyline(sink_, std::move(*polyline_), polylineFlags_, polylineHasColour_, polylineColourIndex_);
    polyline_.reset();
}

void setMessage(std::string* message, std::string text)
{
    if (message) *message = std::move(text);
}

// Puts the converted drawing onto the canvas: the import layer emptied and refilled, this file's
// blocks replacing same-named ones kept from earlier imports.
void commit(CanvasModel& model, const std::string& layerName, std::optional<ColorValue> colour, Shapes& shapes,
            DxfConverter& dxf)
{
    const int layer = model.AddLayer(layerName);
    model.DeleteLayerShapes(layer);
    model.SetLastImportLayer(layer);
    model.SetLayerVisible(layer, true);
    model.SetLayerLocked(layer, true);
    if (colour) model.SetLayerColor(layer, *colour);

    for (const std::string& dxfLayer : dxf.lineLayers()) {
        const CanvasLayer* l = model.FindLayerById(layer);
        qCDebug(lcDxfImport).noquote() << QString::fromStdString("DXF LINE: layer='" + dxfLayer + "' lid=" +
                                                                 std::to_string(layer) + " visible=" +
                                                                 (l ? (l->Visible ? "Y" : "N") : "NULL") + " locked=" +
                                                                 (l ? (l->Locked ? "Y" : "N") : "NULL"));
    }
    for (auto& s : shapes) {
        s->LayerId = layer;
        model.AppendShape(std::move(s));
    }
    shapes.clear();
    std::vector<std::unique_ptr<DxfBlock>> blocks = dxf.blocks().takeBlocks();
    auto& kept = model.Blocks();
    for (auto& block : blocks)
        std::erase_if(kept, [&](const std::unique_ptr<DxfBlock>& b) { return b->Name == block->Name; });
    for (auto& block : blocks) kept.push_back(std::move(block));
    model.ZoomExtents();
    model.Redraw();
}

// Reads the sections in file order, converting entities as they arrive.
bool importPairs(CanvasModel& model, DxfPairReader& reader, const std::string& fileName, std::string* message)
{
    const std::string layerName = "_dxf_" + fileName;
    // The colour and width the import layer has, for entities that take the layer's.
    const CanvasLayer* existing = model.FindLayerById(model.FindLayer(layerName));
    const ColorValue startColour = existing ? existing->PenColor : CanvasLayer{}.PenColor;
    const int layerWidth = existing ? existing->PenWidth : CanvasLayer{}.PenWidth;

    DxfConverter dxf(model, startColour, layerWidth);
    ShapeSink drawing(false);
    EntityRun entityRun(dxf, drawing, 0);
    RecordStream entities(entityRun);
    std::optional<ColorValue> tableColour;
    std::string section, headerVariable, acadver, codepage;
    bool expectSectionName = false, sawEntities = false;
    // TABLES: the LAYER record being read.
    bool inLayer = false;
    std::string layerRecordName;
    int layerRecordColour = 7;
    auto endLayerRecord = [&] {
        if (!inLayer) return;
        inLayer = false;
        const ColorValue c = AciToColor(layerRecordColour);
        if (!layerRecordName.empty() && c != -1) tableColour = c;
    };

    DxfPair p;
    while (reader.next(p)) {
        if (expectSectionName) {
            expectSectionName = false;
            if (p.Code == 2) {
                section.assign(p.Value);
                if (section == "ENTITIES") sawEntities = true;
                continue;
            }
        }
        if (p.Code == 0 && (p.Value == "SECTION" || p.Value == "ENDSEC" || p.Value == "EOF")) {
            if (section == "ENTITIES") entities.finish();
            if (section == "TABLES") endLayerRecord();
            if (section == "HEADER") {
                dxf.setTextDecoder(DxfTextDecoder::forHeader(acadver, codepage));
            }
            section.clear();
            if (p.Value == "EOF") break;
            expectSectionName = p.Value == "SECTION";
            continue;
        }
        if (section == "ENTITIES") {
            entities.pair(p.Code, p.Value);
        } else if (section == "BLOCKS") {
            if (p.Code == 0 && p.Value == "BLOCK") dxf.blocks().beginBlock();
            else if (p.Code == 0 && p.Value == "ENDBLK") dxf.blocks().endBlock();
            else dxf.blocks().blockPair(p.Code, p.Value);
        } else if (section == "TABLES") {
            if (p.Code == 0) {
                endLayerRecord();
                inLayer = p.Value == "LAYER";
                layerRecordName.clear();
                layerRecordColour = 7;
            } else if (inLayer && p.Code == 2) {
                layerRecordName.assign(p.Value);
            } else if (inLayer && p.Code == 62) {
                layerRecordColour = integer(number(p.Value));
            }
        } else if (section == "HEADER") {
            if (p.Code == 9) headerVariable.assign(p.Value);
            else if (headerVariable == "$ACADVER") acadver.assign(p.Value);
            else if (headerVariable == "$DWGCODEPAGE") codepage.assign(p.Value);
        }
        // The table colour is the layer's from the moment the table is read.
        if (tableColour && section != "TABLES") dxf.setLayerColour(*tableColour);
    }
    const bool cutOff = section == "ENTITIES";
    if (cutOff) entities.finishCutOff();
    if (!reader.error().empty()) {
        setMessage(message, reader.error());
        return false;
    }
    if (!sawEntities) {
        setMessage(message, "DXF load failed: ENTITIES section not found");
        return false;
    }
    if (entities.records() == 0) {
        setMessage(message, "DXF load failed: the ENTITIES section is empty");
        return false;
    }
    // What this drawing left out; the blocks it does not insert are converted for later imports
    // only.
    std::string said = cutOff ? std::string(kDxfCutOffMessage) : std::string();
    if (const std::string left = dxf.tally().omissions(); !left.empty()) said += (said.empty() ? "" : "\n") + left;
    setMessage(message, said);
    commit(model, layerName, tableColour, drawing.shapes, dxf);
    return true;
}

}  // namespace

bool ImportDxfBytes(CanvasModel& model, std::string bytes, const std::string& fileName, std::string* message)
{
    setMessage(message, {});
    DxfPairReader reader(bytes);
    return importPairs(model, reader, fileName, message);
}

bool ImportDxf(CanvasModel& model, const std::string& path, std::string* message)
{
    setMessage(message, {});
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    DxfPairReader reader(f);
    return importPairs(model, reader, std::filesystem::path(path).filename().string(), message);
}

}  // namespace vsx
