#include "canvas/DxfImport.h"

#include "canvas/DxfPairs.h"
#include "canvas/DxfText.h"
#include "canvas/FileNumbers.h"
#include "platform/AtomicFile.h"

#include <QLoggingCategory>
#include <cmath>
#include <filesystem>
#include <numbers>

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

// The numeric and name fields of one simple entity record; a later occurrence of a code wins.
struct EntityFields {
    static constexpr int kCodes = 80;
    double num[kCodes];
    bool has[kCodes];
    std::string_view text1, name2, layer8;

    void read(const DxfPairs& p, std::size_t begin, std::size_t end)
    {
        std::fill(std::begin(has), std::end(has), false);
        text1 = name2 = {};
        layer8 = "0";
        for (std::size_t i = begin; i < end; ++i) {
            const DxfPair& pair = p[i];
            if (pair.Code == 1) text1 = pair.Value;
            else if (pair.Code == 2) name2 = pair.Value;
            else if (pair.Code == 8) layer8 = pair.Value;
            else if (pair.Code >= 10 && pair.Code < kCodes) set(pair.Code, pair.Value);
        }
    }
    void set(int code, std::string_view value)
    {
        double v = 0;
        num[code] = filenum::leadingDouble(value, v) ? v : 0.0;  // unreadable numbers read as 0
        has[code] = true;
    }
    double get(int code, double fallback = 0) const { return has[code] ? num[code] : fallback; }
    int integer(int code, int fallback = 0) const
    {
        if (!has[code]) return fallback;
        const double v = num[code];
        return v > -2147483648.0 && v < 2147483648.0 ? int(v) : fallback;
    }
    bool paperSpace() const { return integer(67) == 1; }
};

class DxfConverter {
public:
    DxfConverter(const DxfPairs& pairs, const CanvasModel& model, ColorValue layerColour, int layerWidth)
        : p_(pairs), model_(model), text_(DxfTextDecoder::forFile(pairs)), layerColour_(layerColour), layerWidth_(layerWidth)
    {
    }

    // The last valid colour of the LAYER table, when there is one.
    static std::optional<ColorValue> tableColour(const DxfPairs& p)
    {
        std::optional<ColorValue> colour;
        std::size_t i = p.findSection("TABLES");
        if (i == DxfPairs::npos) return colour;
        EntityFields f;
        for (i = firstRecord(p, i); i < p.size() && !endsSection(p[i]); i = p.recordEnd(i)) {
            if (p[i].Value != "LAYER") continue;
            f.read(p, i + 1, p.recordEnd(i));
            const ColorValue c = AciToColor(f.integer(62, 7));
            if (!f.name2.empty() && c != -1) colour = c;
        }
        return colour;
    }

    void readBlocks()
    {
        std::size_t i = p_.findSection("BLOCKS");
        if (i == DxfPairs::npos) return;
        std::unique_ptr<DxfBlock> open;
        EntityFields f;
        for (i = firstRecord(p_, i); i < p_.size() && !endsSection(p_[i]); i = p_.recordEnd(i)) {
            const std::string_view name = p_[i].Value;
            if (name == "BLOCK") {
                f.read(p_, i + 1, p_.recordEnd(i));
                open = std::make_unique<DxfBlock>();
                open->Name = std::string(f.name2);
                open->BaseX = f.get(10);
                open->BaseY = f.get(20);
            } else if (name == "LINE" && open) {
                f.read(p_, i + 1, p_.recordEnd(i));
                open->Shapes.push_back(std::make_unique<TVLine>(f.get(10), f.get(20), f.get(11), f.get(21), 0));
            } else if (name == "ENDBLK" && open) {
                blocks_.push_back(std::move(open));
            }
        }
    }

    // False when the section holds no record at all.
    bool readEntities(std::size_t section)
    {
        std::size_t records = 0;
        std::size_t i = firstRecord(p_, section);
        while (i < p_.size() && !endsSection(p_[i])) {
            const std::size_t end = p_.recordEnd(i);
            const std::string_view name = p_[i].Value;
            if (name == "LINE" && records < 5) {
                f_.read(p_, i + 1, end);
                lineLayers_.emplace_back(f_.layer8);
            }
            ++records;
            if (name == "POLYLINE") {
                i = polyline(i, end);
                continue;
            }
            entity(name, i, end);
            i = end;
        }
        return records > 0;
    }

    std::vector<std::unique_ptr<TVShape>>& shapes() { return shapes_; }
    std::vector<std::unique_ptr<DxfBlock>>& blocks() { return blocks_; }
    const std::vector<std::string>& lineLayers() const { return lineLayers_; }

