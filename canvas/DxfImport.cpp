#include "canvas/DxfImport.h"

#include "canvas/DxfCurves.h"
#include "canvas/DxfPairs.h"
#include "canvas/DxfText.h"
#include "canvas/FileNumbers.h"

#include <QLoggingCategory>
#include <bitset>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <unordered_map>

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

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;
// Inserts within inserts deeper than this are left out (and said), as are circular ones.
constexpr int kMaxInsertDepth = 16;
// Block copies stop here, so a file of blocks that insert each other many times cannot take
// all memory.
constexpr std::size_t kMaxShapes = 10'000'000;
constexpr std::size_t kMaxBlockText = std::size_t(128) << 20;

using dxf::Point3;

// A map of three-dimensional points p' = L p + t. Block content keeps the heights of its points,
// so an insert whose extrusion tilts it (and every insert around that one) places it as the
// drawing has it; the plan view is the x and y of the result.
struct Affine3 {
    double l[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double t[3] = {0, 0, 0};

    Point3 linear(double x, double y, double z) const
    {
        return {l[0][0] * x + l[0][1] * y + l[0][2] * z, l[1][0] * x + l[1][1] * y + l[1][2] * z,
                l[2][0] * x + l[2][1] * y + l[2][2] * z};
    }
    Point3 map(double x, double y, double z) const
    {
        const Point3 p = linear(x, y, z);
        return {p.x + t[0], p.y + t[1], p.z + t[2]};
    }
    // The area scale of the plan view of a level figure.
    double planDet() const { return l[0][0] * l[1][1] - l[0][1] * l[1][0]; }
    bool isIdentity() const
    {
        const Affine3 one;
        for (int i = 0; i < 3; ++i) {
            if (t[i] != 0) return false;
            for (int j = 0; j < 3; ++j)
                if (l[i][j] != one.l[i][j]) return false;
        }
        return true;
    }
    // Whether a level circle stays a level circle (of radius r * scale): level directions stay
    // level, and the plan part turns, scales uniformly and perhaps mirrors.
    bool keepsLevelCircles(double& scale) const
    {
        const double a = l[0][0], b = l[0][1], c = l[1][0], d = l[1][1];
        const double sx = std::hypot(a, c), sy = std::hypot(b, d);
        scale = sx;
        const double tol = 1e-9 * std::max(sx, 1.0);
        return std::fabs(l[2][0]) <= tol && std::fabs(l[2][1]) <= tol && std::fabs(sx - sy) <= tol &&
               std::fabs(a * b + c * d) <= 1e-9 * std::max(sx * sy, 1.0);
    }
};

// outer(inner(p)).
Affine3 compose(const Affine3& o, const Affine3& i)
{
    Affine3 r;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            r.l[row][col] = o.l[row][0] * i.l[0][col] + o.l[row][1] * i.l[1][col] + o.l[row][2] * i.l[2][col];
        r.t[row] = o.l[row][0] * i.t[0] + o.l[row][1] * i.t[1] + o.l[row][2] * i.t[2] + o.t[row];
    }
    return r;
}

// The arbitrary-axis algorithm: an entity's object coordinates (x, y, elevation) to the
// coordinates around it, for its extrusion direction (nx, ny, nz).
Affine3 ocsToWorld(double nx, double ny, double nz)
{
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 1e-12) || !std::isfinite(len)) return {};
    nx /= len, ny /= len, nz /= len;
    if (nx == 0 && ny == 0 && nz == 1) return {};
    double ax, ay, az;
    if (std::fabs(nx) < 1.0 / 64 && std::fabs(ny) < 1.0 / 64) ax = nz, ay = 0, az = -nx;  // world Y x N
    else ax = -ny, ay = nx, az = 0;                                                        // world Z x N
    const double al = std::sqrt(ax * ax + ay * ay + az * az);
    ax /= al, ay /= al, az /= al;
    double bx = ny * az - nz * ay, by = nz * ax - nx * az, bz = nx * ay - ny * ax;  // N x Ax
    const double bl = std::sqrt(bx * bx + by * by + bz * bz);
    bx /= bl, by /= bl, bz /= bl;
    Affine3 m;
    const double cols[3][3] = {{ax, ay, az}, {bx, by, bz}, {nx, ny, nz}};
    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 3; ++row) m.l[row][col] = cols[col][row];
    return m;
}

