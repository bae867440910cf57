#include "canvas/DxfImport.h"

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
// Block definitions are kept as their text until they are inserted.
constexpr std::size_t kMaxBlockText = std::size_t(128) << 20;

// A plan-view map x' = a x + b y + e, y' = c x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    WorldPoint map(double x, double y) const { return {a * x + b * y + e, c * x + d * y + f}; }
    WorldPoint linear(double x, double y) const { return {a * x + b * y, c * x + d * y}; }
    double det() const { return a * d - b * c; }
    bool isIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0; }
    // A turn, a uniform scale and perhaps a mirror: circles stay circles of radius r * scale.
    bool similarity(double& scale) const
    {
        const double sx = std::hypot(a, c), sy = std::hypot(b, d);
        scale = sx;
        return std::fabs(sx - sy) <= 1e-9 * std::max(sx, 1.0) && std::fabs(a * b + c * d) <= 1e-9 * std::max(sx * sy, 1.0);
    }
};

// outer(inner(p)).
Affine compose(const Affine& o, const Affine& i)
{
    return {o.a * i.a + o.b * i.c, o.a * i.b + o.b * i.d, o.c * i.a + o.d * i.c,
            o.c * i.b + o.d * i.d, o.a * i.e + o.b * i.f + o.e, o.c * i.e + o.d * i.f + o.f};
}

// The arbitrary-axis algorithm: where the plan view sees the point (x, y) of an entity's object
// coordinate system at elevation z, for the entity's extrusion direction (nx, ny, nz).
Affine ocsPlan(double nx, double ny, double nz, double z)
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
    bx /= bl, by /= bl;
    return {ax, bx, ay, by, z * nx, z * ny};
}

Affine translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
Affine rotateScale(double radians, double sx, double sy)
{
    const double c = std::cos(radians), s = std::sin(radians);
    return {c * sx, -s * sy, s * sx, c * sy, 0, 0};
}

double number(std::string_view v)
{
    double d = 0;
    return filenum::leadingDouble(v, d) ? d : 0.0;
}

int integer(double v) { return v > -2147483648.0 && v < 2147483648.0 ? int(v) : 0; }

// One record (entity) as its pairs arrive: the numbers by code, its texts, and the vertex list
// of LWPOLYLINE and SPLINE.
struct Record {
    static constexpr int kCodes = 240;

    std::string name;
    std::bitset<kCodes> has;
    double num[kCodes];
    std::string text1, text3, name2, layer8;
    std::vector<WorldPoint> points;  // LWPOLYLINE vertices, SPLINE control points
    bool pendingX = false, unpaired = false;
    bool embedded = false;           // past an MTEXT's embedded object (code 101)

    void begin(std::string_view recordName)
    {
        name.assign(recordName);
        has.reset();
        text1.clear();
        text3.clear();
        name2.clear();
        layer8 = "0";
        points.clear();
        pendingX = unpaired = embedded = false;
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
        const bool vertexList = name == "LWPOLYLINE" || name == "SPLINE";
        if (vertexList && code == 10) {
            unpaired = unpaired || pendingX;
            points.push_back({number(v), 0});
            pendingX = true;
            return;
        }
        if (vertexList && code == 20) {
            if (pendingX) points.back().Y = number(v);
            else unpaired = true;
            pendingX = false;
            return;
        }
        if (code >= 0 && code < kCodes) {
            num[code] = number(v);  // unreadable numbers read as 0
            has.set(std::size_t(code));
        }
    }