    static std::size_t firstRecord(const DxfPairs& p, std::size_t i)
    {
        while (i < p.size() && p[i].Code != 0) ++i;
        return i;
    }
    static bool endsSection(const DxfPair& pair) { return pair.Value == "ENDSEC" || pair.Value == "EOF"; }

private:
    ColorValue colourOf(const EntityFields& f) const
    {
        const ColorValue c = f.has[62] ? AciToColor(f.integer(62)) : -1;
        return c != -1 ? c : layerColour_;
    }

    void add(std::unique_ptr<TVShape> s, ColorValue colour, int width = 1)
    {
        s->PenColor = colour;
        s->PenWidth = width;
        shapes_.push_back(std::move(s));
    }

    std::unique_ptr<TVPolyline> polylineShape(bool closed)
    {
        auto s = std::make_unique<TVPolyline>(closed ? shapecode::Polygon : shapecode::Polyline, 0);
        s->Closed = closed ? 1 : 0;
        return s;
    }

    void entity(std::string_view name, std::size_t i, std::size_t end)
    {
        if (name == "LWPOLYLINE") return lwpolyline(i, end);
        if (name == "SPLINE") return spline(i, end);
        if (name == "MTEXT") return text(i, end, true);
        if (name == "TEXT") return text(i, end, false);
        if (name != "LINE" && name != "CIRCLE" && name != "ARC" && name != "ELLIPSE" && name != "SOLID" &&
            name != "TRACE" && name != "POINT" && name != "INSERT")
            return;
        EntityFields& f = f_;
        f.read(p_, i + 1, end);
        if (f.paperSpace()) return;  // title blocks and viewports are not map content
        const ColorValue colour = colourOf(f);
        if (name == "LINE") {
            add(std::make_unique<TVLine>(f.get(10), f.get(20), f.get(11), f.get(21), 0), colour, layerWidth_);
        } else if (name == "CIRCLE") {
            add(std::make_unique<TVCircle>(f.get(10), f.get(20), f.get(40), 0), colour, layerWidth_);
        } else if (name == "ARC") {
            const double cx = f.get(10), cy = f.get(20), r = f.get(40), start = f.get(50, 0), end360 = f.get(51, 360);
            double sweep = end360 - start;
            if (sweep < 0) sweep += 360;
            auto s = polylineShape(false);
            for (int k = 0; k <= 20; ++k) {
                const double a = (start + sweep * k / 20.0) * kPi / 180.0;
                s->AddVertex(cx + r * std::cos(a), cy + r * std::sin(a));
            }
            add(std::move(s), colour);
        } else if (name == "ELLIPSE") {
            ellipse(f, colour);
        } else if (name == "SOLID" || name == "TRACE") {
            const WorldPoint c1{f.get(10), f.get(20)}, c2{f.get(11), f.get(21)}, c3{f.get(12), f.get(22)},
                c4{f.get(13), f.get(23)};
            auto s = polylineShape(true);
            s->AddVertex(c1.X, c1.Y);
            s->AddVertex(c2.X, c2.Y);
            s->AddVertex(c4.X, c4.Y);
            if (!(c3 == c4)) s->AddVertex(c3.X, c3.Y);
            add(std::move(s), colour);
        } else if (name == "POINT") {
            // As the canvas's AddPoint: size 3, the layer's colour and width.
            add(std::make_unique<TVPoint>(f.get(10), f.get(20), 0, 3, 0.0), layerColour_, layerWidth_);
        } else if (name == "INSERT") {
            insert(f);
        }
    }

    void ellipse(const EntityFields& f, ColorValue colour)
    {
        const double cx = f.get(10), cy = f.get(20), mx = f.get(11), my = f.get(21);
        const double ratio = f.get(40, 1), start = f.get(41, 0);
        double end = f.get(42, 2 * kPi);
        // Elliptical arcs run counter-clockwise from start to end, through 0 when end < start.
        if (end < start) end += 2 * kPi;
        const double len = std::hypot(mx, my), theta = std::atan2(my, mx), b = ratio * len;
        const bool closed = std::fabs(end - start) >= 6.2731853071795864;
        auto s = polylineShape(closed);
        for (int k = 0; k <= 36; ++k) {
            const double t = start + (end - start) * k / 36.0;
            s->AddVertex(cx + len * std::cos(t) * std::cos(theta) - b * std::sin(t) * std::sin(theta),
                         cy + len * std::cos(t) * std::sin(theta) + b * std::sin(t) * std::cos(theta));
        }
        add(std::move(s), colour);
    }