Affine3 translate(double x, double y, double z)
{
    Affine3 m;
    m.t[0] = x, m.t[1] = y, m.t[2] = z;
    return m;
}

// Scaled along the axes, then turned about z.
Affine3 rotateScale(double radians, double sx, double sy, double sz)
{
    const double c = std::cos(radians), s = std::sin(radians);
    Affine3 m;
    m.l[0][0] = c * sx, m.l[0][1] = -s * sy;
    m.l[1][0] = s * sx, m.l[1][1] = c * sy;
    m.l[2][2] = sz;
    return m;
}

double number(std::string_view v)
{
    double d = 0;
    return filenum::leadingDouble(v, d) ? d : 0.0;
}

int integer(double v) { return v > -2147483648.0 && v < 2147483648.0 ? int(v) : 0; }

void setY(WorldPoint& p, double y) { p.Y = y; }
void setY(Point3& p, double y) { p.y = y; }

// Vertices whose coordinates come in codes of their own, x first: an x without its y, or a y
// without its x, leaves the list unusable.
template <class Point>
struct CodedPoints {
    std::vector<Point> list;
    bool pendingX = false, unpaired = false;

    void clear()
    {
        list.clear();
        pendingX = unpaired = false;
    }
    void x(double v)
    {
        unpaired = unpaired || pendingX;
        list.push_back({v, 0});
        pendingX = true;
    }
    void y(double v)
    {
        if (pendingX) setY(list.back(), v);
        else unpaired = true;
        pendingX = false;
    }
    bool usable() const { return !unpaired && !pendingX; }
};

// One record (entity) as its pairs arrive: the numbers by code, its texts, the vertices of
// LWPOLYLINE (with their bulges) and a SPLINE's control points, fit points, knots and weights.
struct Record {
    static constexpr int kCodes = 240;
    enum class Kind { Other, LwPolyline, Spline };

    std::string name;
    Kind kind = Kind::Other;
    std::bitset<kCodes> has;
    double num[kCodes];
    std::string text1, text3, name2, layer8;
    CodedPoints<WorldPoint> vertices;  // LWPOLYLINE codes 10, 20
    // LWPOLYLINE: the bulge (code 42) of each vertex that has one other than 0, by vertex index.
    std::vector<std::pair<std::size_t, double>> bulges;
    CodedPoints<Point3> controlPoints, fitPoints;  // SPLINE codes 10/20/30 and 11/21/31
    std::vector<double> knots, weights;            // SPLINE codes 40 and 41
    bool embedded = false;  // past an MTEXT's embedded object (code 101)

    void begin(std::string_view recordName)
    {
        name.assign(recordName);
        kind = name == "LWPOLYLINE" ? Kind::LwPolyline : name == "SPLINE" ? Kind::Spline : Kind::Other;
        has.reset();
        text1.clear();
        text3.clear();
        name2.clear();
        layer8 = "0";
        vertices.clear();
        bulges.clear();
        controlPoints.clear();
        fitPoints.clear();
        knots.clear();
        weights.clear();
        embedded = false;
    }

    void add(int code, std::string_view v)
    {
        if (embedded) return;
        switch (code) {
        case 1: text1.assign(v); return;
        case 2: name2.assign(v); return;
        case 3: text3.append(v); return;
        case 8: layer8.assign(v); return;
        case 101: embedded = true; return;  // the object's own codes follow, not the entity's
        default: break;
        }
        if (kind == Kind::LwPolyline ? lwpolylinePair(code, v) : kind == Kind::Spline && splinePair(code, v)) return;
        if (code >= 0 && code < kCodes) {
            num[code] = number(v);  // unreadable numbers read as 0
            has.set(std::size_t(code));
        }
    }