    double get(int code, double fallback = 0) const { return has[std::size_t(code)] ? num[code] : fallback; }
    int integerOf(int code, int fallback = 0) const { return has[std::size_t(code)] ? integer(num[code]) : fallback; }
    bool paperSpace() const { return integerOf(67) == 1; }
    // The plan view of the entity's object coordinates at elevation z.
    Affine ocs(double z) const { return ocsPlan(get(210, 0), get(220, 0), get(230, 1), z); }
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

// A circle seen through a map: a circle when the map keeps shapes, else the ellipse as points.
std::unique_ptr<TVShape> mappedCircle(double cx, double cy, double r, const Affine& m)
{
    double scale = 1;
    if (m.similarity(scale)) {
        const WorldPoint c = m.map(cx, cy);
        return std::make_unique<TVCircle>(c.X, c.Y, r * scale, 0);
    }
    auto s = polylineShape(true);
    for (int k = 0; k < 72; ++k) {
        const double t = 2 * kPi * k / 72;
        const WorldPoint p = m.map(cx + r * std::cos(t), cy + r * std::sin(t));
        s->AddVertex(p.X, p.Y);
    }
    return s;
}

// Moves a copied block shape to where an INSERT puts it.
std::unique_ptr<TVShape> transformed(std::unique_ptr<TVShape> s, const Affine& m)
{
    if (auto* l = dynamic_cast<TVLine*>(s.get())) {
        const WorldPoint a = m.map(l->X1, l->Y1), b = m.map(l->X2, l->Y2);
        l->X1 = a.X, l->Y1 = a.Y, l->X2 = b.X, l->Y2 = b.Y;
    } else if (auto* p = dynamic_cast<TVPolyline*>(s.get())) {
        for (WorldPoint& v : p->Vertices) v = m.map(v.X, v.Y);
    } else if (auto* pt = dynamic_cast<TVPoint*>(s.get())) {
        const WorldPoint a = m.map(pt->X, pt->Y);
        pt->X = a.X, pt->Y = a.Y;
    } else if (auto* c = dynamic_cast<TVCircle*>(s.get())) {
        std::unique_ptr<TVShape> r = mappedCircle(c->CX, c->CY, c->R, m);
        r->PenColor = s->PenColor;
        r->PenWidth = s->PenWidth;
        return r;
    } else if (auto* t = dynamic_cast<TVText*>(s.get())) {
        const WorldPoint a = m.map(t->X, t->Y);
        const WorldPoint dir = m.linear(std::cos(t->Angle * kDeg), std::sin(t->Angle * kDeg));
        t->X = a.X, t->Y = a.Y;
        t->Angle = std::atan2(dir.Y, dir.X) / kDeg;
        t->Height *= std::sqrt(std::fabs(m.det()));
    }
    s->UpdateBounds();
    return s;
}

using Shapes = std::vector<std::unique_ptr<TVShape>>;

class DxfConverter;

// The records of one run of entities (the ENTITIES section, or a block's content) as their pairs
// arrive; a POLYLINE gathers the VERTEX records after it.
class RecordStream {
public:
    RecordStream(DxfConverter& converter, Shapes& sink, int depth) : conv_(converter), sink_(sink), depth_(depth) {}

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
    std::size_t records() const { return records_; }

private:
    void flush();
    void endPolyline();