    void insert(const EntityFields& f)
    {
        const std::string_view name = f.name2;
        // This file's own definition first, then one kept from an earlier import.
        const DxfBlock* block = nullptr;
        for (const auto& b : blocks_)
            if (b->Name == name) {
                block = b.get();
                break;
            }
        if (!block) block = model_.FindDxfBlock(name);
        if (!block) return;
        const double ix = f.get(10), iy = f.get(20), sx = f.get(41, 1), sy = f.get(42, 1);
        const double r = f.get(50, 0) * kPi / 180.0, cr = std::cos(r), sr = std::sin(r);
        const ColorValue given = f.has[62] ? AciToColor(f.integer(62)) : -1;
        auto place = [&](double px, double py) {
            const double dx = sx * (px - block->BaseX), dy = sy * (py - block->BaseY);
            return WorldPoint{ix + cr * dx - sr * dy, iy + sr * dx + cr * dy};
        };
        for (const auto& shape : block->Shapes) {
            const auto* line = dynamic_cast<const TVLine*>(shape.get());
            if (!line) continue;
            const WorldPoint a = place(line->X1, line->Y1), b = place(line->X2, line->Y2);
            add(std::make_unique<TVLine>(a.X, a.Y, b.X, b.Y, 0), given != -1 ? given : line->PenColor);
        }
    }

    void text(std::size_t i, std::size_t end, bool mtext)
    {
        EntityFields& f = f_;
        f.read(p_, i + 1, end);
        if (f.paperSpace()) return;
        std::string raw;
        if (mtext) {
            // Long MTEXT values come in 250-character pieces (code 3) before the last one (code 1).
            for (std::size_t k = i + 1; k < end; ++k)
                if (p_[k].Code == 3) raw += p_[k].Value;
        }
        raw += f.text1;
        if (raw.empty()) return;
        const std::string decoded = text_.decode(raw);
        std::string plain = mtext ? StripMtextCodes(decoded) : DecodeDxfTextCodes(decoded);
        if (plain.empty()) return;
        const double height = f.get(40, 2.5);
        auto t = std::make_unique<TVText>(f.get(10), f.get(20), std::move(plain), -1, 0);
        t->FontName = "Arial";
        t->Height = height > 0.1 ? height : 2.5;
        t->Angle = f.get(50, 0);
        t->HAlign = 0;
        t->VAlign = 2;
        t->UpdateBounds();
        add(std::move(t), layerColour_);
    }

    void lwpolyline(std::size_t i, std::size_t end)
    {
        auto s = polylineShape(false);
        int flags = 0;
        bool haveX = false, paper = false, has62 = false;
        int aci = 0;
        double x = 0;
        for (std::size_t k = i + 1; k < end; ++k) {
            const DxfPair& pair = p_[k];
            switch (pair.Code) {
            case 10:
                x = number(pair.Value);
                haveX = true;
                break;
            case 20:
                if (haveX) s->AddVertex(x, number(pair.Value));
                haveX = false;
                break;
            case 62: aci = integer(pair.Value), has62 = true; break;
            case 70: flags = integer(pair.Value); break;
            case 67: paper = integer(pair.Value) == 1; break;
            default: break;
            }
        }
        if (paper || s->Vertices.size() < 2) return;
        finishPolyline(std::move(s), flags, has62, aci);
    }

    void spline(std::size_t i, std::size_t end)
    {
        std::vector<double> xs, ys;
        int flags = 0, aci = 0;
        bool paper = false, has62 = false;
        for (std::size_t k = i + 1; k < end; ++k) {
            const DxfPair& pair = p_[k];
            switch (pair.Code) {
            case 10: xs.push_back(number(pair.Value)); break;
            case 20: ys.push_back(number(pair.Value)); break;
            case 62: aci = integer(pair.Value), has62 = true; break;
            case 70: flags = integer(pair.Value); break;
            case 67: paper = integer(pair.Value) == 1; break;
            default: break;
            }
        }
        if (paper || xs.size() < 2 || ys.size() != xs.size()) return;
        auto s = polylineShape(false);
        for (std::size_t k = 0; k < xs.size(); ++k) s->AddVertex(xs[k], ys[k]);
        finishPolyline(std::move(s), flags, has62, aci);
    }