    // The codes that LWPOLYLINE and SPLINE repeat per vertex, knot or weight; false for the others.
    bool lwpolylinePair(int code, std::string_view v)
    {
        switch (code) {
        case 10: vertices.x(number(v)); return true;
        case 20: vertices.y(number(v)); return true;
        case 30: return true;
        case 42: {
            if (vertices.list.empty()) return false;
            const double bulge = number(v);
            const std::size_t vertex = vertices.list.size() - 1;
            if (!bulges.empty() && bulges.back().first == vertex) bulges.pop_back();
            if (bulge != 0) bulges.emplace_back(vertex, bulge);
            return true;
        }
        default: return false;
        }
    }
    bool splinePair(int code, std::string_view v)
    {
        switch (code) {
        case 10: controlPoints.x(number(v)); return true;
        case 20: controlPoints.y(number(v)); return true;
        case 30:
            if (!controlPoints.list.empty()) controlPoints.list.back().z = number(v);
            return true;
        case 11: fitPoints.x(number(v)); return true;
        case 21: fitPoints.y(number(v)); return true;
        case 31:
            if (!fitPoints.list.empty()) fitPoints.list.back().z = number(v);
            return true;
        case 40: knots.push_back(number(v)); return true;
        case 41: weights.push_back(number(v)); return true;
        default: return false;
        }
    }

    double get(int code, double fallback = 0) const { return has[std::size_t(code)] ? num[code] : fallback; }
    int integerOf(int code, int fallback = 0) const { return has[std::size_t(code)] ? integer(num[code]) : fallback; }
    bool paperSpace() const { return integerOf(67) == 1; }
    // The entity's object coordinates to the coordinates around it.
    Affine3 ocs() const { return ocsToWorld(get(210, 0), get(220, 0), get(230, 1)); }
};

std::unique_ptr<TVPolyline> polylineShape(bool closed)
{
    auto s = std::make_unique<TVPolyline>(closed ? shapecode::Polygon : shapecode::Polyline, 0);
    s->Closed = closed ? 1 : 0;
    return s;
}

std::unique_ptr<TVShape> clone(const TVShape& s)
{
    if (auto* p = dynamic_cast<const TVLine*>(&s)) return std::make_unique<TVLine>(*p);
    if (auto* p = dynamic_cast<const TVPolyline*>(&s)) return std::make_unique<TVPolyline>(*p);
    if (auto* p = dynamic_cast<const TVCircle*>(&s)) return std::make_unique<TVCircle>(*p);
    if (auto* p = dynamic_cast<const TVPoint*>(&s)) return std::make_unique<TVPoint>(*p);
    if (auto* p = dynamic_cast<const TVText*>(&s)) return std::make_unique<TVText>(*p);
    return nullptr;
}

using Shapes = std::vector<std::unique_ptr<TVShape>>;
using Heights = std::vector<double>;

// Where the converted shapes go. A block's content keeps the heights of every shape's points
// (a line two, a polyline one per vertex, a point and a level circle one, a text its anchor's and
// its direction's z), for the inserts that place it; the drawing itself needs only the plan.
class ShapeSink {
public:
    explicit ShapeSink(bool keepHeights) : keepHeights_(keepHeights) {}
    bool keepsHeights() const { return keepHeights_; }
    void push(std::unique_ptr<TVShape> s, Heights z)
    {
        shapes.push_back(std::move(s));
        if (keepHeights_) heights.push_back(std::move(z));
    }

    Shapes shapes;
    std::vector<Heights> heights;  // parallel to shapes while heights are kept

private:
    bool keepHeights_;
};

// A polyline being made, its vertices' heights kept when the sink wants them.
struct PolylineMaker {
    PolylineMaker(bool closed, bool keepHeights) : shape(polylineShape(closed)), keep(keepHeights) {}
    void add(const Point3& p)
    {
        shape->AddVertex(p.x, p.y);
        if (keep) z.push_back(p.z);
    }
    std::unique_ptr<TVPolyline> shape;
    Heights z;
    bool keep;
};

