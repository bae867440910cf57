// CanvasModel: layers, the shape store with its indices, the Add family, shape properties and
// geometry, fonts, colours, the pixel mapping, depth labels, event marks and DXF blocks.
#include "canvas/CanvasModel.h"

#include "canvas/CanvasModelPrivate.h"
#include "canvas/ShapeIdIndex.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

namespace vsx {

namespace {

int luma(ColorValue c) { return 299 * redOf(c) + 587 * greenOf(c) + 114 * blueOf(c); }

int clampToInt(double v)
{
    if (!(v == v)) return 0;
    return int(std::clamp(v, double(INT_MIN), double(INT_MAX)));
}

template <class T> T* as(TVShape* s) { return dynamic_cast<T*>(s); }
template <class T> const T* as(const TVShape* s) { return dynamic_cast<const T*>(s); }

} // namespace

CanvasModel::CanvasModel() : index_(std::make_unique<ShapeIdIndex>())
{
    AddLayer(DefaultLayerName);
    textFonts_.push_back(CanvasTextFont{"Arial", 10, false, false, 0});
}

CanvasModel::~CanvasModel()
{
    for (TVShape* s : zorder_) delete s;
}

// ---- Change reports ----

void CanvasModel::SetChangeHandler(std::function<void(CanvasChange)> handler) { onChange_ = std::move(handler); }

void CanvasModel::changed(CanvasChange kind)
{
    if (kind != CanvasChange::Overlay) dirty_ = true;
    if (onChange_) onChange_(kind);
}

void CanvasModel::Redraw() { changed(CanvasChange::Drawing); }

std::size_t CanvasModel::TakeEditedFrom() { return std::exchange(editedFrom_, SIZE_MAX); }

// ---- Layers ----

CanvasModel::LayerEntry* CanvasModel::layerEntry(int id)
{
    return id >= 0 && std::size_t(id) < layerById_.size() ? layerById_[std::size_t(id)] : nullptr;
}

const CanvasModel::LayerEntry* CanvasModel::layerEntry(int id) const
{
    return id >= 0 && std::size_t(id) < layerById_.size() ? layerById_[std::size_t(id)] : nullptr;
}

CanvasModel::LayerEntry& CanvasModel::layerOrDefault(int id)
{
    if (LayerEntry* e = layerEntry(id)) return *e;
    return *layerEntry(AddLayer(DefaultLayerName));
}

int CanvasModel::AddLayer(std::string_view name)
{
    int id = FindLayer(name);
    if (id < 0) {
        auto entry = std::make_unique<LayerEntry>();
        id = nextLayerId_++;
        entry->Record.Id = id;
        entry->Record.Name = std::string(name);
        if (layerById_.size() <= std::size_t(id)) layerById_.resize(std::size_t(id) + 1, nullptr);
        layerById_[std::size_t(id)] = entry.get();
        layers_.push_back(std::move(entry));
    }
    currentLayer_ = id;
    return id;
}

int CanvasModel::FindLayer(std::string_view name) const
{
    for (const auto& e : layers_)
        if (e->Record.Name == name) return e->Record.Id;
    return -1;
}

CanvasLayer* CanvasModel::FindLayerById(int id)
{
    LayerEntry* e = layerEntry(id);
    return e ? &e->Record : nullptr;
}

const CanvasLayer* CanvasModel::FindLayerById(int id) const
{
    const LayerEntry* e = layerEntry(id);
    return e ? &e->Record : nullptr;
}

std::vector<const CanvasLayer*> CanvasModel::Layers() const
{
    std::vector<const CanvasLayer*> out;
    out.reserve(layers_.size());
    for (const auto& e : layers_) out.push_back(&e->Record);
    return out;
}

// Layer record fields: getter with default, setter that repaints.
#define VSX_LAYER_FIELD(Getter, Setter, Type, Field, Default)                   \
    Type CanvasModel::Getter(int id) const                                      \
    {                                                                           \
        const LayerEntry* e = layerEntry(id);                                   \
        return e ? e->Record.Field : Type(Default);                             \
    }                                                                           \
    void CanvasModel::Setter(int id, Type value)                                \
    {                                                                           \
        if (LayerEntry* e = layerEntry(id)) {                                   \
            e->Record.Field = value;                                            \
            changed();                                                          \
        }                                                                       \
    }

VSX_LAYER_FIELD(GetLayerOption, SetLayerOption, int, Option, 0)
VSX_LAYER_FIELD(GetLayerAuxStyle, SetLayerAuxStyle, int, AuxStyle, 0)
VSX_LAYER_FIELD(GetLayerBrushColor, SetLayerBrushColor, ColorValue, BrushColor, clWhite)
VSX_LAYER_FIELD(GetLayerAuxColor, SetLayerAuxColor, ColorValue, AuxColor, clWhite)
VSX_LAYER_FIELD(GetLayerBrushStyle, SetLayerBrushStyle, std::uint8_t, BrushStyle, 1)
VSX_LAYER_FIELD(GetLayerAuxValue, SetLayerAuxValue, int, AuxValue, 0)
VSX_LAYER_FIELD(GetLayerVisible, SetLayerVisible, bool, Visible, false)
VSX_LAYER_FIELD(GetLayerLocked, SetLayerLocked, bool, Locked, false)
VSX_LAYER_FIELD(GetLayerKeepsColor, SetLayerKeepsColor, bool, KeepsColor, false)
#undef VSX_LAYER_FIELD

ColorValue CanvasModel::GetLayerColor(int id) const
{
    const LayerEntry* e = layerEntry(id);
    return e ? e->Record.PenColor : clBlack;
}

void CanvasModel::SetLayerColor(int id, ColorValue c)
{
    LayerEntry* e = layerEntry(id);
    if (!e) return;
    e->Record.PenColor = c;
    if (e->AllColor != c) {
        for (TVShape* s : e->Members) s->PenColor = c;
        e->AllColor = c;
    }
    changed();
}

int CanvasModel::GetLayerWidth(int id) const
{
    const LayerEntry* e = layerEntry(id);
    return e ? e->Record.PenWidth : 1;
}

void CanvasModel::SetLayerWidth(int id, int width)
{
    LayerEntry* e = layerEntry(id);
    if (!e) return;
    e->Record.PenWidth = width;
    if (e->AllWidth != width) {
        for (TVShape* s : e->Members) s->PenWidth = width;
        e->AllWidth = width;
    }
    changed();
}

void CanvasModel::MoveLayerShapes(int fromId, int toId, int mode)
{
    LayerEntry* from = layerEntry(fromId);
    LayerEntry* to = layerEntry(toId);
    if (mode == 1 && from && to && from != to && !from->Members.empty()) {
        if (to->Members.empty()) {
            to->AllColor = from->AllColor;
            to->AllWidth = from->AllWidth;
        } else {
            if (to->AllColor != from->AllColor) to->AllColor.reset();
            if (to->AllWidth != from->AllWidth) to->AllWidth.reset();
        }
        to->Members.reserve(to->Members.size() + from->Members.size());
        for (TVShape* s : from->Members) {
            s->LayerId = toId;
            to->Members.push_back(s);
        }
        from->Members.clear();
    }
    changed();
}

std::vector<std::int32_t> CanvasModel::GetLayerShapeIds(int layerId) const
{
    std::vector<std::int32_t> ids;
    const LayerEntry* e = layerEntry(layerId);
    if (!e) return ids;
    std::vector<const TVShape*> members(e->Members.begin(), e->Members.end());
    std::sort(members.begin(), members.end(), [](const TVShape* a, const TVShape* b) { return a->zpos_ < b->zpos_; });
    ids.reserve(members.size());
    for (const TVShape* s : members) ids.push_back(s->Id);
    return ids;
}

int CanvasModel::LayerShapeCount(int layerId) const
{
    const LayerEntry* e = layerEntry(layerId);
    return e ? int(e->Members.size()) : 0;
}

// ---- Shape store ----

TVShape* CanvasModel::shape(int id) const { return index_->find(id); }

const TVShape* CanvasModel::FindShape(int id) const { return shape(id); }

TVShape* CanvasModel::ShapeForUpdate(int id)
{
    TVShape* s = shape(id);
    if (s) edited(s->zpos_);
    return s;
}

std::span<const TVShape* const> CanvasModel::Shapes() const
{
    return {reinterpret_cast<const TVShape* const*>(zorder_.data()), zorder_.size()};
}

std::vector<std::int32_t> CanvasModel::GetShapeIds() const
{
    std::vector<std::int32_t> ids;
    ids.reserve(zorder_.size());
    for (const TVShape* s : zorder_) ids.push_back(s->Id);
    return ids;
}

int CanvasModel::NextShapeId() const { return nextShapeId_ > INT_MAX ? 1 : int(nextShapeId_); }

int CanvasModel::newShapeId()
{
    // Ids only grow; after 2^31 - 1 of them the counter wraps and skips the ids still in use.
    for (;;) {
        if (nextShapeId_ > INT_MAX) nextShapeId_ = 1;
        const int id = int(nextShapeId_++);
        // Above every id handed out so far nothing needs looking up.
        if (id > highestShapeId_ || !index_->contains(id)) return id;
    }
}

int CanvasModel::TakeShapeId() { return newShapeId(); }

void CanvasModel::noteColor(LayerEntry& layer, const TVShape& s)
{
    if (layer.Members.size() <= 1)
        layer.AllColor = s.PenColor;
    else if (layer.AllColor && *layer.AllColor != s.PenColor)
        layer.AllColor.reset();
}

void CanvasModel::noteWidth(LayerEntry& layer, const TVShape& s)
{
    if (layer.Members.size() <= 1)
        layer.AllWidth = s.PenWidth;
    else if (layer.AllWidth && *layer.AllWidth != s.PenWidth)
        layer.AllWidth.reset();
}

void CanvasModel::attach(TVShape* s, LayerEntry& layer)
{
    s->LayerId = layer.Record.Id;
    layer.Members.push_back(s);
    noteColor(layer, *s);
    noteWidth(layer, *s);
}

void CanvasModel::detachFromLayer(TVShape* s)
{
    LayerEntry* e = layerEntry(s->LayerId);
    if (!e) return;
    // Recent shapes sit at the end of the list: search from the back.
    auto& m = e->Members;
    for (std::size_t i = m.size(); i-- > 0;) {
        if (m[i] == s) {
            m[i] = m.back();
            m.pop_back();
            return;
        }
    }
}

int CanvasModel::add(std::unique_ptr<TVShape> owned, LayerEntry& layer)
{
    TVShape* s = owned.release();
    if (s->Id <= 0 || (s->Id <= highestShapeId_ && index_->contains(s->Id))) s->Id = newShapeId();
    highestShapeId_ = std::max<std::int64_t>(highestShapeId_, s->Id);
    s->Selected = false;
    s->zpos_ = std::uint32_t(zorder_.size());
    zorder_.push_back(s);
    if (appending_) appended_.push_back(s);
    else index_->insert(s);
    attach(s, layer);
    changed();
    return s->Id;
}

void CanvasModel::BeginAppending(std::size_t count)
{
    zorder_.reserve(zorder_.size() + count);
    appended_.reserve(count);
    appending_ = true;
}

void CanvasModel::EndAppending()
{
    appending_ = false;
    index_->insertMany(appended_);
    appended_.clear();
    appended_.shrink_to_fit();
}

int CanvasModel::AppendShape(std::unique_ptr<TVShape> shape)
{
    if (!shape) return -1;
    LayerEntry& layer = layerOrDefault(shape->LayerId);
    return add(std::move(shape), layer);
}

bool CanvasModel::onVisibleLayer(const TVShape& s) const
{
    const LayerEntry* e = layerEntry(s.LayerId);
    return e && e->Record.Visible;
}

int CanvasModel::HitTest(double x, double y) const
{
    const double perPixel = WorldPerPixel();
    for (std::size_t i = zorder_.size(); i-- > 0;) {
        const TVShape* s = zorder_[i];
        if (!s->Visible || !onVisibleLayer(*s)) continue;
        const double tolPx = s->PenWidth < 4 ? 3.0 : double(s->PenWidth);
        if (s->HitTest(x, y, tolPx * perPixel)) return s->Id;
    }
    return -1;
}

int CanvasModel::HitTestLayer(double x, double y, double tolerancePx, int layerId) const
{
    const double tol = tolerancePx * WorldPerPixel();
    for (std::size_t i = zorder_.size(); i-- > 0;) {
        const TVShape* s = zorder_[i];
        if (layerId != -1 && s->LayerId != layerId) continue;
        if (!s->Visible || !onVisibleLayer(*s)) continue;
        if (s->HitTest(x, y, tol)) return s->Id;
    }
    return -1;
}

void CanvasModel::SetShapeLayer(int id, int layerId)
{
    TVShape* s = shape(id);
    LayerEntry* target = layerEntry(layerId);
    if (!s || !target) return;
    if (s->LayerId != layerId) {
        detachFromLayer(s);
        attach(s, *target);
    }
    changed();
}

int CanvasModel::GetShapeLayer(int id) const
{
    const TVShape* s = shape(id);
    return s ? s->LayerId : -1;
}

// ---- Add family ----

int CanvasModel::AddLine(double x1, double y1, double x2, double y2, int layerId)
{
    LayerEntry& layer = layerOrDefault(layerId);
    auto s = std::make_unique<TVLine>(x1, y1, x2, y2, layer.Record.Id);
    s->PenColor = layer.Record.PenColor;
    s->PenWidth = layer.Record.PenWidth;
    return add(std::move(s), layer);
}

int CanvasModel::AddCircle(double cx, double cy, double r, int layerId)
{
    LayerEntry& layer = layerOrDefault(layerId);
    auto s = std::make_unique<TVCircle>(cx, cy, r, layer.Record.Id);
    s->PenColor = layer.Record.PenColor;
    s->PenWidth = layer.Record.PenWidth;
    s->BrushColor = layer.Record.BrushColor;
    s->BrushStyle = layer.Record.BrushStyle;
    return add(std::move(s), layer);
}

int CanvasModel::AddRectangle(double x1, double y1, double x2, double y2, int layerId)
{
    LayerEntry& layer = layerOrDefault(layerId);
    auto s = std::make_unique<TVRectangle>(x1, y1, x2, y2, layer.Record.Id);
    s->PenColor = layer.Record.PenColor;
    s->PenWidth = layer.Record.PenWidth;
    s->BrushColor = layer.Record.BrushColor;
    s->BrushStyle = layer.Record.BrushStyle;
    return add(std::move(s), layer);
}

int CanvasModel::AddPoint(double x, double y, int layerId)
{
    LayerEntry& layer = layerOrDefault(layerId);
    auto s = std::make_unique<TVPoint>(x, y, layer.Record.Id, 3, 0.0);
    s->PenColor = layer.Record.PenColor;
    s->PenWidth = layer.Record.PenWidth;
    return add(std::move(s), layer);
}

int CanvasModel::AddEllipse(double x1, double y1, double x2, double y2, int layerId)
{
    LayerEntry& layer = layerOrDefault(layerId);
    auto s = std::make_unique<TVEllipse>(x1, y1, x2, y2, layer.Record.Id);
    s->PenColor = layer.Record.PenColor;
    s->PenWidth = layer.Record.PenWidth;
    return add(std::move(s), layer);
}

int CanvasModel::AddArc(double x1, double y1, double x2, double y2, double x3, double y3, int layerId)
{
    LayerEntry& layer = layerOrDefault(layerId);
    auto s = std::make_unique<TVArc>(x1, y1, x2, y2, x3, y3, layer.Record.Id);
    s->PenColor = layer.Record.PenColor;
    s->PenWidth = layer.Record.PenWidth;
    return add(std::move(s), layer);
}

int CanvasModel::AddText(int layerId, std::string_view text, double x, double y, int fontIndex)
{
    LayerEntry& layer = layerOrDefault(layerId);
    auto s = std::make_unique<TVText>(x, y, std::string(text), fontIndex, layer.Record.Id);
    s->PenColor = layer.Record.PenColor;
    s->HAlign = defaultTextHAlign_;
    s->VAlign = defaultTextVAlign_;
    if (fontIndex >= 0 && std::size_t(fontIndex) < textFonts_.size()) {
        const CanvasTextFont& f = textFonts_[std::size_t(fontIndex)];
        s->FontName = f.Name;
        s->Height = f.Size;
        s->Bold = f.Bold ? 1 : 0;
        s->Italic = f.Italic ? 1 : 0;
        s->UpdateBounds();
    }
    return add(std::move(s), layer);
}

int CanvasModel::AddPolyline(const WorldPoints& points, int layerId, int closed)
{
    if (points.size() < 2) return -1;
    LayerEntry& layer = layerOrDefault(layerId);
    auto s = std::make_unique<TVPolyline>(closed ? shapecode::Polygon : shapecode::Polyline, layer.Record.Id);
    s->Vertices.reserve(points.size());
    for (const WorldPoint& p : points) s->AddVertex(p.X, p.Y);
    s->PenColor = layer.Record.PenColor;
    s->PenWidth = layer.Record.PenWidth;
    s->AuxStyle = layer.Record.AuxStyle;
    s->BrushColor = layer.Record.BrushColor;
    s->BrushStyle = layer.Record.BrushStyle;
    return add(std::move(s), layer);
}

// ---- Shape properties ----

int CanvasModel::GetShapeType(int id) const
{
    const TVShape* s = shape(id);
    return s ? s->ShapeType : 0;
}

ColorValue CanvasModel::GetShapeColor(int id) const
{
    const TVShape* s = shape(id);
    return s ? s->PenColor : clBlack;
}

void CanvasModel::SetShapeColor(int id, ColorValue c)
{
    TVShape* s = shape(id);
    if (!s) return;
    s->PenColor = c;
    if (LayerEntry* e = layerEntry(s->LayerId)) noteColor(*e, *s);
    changed();
}

int CanvasModel::GetShapeWidth(int id) const
{
    const TVShape* s = shape(id);
    return s ? s->PenWidth : 1;
}

void CanvasModel::SetShapeWidth(int id, int width)
{
    TVShape* s = shape(id);
    if (!s) return;
    s->PenWidth = width;
    if (LayerEntry* e = layerEntry(s->LayerId)) noteWidth(*e, *s);
    changed();
}

#define VSX_SHAPE_FIELD(Getter, Setter, Type, Field, Default)                   \
    Type CanvasModel::Getter(int id) const                                      \
    {                                                                           \
        const TVShape* s = shape(id);                                           \
        return s ? Type(s->Field) : Type(Default);                              \
    }                                                                           \
    void CanvasModel::Setter(int id, Type value)                                \
    {                                                                           \
        if (TVShape* s = shape(id)) {                                           \
            s->Field = value;                                                   \
            changed();                                                          \
        }                                                                       \
    }

VSX_SHAPE_FIELD(GetShapeAuxStyle, SetShapeAuxStyle, int, AuxStyle, 0)
VSX_SHAPE_FIELD(GetShapeBrushColor, SetShapeBrushColor, ColorValue, BrushColor, clWhite)
VSX_SHAPE_FIELD(GetShapeBrushStyle, SetShapeBrushStyle, std::uint8_t, BrushStyle, 0)
VSX_SHAPE_FIELD(GetShapeAuxValue, SetShapeAuxValue, int, AuxValue, 0)
VSX_SHAPE_FIELD(GetShapeTag, SetShapeTag, int, Tag, 0)
#undef VSX_SHAPE_FIELD

bool CanvasModel::IsShapeSelected(int id) const
{
    const TVShape* s = shape(id);
    return s && s->Selected;
}

std::string CanvasModel::GetShapeLabel(int id) const
{
    const TVShape* s = shape(id);
    return s ? s->Label.str() : std::string();
}

void CanvasModel::SetShapeLabel(int id, std::string_view label)
{
    if (TVShape* s = shape(id)) {
        s->Label = label;
        changed();
    }
}

std::string CanvasModel::GetShapeName(int id) const
{
    const TVShape* s = shape(id);
    return s ? s->Name.str() : std::string();
}

void CanvasModel::SetShapeName(int id, std::string_view name)
{
    if (TVShape* s = shape(id)) s->Name = name;
}

int CanvasModel::GetTextHAlign(int id) const
{
    const TVText* t = as<TVText>(shape(id));
    return t ? t->HAlign : 0;
}

void CanvasModel::SetTextHAlign(int id, int align)
{
    if (TVText* t = as<TVText>(shape(id))) {
        t->HAlign = align;
        changed();
    }
}

int CanvasModel::GetTextVAlign(int id) const
{
    const TVText* t = as<TVText>(shape(id));
    return t ? t->VAlign : 0;
}

void CanvasModel::SetTextVAlign(int id, int align)
{
    if (TVText* t = as<TVText>(shape(id))) {
        t->VAlign = align;
        changed();
    }
}

int CanvasModel::GetPointSize(int id) const
{
    const TVPoint* p = as<TVPoint>(shape(id));
    return p ? p->Size : 0;
}

void CanvasModel::SetPointSize(int id, int size)
{
    if (TVPoint* p = as<TVPoint>(shape(id))) {
        p->Size = size;
        p->UpdateBounds();
        edited(p->zpos_);
        changed();
    }
}

void CanvasModel::SetAllWidths(int width)
{
    const int w = std::max(width, 1);
    for (TVShape* s : zorder_) s->PenWidth = w;
    for (auto& e : layers_) e->AllWidth = w;
    changed();
}

// ---- Geometry access ----

bool CanvasModel::GetLine(int id, double& x1, double& y1, double& x2, double& y2) const
{
    const TVShape* s = shape(id);
    if (const TVLine* l = as<TVLine>(s)) {
        x1 = l->X1, y1 = l->Y1, x2 = l->X2, y2 = l->Y2;
        return true;
    }
    if (const TVPolyline* p = as<TVPolyline>(s); p && p->Vertices.size() >= 2) {
        x1 = p->Vertices.front().X, y1 = p->Vertices.front().Y;
        x2 = p->Vertices.back().X, y2 = p->Vertices.back().Y;
        return true;
    }
    return false;
}

bool CanvasModel::GetPoint(int id, double& x, double& y) const
{
    const TVPoint* p = as<TVPoint>(shape(id));
    if (!p) return false;
    x = p->X, y = p->Y;
    return true;
}

bool CanvasModel::GetText(int id, double& x, double& y, std::string& text) const
{
    const TVText* t = as<TVText>(shape(id));
    if (!t) return false;
    x = t->X, y = t->Y, text = t->Text;
    return true;
}

int CanvasModel::GetVertexCount(int id) const
{
    const TVPolyline* p = as<TVPolyline>(shape(id));
    return p ? int(p->Vertices.size()) : 0;
}

double CanvasModel::GetVertexX(int id, int i) const
{
    const TVPolyline* p = as<TVPolyline>(shape(id));
    return p && i >= 0 ? p->GetX(std::size_t(i)) : 0;
}

double CanvasModel::GetVertexY(int id, int i) const
{
    const TVPolyline* p = as<TVPolyline>(shape(id));
    return p && i >= 0 ? p->GetY(std::size_t(i)) : 0;
}

void CanvasModel::SetShapeVertex(int id, int i, double x, double y)
{
    if (TVPolyline* p = as<TVPolyline>(shape(id)); p && i >= 0) {
        p->SetVertex(std::size_t(i), x, y);
        edited(p->zpos_);
    }
    changed();
}

void CanvasModel::InsertVertex(int id, int i, double x, double y)
{
    TVPolyline* p = as<TVPolyline>(shape(id));
    if (!p || i < 0 || std::size_t(i) > p->Vertices.size()) return;
    p->Vertices.insert(p->Vertices.begin() + i, WorldPoint{x, y});
    p->UpdateBounds();
    edited(p->zpos_);
    changed();
}

void CanvasModel::DeleteVertex(int id, int i)
{
    TVPolyline* p = as<TVPolyline>(shape(id));
    if (!p || i < 0 || std::size_t(i) >= p->Vertices.size()) return;
    p->Vertices.erase(p->Vertices.begin() + i);
    p->UpdateBounds();
    edited(p->zpos_);
    changed();
}

// ---- Transforms and z-order ----

void CanvasModel::MoveShape(int id, double dx, double dy)
{
    if (TVShape* s = shape(id)) {
        s->Move(dx, dy);
        edited(s->zpos_);
        changed();
    }
}

void CanvasModel::ScaleShape(int id, double cx, double cy, double sx, double sy)
{
    if (TVShape* s = shape(id)) {
        s->Scale(sx, sy, cx, cy);
        edited(s->zpos_);
        changed();
    }
}

void CanvasModel::RotateShape(int id, double degrees, double cx, double cy)
{
    if (TVShape* s = shape(id)) {
        s->Rotate(degrees, cx, cy);
        edited(s->zpos_);
        changed();
    }
}

void CanvasModel::MirrorShape(int id, int axis, double cx, double cy)
{
    if (TVShape* s = shape(id)) {
        s->Scale(axis == 0 ? -1.0 : 1.0, axis == 1 ? -1.0 : 1.0, cx, cy);
        edited(s->zpos_);
        changed();
    }
}

void CanvasModel::renumberFrom(std::size_t pos)
{
    edited(pos);
    for (std::size_t i = pos; i < zorder_.size(); ++i) zorder_[i]->zpos_ = std::uint32_t(i);
}

void CanvasModel::BringToFront(int id)
{
    TVShape* s = shape(id);
    if (!s) return;
    const std::size_t pos = s->zpos_;
    zorder_.erase(zorder_.begin() + std::ptrdiff_t(pos));
    zorder_.push_back(s);
    renumberFrom(pos);
    changed();
}

void CanvasModel::SendToBack(int id)
{
    TVShape* s = shape(id);
    if (!s) return;
    const std::size_t pos = s->zpos_;
    zorder_.erase(zorder_.begin() + std::ptrdiff_t(pos));
    zorder_.insert(zorder_.begin(), s);
    renumberFrom(0);
    changed();
}

void CanvasModel::ChangeZOrder(int id, int direction)
{
    if (direction > 0)
        BringToFront(id);
    else if (direction < 0)
        SendToBack(id);
}

// ---- Text fonts ----

int CanvasModel::AddTextFont(std::string_view spec)
{
    CanvasTextFont f;  // "Arial", 10, plain
    const std::size_t comma = spec.find(',');
    if (comma == std::string_view::npos) {
        f.Name = std::string(spec);
    } else {
        f.Name = std::string(spec.substr(0, comma));
        const std::string_view rest = spec.substr(comma + 1);
        const std::size_t second = rest.find(',');
        const std::string_view sizeText = second == std::string_view::npos ? rest : rest.substr(0, second);
        f.Size = strToIntDef(sizeText, 10);
        if (second != std::string_view::npos) {
            const std::string flags = toUpperAscii(rest.substr(second + 1));
            f.Bold = flags.find('B') != std::string::npos;
            f.Italic = flags.find('I') != std::string::npos;
        }
    }
    if (toUpperAscii(f.Name) == "TXT") f.Name = "Arial";
    f.Index = int(textFonts_.size());
    textFonts_.push_back(f);
    currentTextFont_ = f.Index;
    return f.Index;
}

void CanvasModel::SetDefaultTextAlign(int hAlign, int vAlign)
{
    defaultTextHAlign_ = hAlign;
    defaultTextVAlign_ = vAlign;
}

void CanvasModel::ResetTextAlignment() { SetDefaultTextAlign(0, 0); }

// ---- Pixel mapping ----

ShapeView CanvasModel::View() const
{
    return ShapeView{worldXMin_, worldXMax_, worldYMax_, worldYMin_, viewWidth_, viewHeight_};
}

void CanvasModel::WorldToScreen(double x, double y, int& px, int& py) const
{
    px = WorldXToScreen(x);
    py = WorldYToScreen(y);
}

int CanvasModel::WorldXToScreen(double x) const
{
    double sx = worldXMax_ - worldXMin_;
    if (sx == 0) sx = 1;
    return clampToInt(std::floor(viewWidth_ / sx * (x - worldXMin_) + 0.5));
}

int CanvasModel::WorldYToScreen(double y) const
{
    double sy = worldYMax_ - worldYMin_;
    if (sy == 0) sy = 1;
    return clampToInt(std::floor(viewHeight_ / sy * (worldYMax_ - y) + 0.5));
}

void CanvasModel::ScreenToWorld(double px, double py, double& x, double& y) const
{
    const double w = viewWidth_ > 0 ? viewWidth_ : 1;
    const double h = viewHeight_ > 0 ? viewHeight_ : 1;
    x = px * ((worldXMax_ - worldXMin_) / w) + worldXMin_;
    y = worldYMax_ - py * ((worldYMax_ - worldYMin_) / h);
}

double CanvasModel::WorldPerPixel() const
{
    // A control that is hidden or not laid out yet counts as one pixel wide.
    return (worldXMax_ - worldXMin_) / std::max(viewWidth_, 1);
}

// ---- Colours ----

void CanvasModel::SetBackgroundColor(ColorValue c)
{
    if (c == backgroundColor_) return;
    backgroundColor_ = c;
    changed(CanvasChange::DrawingNow);
}

bool CanvasModel::LightBackground() const { return luma(backgroundColor_) >= 129000; }

ColorValue CanvasModel::ContrastColor(ColorValue c) const
{
    const int lc = luma(c), lb = luma(backgroundColor_);
    if (lc < 50000 && lb < 50000) return clWhite;
    if (lc >= 201000 && lb >= 201000) return clBlack;
    return KeptColor(c);
}

ColorValue CanvasModel::KeptColor(ColorValue c) const
{
    const int diff = std::abs(redOf(c) - redOf(backgroundColor_)) + std::abs(greenOf(c) - greenOf(backgroundColor_)) +
                     std::abs(blueOf(c) - blueOf(backgroundColor_));
    if (diff < 60) return LightBackground() ? clBlack : clWhite;
    return c;
}

// ---- Depth labels and event marks ----

void CanvasModel::AddSounding(double x, double y, double z)
{
    for (const SoundingPoint& s : soundings_)
        if (std::hypot(s.X - x, s.Y - y) < soundingSpacing_) return;
    soundings_.push_back({x, y, z});
    if (soundings_.size() > 10000) soundings_.erase(soundings_.begin(), soundings_.begin() + 1000);
    changed(CanvasChange::Overlay);
}

void CanvasModel::ClearSoundings()
{
    soundings_.clear();
    changed(CanvasChange::Overlay);
}

void CanvasModel::SetSoundingStyle(int show, double spacing, std::string_view fontName, int fontSize, ColorValue color)
{
    showSoundings_ = show != 0;
    soundingSpacing_ = spacing;
    soundingFontName_ = std::string(fontName);
    soundingFontSize_ = fontSize;
    soundingColor_ = color;
    changed(CanvasChange::Overlay);
}

void CanvasModel::AddEventMarker(double x, double y, int number)
{
    eventMarkers_.push_back({x, y, number});
    changed(CanvasChange::Overlay);
}

void CanvasModel::ClearEventMarkers()
{
    eventMarkers_.clear();
    changed(CanvasChange::Overlay);
}

// ---- DXF blocks ----

const DxfBlock* CanvasModel::FindDxfBlock(std::string_view name) const
{
    for (const auto& b : blocks_)
        if (b->Name == name) return b.get();
    return nullptr;
}

} // namespace vsx