    // POLYLINE header, then its VERTEX records; returns the index after the last vertex.
    std::size_t polyline(std::size_t i, std::size_t end)
    {
        EntityFields& f = f_;
        f.read(p_, i + 1, end);
        const int flags = f.integer(70);
        // Polyface and polygon meshes are 3-D surfaces; their face records would draw to (0, 0).
        const bool mesh = (flags & (16 | 64)) != 0;
        const bool skip = mesh || f.paperSpace();
        const bool has62 = f.has[62];
        const int aci = f.integer(62);
        auto s = polylineShape(false);
        std::size_t k = end;
        while (k < p_.size() && p_[k].Code == 0 && p_[k].Value == "VERTEX") {
            const std::size_t vend = p_.recordEnd(k);
            double x = 0, y = 0;
            int vflags = 0;
            for (std::size_t j = k + 1; j < vend; ++j) {
                if (p_[j].Code == 10) x = number(p_[j].Value);
                else if (p_[j].Code == 20) y = number(p_[j].Value);
                else if (p_[j].Code == 70) vflags = integer(p_[j].Value);
            }
            // Frame control points of a spline-fit polyline are not on the drawn line.
            if (!skip && (vflags & 16) == 0) s->AddVertex(x, y);
            k = vend;
        }
        if (!skip && s->Vertices.size() >= 2) finishPolyline(std::move(s), flags, has62, aci);
        return k;
    }

    void finishPolyline(std::unique_ptr<TVPolyline> s, int flags, bool has62, int aci)
    {
        const bool closed = (flags & 1) != 0;
        s->ShapeType = closed ? shapecode::Polygon : shapecode::Polyline;
        s->Closed = closed ? 1 : 0;
        const ColorValue c = has62 ? AciToColor(aci) : -1;
        add(std::move(s), c != -1 ? c : layerColour_);
    }

    static double number(std::string_view v)
    {
        double d = 0;
        return filenum::leadingDouble(v, d) ? d : 0.0;
    }
    static int integer(std::string_view v)
    {
        std::int32_t n = 0;
        return filenum::leadingInt(v, n) ? n : 0;
    }

    const DxfPairs& p_;
    const CanvasModel& model_;
    DxfTextDecoder text_;
    ColorValue layerColour_;
    int layerWidth_;
    EntityFields f_;
    std::vector<std::unique_ptr<TVShape>> shapes_;
    std::vector<std::unique_ptr<DxfBlock>> blocks_;
    std::vector<std::string> lineLayers_;
};

void setMessage(std::string* message, std::string text)
{
    if (message) *message = std::move(text);
}

// Puts the converted drawing onto the canvas: the import layer emptied and refilled, this file's
// blocks replacing same-named ones kept from earlier imports.
void commit(CanvasModel& model, const std::string& layerName, std::optional<ColorValue> colour, DxfConverter& dxf)
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
    for (auto& s : dxf.shapes()) {
        s->LayerId = layer;
        model.AppendShape(std::move(s));
    }
    auto& kept = model.Blocks();
    for (auto& block : dxf.blocks()) {
        std::erase_if(kept, [&](const std::unique_ptr<DxfBlock>& b) { return b->Name == block->Name; });
    }
    for (auto& block : dxf.blocks()) kept.push_back(std::move(block));
    model.ZoomExtents();
    model.Redraw();
}

}  // namespace

bool ImportDxfBytes(CanvasModel& model, std::string bytes, const std::string& fileName, std::string* message)
{
    setMessage(message, {});
    DxfPairs pairs;
    std::string error;
    if (!pairs.parse(std::move(bytes), error)) {
        setMessage(message, error);
        return false;
    }
    const std::size_t entities = pairs.findSection("ENTITIES");
    if (entities == DxfPairs::npos) {
        setMessage(message, "DXF load failed: ENTITIES section not found");
        return false;
    }
    const std::string layerName = "_dxf_" + fileName;
    const std::optional<ColorValue> tableColour = DxfConverter::tableColour(pairs);
    // The colour and width the import layer will have, for entities that take the layer's.
    const CanvasLayer* existing = model.FindLayerById(model.FindLayer(layerName));
    const ColorValue layerColour = tableColour ? *tableColour : existing ? existing->PenColor : CanvasLayer{}.PenColor;
    const int layerWidth = existing ? existing->PenWidth : CanvasLayer{}.PenWidth;

    DxfConverter dxf(pairs, model, layerColour, layerWidth);
    dxf.readBlocks();
    if (!dxf.readEntities(entities)) {
        setMessage(message, "DXF load failed: the ENTITIES section is empty");
        return false;
    }
    commit(model, layerName, tableColour, dxf);
    return true;
}

bool ImportDxf(CanvasModel& model, const std::string& path, std::string* message)
{
    setMessage(message, {});
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::string bytes;
    if (!readFile(path, bytes)) return false;
    return ImportDxfBytes(model, std::move(bytes), std::filesystem::path(path).filename().string(), message);
}

}  // namespace vsx