// A level circle at height cz seen through a map: a circle when the map keeps it one, else the
// ellipse as points.
std::unique_ptr<TVShape> mappedCircle(double cx, double cy, double cz, double r, const Affine3& m, bool keepHeights,
                                      Heights& z)
{
    double scale = 1;
    if (m.keepsLevelCircles(scale)) {
        const Point3 c = m.map(cx, cy, cz);
        z = {c.z};
        return std::make_unique<TVCircle>(c.x, c.y, r * scale, 0);
    }
    PolylineMaker s(true, keepHeights);
    for (int k = 0; k < 72; ++k) {
        const double t = 2 * kPi * k / 72;
        s.add(m.map(cx + r * std::cos(t), cy + r * std::sin(t), cz));
    }
    z = std::move(s.z);
    return std::move(s.shape);
}

// Moves a copied block shape, whose points lie at the heights `zIn` (none: all 0), to where an
// INSERT puts it; `zOut` gets their new heights.
std::unique_ptr<TVShape> transformed(std::unique_ptr<TVShape> s, const Heights& zIn, const Affine3& m, bool keepHeights,
                                     Heights& zOut)
{
    auto z = [&zIn](std::size_t i) { return i < zIn.size() ? zIn[i] : 0.0; };
    zOut.clear();
    if (auto* l = dynamic_cast<TVLine*>(s.get())) {
        const Point3 a = m.map(l->X1, l->Y1, z(0)), b = m.map(l->X2, l->Y2, z(1));
        l->X1 = a.x, l->Y1 = a.y, l->X2 = b.x, l->Y2 = b.y;
        if (keepHeights) zOut = {a.z, b.z};
    } else if (auto* p = dynamic_cast<TVPolyline*>(s.get())) {
        if (keepHeights) zOut.reserve(p->Vertices.size());
        for (std::size_t i = 0; i < p->Vertices.size(); ++i) {
            const Point3 v = m.map(p->Vertices[i].X, p->Vertices[i].Y, z(i));
            p->Vertices[i] = {v.x, v.y};
            if (keepHeights) zOut.push_back(v.z);
        }
    } else if (auto* pt = dynamic_cast<TVPoint*>(s.get())) {
        const Point3 a = m.map(pt->X, pt->Y, z(0));
        pt->X = a.x, pt->Y = a.y;
        if (keepHeights) zOut = {a.z};
    } else if (auto* c = dynamic_cast<TVCircle*>(s.get())) {
        std::unique_ptr<TVShape> r = mappedCircle(c->CX, c->CY, z(0), c->R, m, keepHeights, zOut);
        r->PenColor = s->PenColor;
        r->PenWidth = s->PenWidth;
        r->UpdateBounds();
        return r;
    } else if (auto* t = dynamic_cast<TVText*>(s.get())) {
        const Point3 a = m.map(t->X, t->Y, z(0));
        const Point3 dir = m.linear(std::cos(t->Angle * kDeg), std::sin(t->Angle * kDeg), z(1));
        const double planLength = std::hypot(dir.x, dir.y);
        t->X = a.x, t->Y = a.y;
        if (planLength > 1e-12) t->Angle = std::atan2(dir.y, dir.x) / kDeg;
        t->Height *= std::sqrt(std::fabs(m.planDet()));
        if (keepHeights) zOut = {a.z, planLength > 1e-12 ? dir.z / planLength : 0.0};
    }
    s->UpdateBounds();
    return s;
}

class DxfConverter;

// The records of one run of entities (the ENTITIES section, or a block's content) as their pairs
// arrive; a POLYLINE gathers the VERTEX records after it.
class RecordStream {
public:
    RecordStream(DxfConverter& converter, ShapeSink& sink, int depth) : conv_(converter), sink_(sink), depth_(depth) {}