    DxfConverter& conv_;
    Shapes& sink_;
    int depth_;
    Record rec_;
    bool open_ = false;
    std::size_t records_ = 0;
    // The POLYLINE being gathered.
    bool inPolyline_ = false, polylineSkipped_ = false;
    int polylineFlags_ = 0, polylineColourIndex_ = 0;
    bool polylineHasColour_ = false;
    Affine polylinePlan_;
    std::unique_ptr<TVPolyline> polyline_;
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
    void entity(const Record& r, Shapes& sink, int depth)
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
            add(sink, std::make_unique<TVLine>(r.get(10), r.get(20), r.get(11), r.get(21), 0), colour, layerWidth_);
        } else if (name == "CIRCLE") {
            add(sink, mappedCircle(r.get(10), r.get(20), r.get(40), r.ocs(r.get(30))), colour, layerWidth_);
        } else if (name == "ARC") {
            arc(r, sink, colour);
        } else if (name == "ELLIPSE") {
            ellipse(r, sink, colour);
        } else if (name == "SOLID" || name == "TRACE") {
            const Affine m = r.ocs(r.get(30));
            const WorldPoint c1 = m.map(r.get(10), r.get(20)), c2 = m.map(r.get(11), r.get(21)),
                             c3 = m.map(r.get(12), r.get(22)), c4 = m.map(r.get(13), r.get(23));
            auto s = polylineShape(true);
            s->AddVertex(c1.X, c1.Y);
            s->AddVertex(c2.X, c2.Y);
            s->AddVertex(c4.X, c4.Y);
            if (!(r.get(12) == r.get(13) && r.get(22) == r.get(23))) s->AddVertex(c3.X, c3.Y);
            add(sink, std::move(s), colour);
        } else if (name == "POINT") {
            // As the canvas's AddPoint: size 3, the layer's colour and width.
            add(sink, std::make_unique<TVPoint>(r.get(10), r.get(20), 0, 3, 0.0), layerColour_, layerWidth_);
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
    void add(Shapes& sink, std::unique_ptr<TVShape> s, ColorValue colour, int width = 1)
    {
        s->PenColor = colour;
        s->PenWidth = width;
        s->UpdateBounds();
        sink.push_back(std::move(s));
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
            kept->Shapes = std::move(b->shapes);
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
        double baseX = 0, baseY = 0;
        bool headerDone = false, truncated = false;
        std::string text;
        std::vector<StoredPair> pairs;
        enum class State { Raw, Converting, Done } state = State::Raw;
        Shapes shapes;
    };

    // Converts a block's content into shapes in block coordinates, once; false when it is being
    // converted already (an insert of itself) or lies too deep.
    bool convert(Block& b, int depth)
    {
        if (b.state == Block::State::Done) return true;
        if (b.state == Block::State::Converting || depth > kMaxInsertDepth) return false;
        b.state = Block::State::Converting;
        RecordStream stream(*this, b.shapes, depth + 1);
        for (const StoredPair& p : b.pairs) stream.pair(p.code, std::string_view(b.text).substr(p.offset, p.length));
        stream.finish();
        b.text.clear();
        b.text.shrink_to_fit();
        b.pairs.clear();
        b.pairs.shrink_to_fit();
        b.state = Block::State::Done;
        return true;
    }

    void insert(const Record& r, Shapes& sink, int depth)
    {
        const Shapes* content = nullptr;
        double baseX = 0, baseY = 0;
        if (const auto it = blocksByName_.find(r.name2); it != blocksByName_.end()) {
            if (!convert(*it->second, depth)) {
                leftOut("inserts nested deeper than " + std::to_string(kMaxInsertDepth) + " levels or in themselves");
                return;
            }
            content = &it->second->shapes;
            baseX = it->second->baseX;
            baseY = it->second->baseY;
        } else if (const DxfBlock* kept = model_.FindDxfBlock(r.name2)) {
            content = &kept->Shapes;
            baseX = kept->BaseX;
            baseY = kept->BaseY;
        } else {
            leftOut("inserts of undefined blocks");
            return;
        }
        if (r.integerOf(70, 1) > 1 || r.integerOf(71, 1) > 1) leftOut("insert array copies (the first is drawn)");
        // Block coordinates, less the base point, scaled, turned, moved to the insertion point of
        // the insert's object coordinates, seen in plan.
        const Affine m = compose(r.ocs(r.get(30)),
                                 compose(translate(r.get(10), r.get(20)),
                                         compose(rotateScale(r.get(50, 0) * kDeg, r.get(41, 1), r.get(42, 1)),
                                                 translate(-baseX, -baseY))));
        const ColorValue given = r.has[62] ? AciToColor(r.integerOf(62)) : -1;
        for (const auto& shape : *content) {
            if (shapeCount_ >= kMaxShapes) {
                leftOut("block copies beyond " + std::to_string(kMaxShapes) + " shapes");
                return;
            }
            std::unique_ptr<TVShape> copy = clone(*shape);
            if (!copy) continue;
            copy = transformed(std::move(copy), m);
            if (given != -1) copy->PenColor = given;
            sink.push_back(std::move(copy));
            ++shapeCount_;
        }
    }

    void arc(const Record& r, Shapes& sink, ColorValue colour)
    {
        const Affine m = r.ocs(r.get(30));
        const double cx = r.get(10), cy = r.get(20), radius = r.get(40), start = r.get(50, 0), end360 = r.get(51, 360);
        double sweep = end360 - start;
        if (sweep < 0) sweep += 360;
        auto s = polylineShape(false);
        for (int k = 0; k <= 20; ++k) {
            const double a = (start + sweep * k / 20.0) * kDeg;
            const WorldPoint p = m.map(cx + radius * std::cos(a), cy + radius * std::sin(a));
            s->AddVertex(p.X, p.Y);
        }
        add(sink, std::move(s), colour);
    }

    // World coordinates; the minor axis lies along extrusion x major axis, so an ellipse with
    // the extrusion (0, 0, -1) runs the other way round.
    void ellipse(const Record& r, Shapes& sink, ColorValue colour)
    {
        const double cx = r.get(10), cy = r.get(20), mx = r.get(11), my = r.get(21), mz = r.get(31);
        double nx = r.get(210, 0), ny = r.get(220, 0), nz = r.get(230, 1);
        const double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (nl > 1e-12 && std::isfinite(nl)) nx /= nl, ny /= nl, nz /= nl;
        else nx = 0, ny = 0, nz = 1;
        const double ratio = r.get(40, 1), start = r.get(41, 0);
        double end = r.get(42, 2 * kPi);
        // Elliptical arcs run counter-clockwise from start to end, through 0 when end < start.
        if (end < start) end += 2 * kPi;
        const double minX = ratio * (ny * mz - nz * my), minY = ratio * (nz * mx - nx * mz);
        const bool closed = std::fabs(end - start) >= 6.2731853071795864;
        auto s = polylineShape(closed);
        for (int k = 0; k <= 36; ++k) {
            const double t = start + (end - start) * k / 36.0;
            s->AddVertex(cx + mx * std::cos(t) + minX * std::sin(t), cy + my * std::cos(t) + minY * std::sin(t));
        }
        add(sink, std::move(s), colour);
    }

    void text(const Record& r, Shapes& sink, bool mtext)
    {
        std::string raw = mtext ? r.text3 + r.text1 : r.text1;  // long MTEXT: 250-character pieces first
        if (raw.empty()) return;
        const std::string decoded = text_.decode(raw);
        std::string plain = mtext ? StripMtextCodes(decoded) : DecodeDxfTextCodes(decoded);
        if (plain.empty()) return;
        const double given = r.get(40, 2.5);
        double height = given > 0.1 ? given : 2.5;
        double x = r.get(10), y = r.get(20), angle = r.get(50, 0);
        if (mtext) {
            // World coordinates; a direction vector, when given, sets the angle.
            if (r.has[11] || r.has[21]) angle = std::atan2(r.get(21), r.get(11)) / kDeg;
        } else {
            const Affine m = r.ocs(r.get(30));
            if (!m.isIdentity()) {
                const WorldPoint p = m.map(x, y), dir = m.linear(std::cos(angle * kDeg), std::sin(angle * kDeg));
                x = p.X, y = p.Y;
                angle = std::atan2(dir.Y, dir.X) / kDeg;
            }
        }
        auto t = std::make_unique<TVText>(x, y, std::move(plain), -1, 0);
        t->FontName = "Arial";
        t->Height = height;
        t->Angle = angle;
        t->HAlign = 0;
        t->VAlign = 2;
        add(sink, std::move(t), layerColour_, 1);
    }

    void lwpolyline(const Record& r, Shapes& sink)
    {
        if (r.points.size() < 2) return;
        const Affine m = r.ocs(r.get(38));
        auto s = polylineShape(false);
        s->Vertices = r.points;
        if (!m.isIdentity())
            for (WorldPoint& v : s->Vertices) v = m.map(v.X, v.Y);
        finishPolyline(sink, std::move(s), r.integerOf(70), r.has[62], r.integerOf(62));
    }

    void spline(const Record& r, Shapes& sink)
    {
        if (r.unpaired || r.pendingX || r.points.size() < 2) return;
        auto s = polylineShape(false);
        s->Vertices = r.points;
        finishPolyline(sink, std::move(s), r.integerOf(70), r.has[62], r.integerOf(62));
    }

public:
    void finishPolyline(Shapes& sink, std::unique_ptr<TVPolyline> s, int flags, bool has62, int aci)
    {
        const bool closed = (flags & 1) != 0;
        s->ShapeType = closed ? shapecode::Polygon : shapecode::Polyline;
        s->Closed = closed ? 1 : 0;
        add(sink, std::move(s), colourIndex(has62, aci));
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
};

void RecordStream::flush()
{
    if (!open_) return;
    open_ = false;
    if (rec_.name == "VERTEX" && inPolyline_) {
        // Frame control points of a spline-fit polyline are not on the drawn line; polyface
        // face records have no position.
        if (!polylineSkipped_ && (rec_.integerOf(70) & (16 | 128)) == 0) {
            const WorldPoint p = polylinePlan_.map(rec_.get(10), rec_.get(20));
            polyline_->Vertices.push_back(p);
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
        polylinePlan_ = (polylineFlags_ & 8) ? Affine{} : rec_.ocs(rec_.get(30));
        polyline_ = polylineShape(false);
        return;
    }
    conv_.entity(rec_, sink_, depth_);
}

void RecordStream::endPolyline()
{
    if (!inPolyline_) return;
    inPolyline_ = false;
    if (!polylineSkipped_ && polyline_->Vertices.size() >= 2) {
        polyline_->UpdateBounds();
        conv_.finishPolyline(sink_, std::move(polyline_), polylineFlags_, polylineHasColour_, polylineColourIndex_);
    }
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
    Shapes shapes;
    RecordStream entities(dxf, shapes, 0);
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
    if (section == "ENTITIES") entities.finish();
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
    setMessage(message, dxf.omissions());
    commit(model, layerName, tableColour, shapes, dxf);
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