    void pair(int code, std::string_view value)
    {
        if (code == 0) {
            flush();
            rec_.begin(value);
            open_ = true;
            ++records_;
        } else if (open_) {
            rec_.add(code, value);
        }
    }
    void finish()
    {
        flush();
        endPolyline();
    }
    // The input ended inside the run: the record being read may be cut short, so it is left out;
    // everything before it stands.
    void finishCutOff()
    {
        open_ = false;
        endPolyline();
    }
    std::size_t records() const { return records_; }

private:
    void flush();
    void endPolyline();
    // The arc from the last vertex to (x, y) when the last vertex is bulged.
    void bulgeArc(double x, double y);

    DxfConverter& conv_;
    ShapeSink& sink_;
    int depth_;
    Record rec_;
    bool open_ = false;
    std::size_t records_ = 0;
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

class DxfConverter {
public:
    DxfConverter(const CanvasModel& model, ColorValue layerColour, int layerWidth)
        : model_(model), layerColour_(layerColour), layerWidth_(layerWidth)
    {
    }

    void setTextDecoder(DxfTextDecoder d) { text_ = std::move(d); }
    void setLayerColour(ColorValue c) { layerColour_ = c; }

    // ---- Blocks, kept as text until inserted ----
    void beginBlock() { block_ = std::make_unique<Block>(); }
    void blockPair(int code, std::string_view v)
    {
        if (!block_) return;
        if (!block_->headerDone) {
            if (code == 0) block_->headerDone = true;
            else if (code == 2) block_->name.assign(v);
            else if (code == 10) block_->baseX = number(v);
            else if (code == 20) block_->baseY = number(v);
            else if (code == 30) block_->baseZ = number(v);
            if (code != 0) return;
        }
        if (blockText_ + v.size() > kMaxBlockText) {
            block_->truncated = true;
            return;
        }
        blockText_ += v.size() + 8;
        block_->pairs.push_back({code, std::uint32_t(block_->text.size()), std::uint32_t(v.size())});
        block_->text.append(v);
    }
    void endBlock()
    {
        if (!block_) return;
        if (block_->truncated) leftOut("block content beyond " + std::to_string(kMaxBlockText >> 20) + " MB");
        Block* b = block_.get();
        blocksByName_[b->name] = b;
        blocks_.push_back(std::move(block_));
    }

    // ---- Entities ----
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
        if (name == "INSERT") return insert(r, sink, depth);
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
        ++shapeCount_;
    }
    void leftOut(const std::string& what) { ++leftOut_[what]; }

    // "Not imported: 2 HATCH, 1 DIMENSION." or empty.
    std::string omissions() const
    {
        std::string out;
        for (const auto& [what, count] : leftOut_) out += (out.empty() ? "" : ", ") + std::to_string(count) + " " + what;
        return out.empty() ? out : "DXF imported without: " + out + ".";
    }

    // Every block of the file converted (for the canvas's block list), by name.
    std::vector<std::unique_ptr<DxfBlock>> takeBlocks()
    {
        std::vector<std::unique_ptr<DxfBlock>> out;
        for (auto& b : blocks_) {
            if (!convert(*b, 0)) continue;
            auto kept = std::make_unique<DxfBlock>();
            kept->Name = b->name;
            kept->BaseX = b->baseX;
            kept->BaseY = b->baseY;
            kept->BaseZ = b->baseZ;
            kept->Shapes = std::move(b->content.shapes);
            kept->Heights = std::move(b->content.heights);
            out.push_back(std::move(kept));
        }
        return out;
    }

    const std::vector<std::string>& lineLayers() const { return lineLayers_; }

private:
    struct StoredPair {
        std::int32_t code;
        std::uint32_t offset, length;
    };
    struct Block {
        std::string name;
        double baseX = 0, baseY = 0, baseZ = 0;
        bool headerDone = false, truncated = false;
        std::string text;
        std::vector<StoredPair> pairs;
        enum class State { Raw, Converting, Done } state = State::Raw;
        ShapeSink content{true};
    };

    // Converts a block's content into shapes in block coordinates, once; false when it is being
    // converted already (an insert of itself) or lies too deep.
    bool convert(Block& b, int depth)
    {
        if (b.state == Block::State::Done) return true;
        if (b.state == Block::State::Converting || depth > kMaxInsertDepth) return false;
        b.state = Block::State::Converting;
        RecordStream stream(*this, b.content, depth + 1);
        for (const StoredPair& p : b.pairs) stream.pair(p.code, std::string_view(b.text).substr(p.offset, p.length));
        stream.finish();
        b.text.clear();
        b.text.shrink_to_fit();
        b.pairs.clear();
        b.pairs.shrink_to_fit();
        b.state = Block::State::Done;
        return true;
    }

    void insert(const Record& r, ShapeSink& sink, int depth)
    {
        const Shapes* content = nullptr;
        const std::vector<Heights>* heights = nullptr;
        double baseX = 0, baseY = 0, baseZ = 0;
        if (const auto it = blocksByName_.find(r.name2); it != blocksByName_.end()) {
            if (!convert(*it->second, depth)) {
                leftOut("inserts nested deeper than " + std::to_string(kMaxInsertDepth) + " levels or in themselves");
                return;
            }
            content = &it->second->content.shapes;
            heights = &it->second->content.heights;
            baseX = it->second->baseX;
            baseY = it->second->baseY;
            baseZ = it->second->baseZ;
        } else if (const DxfBlock* kept = model_.FindDxfBlock(r.name2)) {
            content = &kept->Shapes;
            heights = &kept->Heights;
            baseX = kept->BaseX;
            baseY = kept->BaseY;
            baseZ = kept->BaseZ;
        } else {
            leftOut("inserts of undefined blocks");
            return;
        }
        if (r.integerOf(70, 1) > 1 || r.integerOf(71, 1) > 1) leftOut("insert array copies (the first is drawn)");
        // Block coordinates, less the base point, scaled, turned, moved to the insertion point of
        // the insert's object coordinates, taken into the coordinates around the insert; every
        // height goes along, so a tilted extrusion places the block's points where they are.
        const Affine3 m = compose(
            r.ocs(), compose(translate(r.get(10), r.get(20), r.get(30)),
                             compose(rotateScale(r.get(50, 0) * kDeg, r.get(41, 1), r.get(42, 1), r.get(43, 1)),
                                     translate(-baseX, -baseY, -baseZ))));
        const ColorValue given = r.has[62] ? AciToColor(r.integerOf(62)) : -1;
        static const Heights level;
        for (std::size_t i = 0; i < content->size(); ++i) {
            if (shapeCount_ >= kMaxShapes) {
                leftOut("block copies beyond " + std::to_string(kMaxShapes) + " shapes");
                return;
            }
            std::unique_ptr<TVShape> copy = clone(*(*content)[i]);
            if (!copy) continue;
            Heights z;
            copy = transformed(std::move(copy), i < heights->size() ? (*heights)[i] : level, m, sink.keepsHeights(), z);
            if (given != -1) copy->PenColor = given;
            sink.push(std::move(copy), std::move(z));
            ++shapeCount_;
        }
    }

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
        double end = r.get(42, 2 * kPi);
        // Elliptical arcs run counter-clockwise from start to end, through 0 when end < start.
        if (end < start) end += 2 * kPi;
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
                    dxf::appendBulgeArc(v.X, v.Y, next.X, next.Y, bulge->second, arc_);
                    for (const Point3& p : arc_) s.add(m.map(p.x, p.y, elevation));
                }
                ++bulge;
            }
        }
        finishPolyline(sink, std::move(s), flags, r.has[62], r.integerOf(62));
    }

    void spline(const Record& r, ShapeSink& sink)
    {
        dxf::SplineData d;
        d.degree = r.has[71] ? r.integerOf(71) : -1;
        d.flags = r.integerOf(70);
        if (r.controlPoints.usable()) d.controlPoints = r.controlPoints.list;
        if (r.fitPoints.usable()) d.fitPoints = r.fitPoints.list;
        d.knots = r.knots;
        d.weights = r.weights;
        if (r.has[12] || r.has[22] || r.has[32]) d.startTangent = Point3{r.get(12), r.get(22), r.get(32)};
        if (r.has[13] || r.has[23] || r.has[33]) d.endTangent = Point3{r.get(13), r.get(23), r.get(33)};
        dxf::SplinePolyline curve = dxf::tessellateSpline(d);
        if (curve.result == dxf::SplineResult::Unsupported) {
            leftOut("splines of a degree above " + std::to_string(dxf::kMaxSplineDegree) + " or without a finite curve");
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
    const CanvasModel& model_;
    DxfTextDecoder text_;
    ColorValue layerColour_;
    int layerWidth_;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::unordered_map<std::string, Block*> blocksByName_;
    std::unique_ptr<Block> block_;
    std::size_t blockText_ = 0;
    std::size_t shapeCount_ = 0;
    std::map<std::string, int> leftOut_;
    std::vector<std::string> lineLayers_;
    std::vector<Point3> arc_;  // the points of one bulge arc
};

void RecordStream::flush()
{
    if (!open_) return;
    open_ = false;
    if (rec_.name == "VERTEX" && inPolyline_) {
        // Frame control points of a spline-fit polyline are not on the drawn line; polyface
        // face records have no position.
        if (!polylineSkipped_ && (rec_.integerOf(70) & (16 | 128)) == 0) {
            const double x = rec_.get(10), y = rec_.get(20);
            if (polyline3d_) {
                polyline_->add(polylinePlace_.map(x, y, rec_.get(30)));
                return;
            }
            if (polyline_->shape->Vertices.empty()) firstX_ = x, firstY_ = y;
            else bulgeArc(x, y);
            polyline_->add(polylinePlace_.map(x, y, polylineElevation_));
            lastX_ = x, lastY_ = y, lastBulge_ = rec_.get(42);
        }
        return;
    }
    endPolyline();
    if (rec_.name == "POLYLINE") {
        inPolyline_ = true;
        polylineFlags_ = rec_.integerOf(70);
        // Polyface and polygon meshes are 3-D surfaces; their face records would draw to (0, 0).
        const bool mesh = (polylineFlags_ & (16 | 64)) != 0;
        polylineSkipped_ = mesh || rec_.paperSpace();
        if (mesh) conv_.leftOut("polyface and polygon meshes");
        else if (rec_.paperSpace()) conv_.leftOut("paper-space entities");
        polylineHasColour_ = rec_.has[62];
        polylineColourIndex_ = rec_.integerOf(62);
        // A 2-D polyline lies in its object coordinates at the header's elevation; a 3-D one
        // (flag 8) in world coordinates.
        polyline3d_ = (polylineFlags_ & 8) != 0;
        polylinePlace_ = polyline3d_ ? Affine3{} : rec_.ocs();
        polylineElevation_ = rec_.get(30);
        polyline_.emplace(false, sink_.keepsHeights());
        lastBulge_ = 0;
        return;
    }
    conv_.entity(rec_, sink_, depth_);
}

void RecordStream::bulgeArc(double x, double y)
{
    if (lastBulge_ == 0) return;
    arc_.clear();
    dxf::appendBulgeArc(lastX_, lastY_, x, y, lastBulge_, arc_);
    for (const Point3& p : arc_) polyline_->add(polylinePlace_.map(p.x, p.y, polylineElevation_));
    lastBulge_ = 0;
}

void RecordStream::endPolyline()
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
    std::vector<std::unique_ptr<DxfBlock>> blocks = dxf.takeBlocks();
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
    RecordStream entities(dxf, drawing, 0);
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
            if (p.Code == 0 && p.Value == "BLOCK") dxf.beginBlock();
            else if (p.Code == 0 && p.Value == "ENDBLK") dxf.endBlock();
            else dxf.blockPair(p.Code, p.Value);
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
    if (const std::string left = dxf.omissions(); !left.empty()) said += (said.empty() ? "" : "\n") + left;
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
