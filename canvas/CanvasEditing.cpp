// CanvasModel: deleting, selection, the nearest line and the view (zoom, extents, pan, centre,
// window, rotation, resize).
#include "canvas/CanvasModel.h"

#include "canvas/CanvasModelPrivate.h"
#include "canvas/ShapeIdIndex.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

#include <algorithm>
#include <cmath>

namespace vsx {

namespace {

constexpr std::uint32_t kGone = 0xFFFFFFFFu;

bool finite(double v) { return std::isfinite(v); }

} // namespace

// ---- Deleting ----

// Removes the shapes for which `doomed` holds in one compaction pass over the z-order, starting
// at `from` (nothing below it is doomed), then fixes the id index, the layer lists and the
// selection and frees the shapes.
template <class Pred> void CanvasModel::deleteWhere(Pred doomed, std::size_t from)
{
    edited(from);
    std::vector<TVShape*> gone;
    std::size_t w = from;
    for (std::size_t r = from; r < zorder_.size(); ++r) {
        TVShape* s = zorder_[r];
        if (doomed(s)) {
            gone.push_back(s);
        } else {
            zorder_[w] = s;
            s->zpos_ = std::uint32_t(w);
            ++w;
        }
    }
    zorder_.resize(w);
    if (gone.empty()) return;

    std::vector<bool> touched(layerById_.size(), false);
    int selectedGone = 0;
    for (TVShape* s : gone) {
        s->zpos_ = kGone;
        if (s->Selected) ++selectedGone;
        if (s->LayerId >= 0 && std::size_t(s->LayerId) < touched.size()) touched[std::size_t(s->LayerId)] = true;
    }
    for (std::size_t id = 0; id < touched.size(); ++id) {
        if (!touched[id] || !layerById_[id]) continue;
        auto& m = layerById_[id]->Members;
        std::erase_if(m, [](const TVShape* s) { return s->zpos_ == kGone; });
    }
    if (gone.size() * 4 > index_->size())
        index_->rebuild(zorder_);
    else
        for (TVShape* s : gone) index_->erase(s->Id);
    if (selectedGone > 0) {
        selectedCount_ -= selectedGone;
        std::erase_if(selection_, [this](std::int32_t id) { return !index_->contains(id); });
    }
    for (TVShape* s : gone) delete s;
}

void CanvasModel::DeleteLayerShapes(int layerId)
{
    if (layerId == -1) return deleteAllShapes();
    LayerEntry* e = layerEntry(layerId);
    if (!e) return;
    if (!e->Members.empty()) {
        std::size_t from = zorder_.size();
        for (const TVShape* s : e->Members) from = std::min<std::size_t>(from, s->zpos_);
        deleteWhere([layerId](const TVShape* s) { return s->LayerId == layerId; }, from);
    }
    changed(CanvasChange::DrawingNow);
}

void CanvasModel::deleteAllShapes()
{
    edited(0);
    for (TVShape* s : zorder_) delete s;
    zorder_.clear();
    index_->clear();
    for (auto& e : layers_) e->Members.clear();
    selection_.clear();
    selectedCount_ = 0;
    nextShapeId_ = 1;
    highestShapeId_ = 0;
    changed(CanvasChange::DrawingNow);
}

void CanvasModel::DeleteLayerShapesByName(std::string_view name)
{
    const int id = FindLayer(name);
    if (LayerEntry* e = layerEntry(id); e && !e->Members.empty()) {
        std::size_t from = zorder_.size();
        for (const TVShape* s : e->Members) from = std::min<std::size_t>(from, s->zpos_);
        deleteWhere([id](const TVShape* s) { return s->LayerId == id; }, from);
    }
    changed(CanvasChange::DrawingNow);
}

void CanvasModel::deleteSelectedShapes()
{
    if (selectedCount_ > 0) deleteWhere([](const TVShape* s) { return s->Selected; });
    selection_.clear();
    selectedCount_ = 0;
}

void CanvasModel::RemoveSelected()
{
    deleteSelectedShapes();
    changed(CanvasChange::Drawing);
}

void CanvasModel::DeleteSelected()
{
    deleteSelectedShapes();
    changed(CanvasChange::DrawingNow);
}

void CanvasModel::DeleteShape(int id)
{
    TVShape* target = shape(id);
    if (!target) return;
    deleteWhere([target](const TVShape* s) { return s == target; }, target->zpos_);
    changed();
}

void CanvasModel::ClearAll()
{
    edited(0);
    for (TVShape* s : zorder_) delete s;
    zorder_.clear();
    index_->clear();
    selection_.clear();
    selectedCount_ = 0;
    layers_.clear();
    layerById_.clear();
    nextLayerId_ = 0;
    nextShapeId_ = 1;
    highestShapeId_ = 0;
    AddLayer(DefaultLayerName);
    changed();
}

// ---- Selection ----

void CanvasModel::markSelected(TVShape& s)
{
    if (!s.Selected) {
        s.Selected = true;
        ++selectedCount_;
    }
    selection_.push_back(s.Id);
}

void CanvasModel::UnselectAll()
{
    // Every flagged shape has its id in the list, so the list is enough to clear the flags.
    for (std::int32_t id : selection_)
        if (TVShape* s = shape(id)) s->Selected = false;
    selection_.clear();
    selectedCount_ = 0;
}

void CanvasModel::ClearSelection()
{
    UnselectAll();
    changed();
}

void CanvasModel::SelectShape(int id, bool add)
{
    TVShape* s = shape(id);
    if (!s) return;
    if (!add) UnselectAll();
    markSelected(*s);
    changed();
}

void CanvasModel::UnselectShape(int id)
{
    TVShape* s = shape(id);
    if (!s) return;
    if (s->Selected) {
        s->Selected = false;
        --selectedCount_;
    }
    std::erase(selection_, id);
    changed();
}

void CanvasModel::SelectAll()
{
    for (TVShape* s : zorder_) markSelected(*s);
    changed();
}

void CanvasModel::SelectLayer(int layerId, bool add)
{
    const LayerEntry* e = layerEntry(layerId);
    if (!e) return;
    if (!add) UnselectAll();
    std::vector<TVShape*> members(e->Members.begin(), e->Members.end());
    std::sort(members.begin(), members.end(), [](const TVShape* a, const TVShape* b) { return a->zpos_ < b->zpos_; });
    for (TVShape* s : members) markSelected(*s);
    changed();
}

void CanvasModel::UnselectLayer(int layerId)
{
    const LayerEntry* e = layerEntry(layerId);
    if (!e) return;
    for (TVShape* s : e->Members) {
        if (s->Selected) {
            s->Selected = false;
            --selectedCount_;
        }
    }
    std::erase_if(selection_, [&](std::int32_t id) {
        const TVShape* s = shape(id);
        return !s || s->LayerId == layerId;
    });
    changed();
}

void CanvasModel::SelectLayers(const std::vector<std::int32_t>& layerIds)
{
    UnselectAll();
    std::vector<bool> wanted(layerById_.size(), false);
    for (std::int32_t id : layerIds)
        if (id >= 0 && std::size_t(id) < wanted.size()) wanted[std::size_t(id)] = true;
    for (TVShape* s : zorder_)
        if (s->LayerId >= 0 && std::size_t(s->LayerId) < wanted.size() && wanted[std::size_t(s->LayerId)]) markSelected(*s);
    changed();
}

bool CanvasModel::PointInPolygon(double x, double y, const WorldPoints& polygon)
{
    bool inside = false;
    const std::size_t n = polygon.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const double xi = polygon[i].X, yi = polygon[i].Y, xj = polygon[j].X, yj = polygon[j].Y;
        if ((yi > y) != (yj > y) && x < (y - yi) * (xj - xi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
}

namespace {

// The points of a shape that a selection polygon tests, in the order they are tried.
// centreOnly: every class but line, polyline and point is tested at its box centre.
template <class F> bool anyTestPoint(const TVShape& s, bool centreOnly, F inside)
{
    if (const auto* p = dynamic_cast<const TVPoint*>(&s)) return inside(p->X, p->Y);
    if (const auto* l = dynamic_cast<const TVLine*>(&s)) return inside(l->X1, l->Y1) || inside(l->X2, l->Y2);
    if (const auto* pl = dynamic_cast<const TVPolyline*>(&s)) {
        for (const WorldPoint& v : pl->Vertices)
            if (inside(v.X, v.Y)) return true;
        return false;
    }
    if (centreOnly) return inside((s.MinX + s.MaxX) / 2, (s.MinY + s.MaxY) / 2);
    if (const auto* r = dynamic_cast<const TVRectangle*>(&s))
        return inside(r->X1, r->Y1) || inside(r->X2, r->Y2) || inside(r->X1, r->Y2) || inside(r->X2, r->Y1) ||
               inside((r->X1 + r->X2) / 2, (r->Y1 + r->Y2) / 2);
    if (const auto* c = dynamic_cast<const TVCircle*>(&s)) return inside(c->CX, c->CY);
    if (const auto* e = dynamic_cast<const TVEllipse*>(&s)) return inside((e->X1 + e->X2) / 2, (e->Y1 + e->Y2) / 2);
    if (const auto* t = dynamic_cast<const TVText*>(&s)) return inside(t->X, t->Y);
    if (const auto* a = dynamic_cast<const TVArc*>(&s))
        return inside(a->X1, a->Y1) || inside(a->X3, a->Y3) || inside(a->X2, a->Y2);
    return false;
}

} // namespace

void CanvasModel::selectWhereTestPointInside(const WorldPoints& polygon, const std::vector<bool>* layerFilter,
                                             bool centreOnly)
{
    const int skipLayer = layerFilter ? -1 : FindLayer(SelectPolygonLayerName);
    auto inside = [&polygon](double x, double y) { return PointInPolygon(x, y, polygon); };
    for (TVShape* s : zorder_) {
        if (skipLayer >= 0 && s->LayerId == skipLayer) continue;
        if (layerFilter && !(s->LayerId >= 0 && std::size_t(s->LayerId) < layerFilter->size() &&
                             (*layerFilter)[std::size_t(s->LayerId)]))
            continue;
        // Shapes the user cannot see are never swept up (and then deleted) by a polygon.
        if (!s->Visible || !onVisibleLayer(*s)) continue;
        if (anyTestPoint(*s, centreOnly, inside)) markSelected(*s);
    }
    changed();
}

void CanvasModel::SelectInPolygon(const WorldPoints& polygon)
{
    UnselectAll();
    if (polygon.size() < 3) return;
    selectWhereTestPointInside(polygon, nullptr, false);
}

void CanvasModel::SelectInPolygonOnLayers(const WorldPoints& polygon, const std::vector<std::int32_t>& layerIds)
{
    UnselectAll();
    if (polygon.size() < 3 || layerIds.empty()) return;
    std::vector<bool> wanted(layerById_.size(), false);
    for (std::int32_t id : layerIds)
        if (id >= 0 && std::size_t(id) < wanted.size()) wanted[std::size_t(id)] = true;
    selectWhereTestPointInside(polygon, &wanted, true);
}

void CanvasModel::MoveSelected(double dx, double dy)
{
    edited(0);
    // Each selected shape once, even when its id is listed twice.
    std::vector<std::int32_t> ids = selection_;
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    for (std::int32_t id : ids)
        if (TVShape* s = shape(id); s && s->Selected) s->Move(dx, dy);
    changed();
}

void CanvasModel::SetNumericLabelsVisible(bool visible)
{
    std::vector<bool> numericLayer(layerById_.size(), false);
    for (TVShape* s : zorder_) {
        if (s->ShapeType != shapecode::Text) continue;
        if (!parseDouble(trimView(s->Label.view()))) continue;
        s->Visible = visible;
        if (s->LayerId >= 0 && std::size_t(s->LayerId) < numericLayer.size()) numericLayer[std::size_t(s->LayerId)] = true;
    }
    for (std::size_t id = 0; id < numericLayer.size(); ++id) {
        if (!numericLayer[id] || !layerById_[id]) continue;
        for (TVShape* s : layerById_[id]->Members)
            if (s->ShapeType == shapecode::Point) s->Visible = visible;
    }
    changed();
}

std::uint32_t CanvasModel::SelectionHash() const
{
    std::vector<const TVShape*> selected;
    selected.reserve(std::size_t(selectedCount_));
    for (std::int32_t id : selection_)
        if (const TVShape* s = shape(id); s && s->Selected) selected.push_back(s);
    std::sort(selected.begin(), selected.end(), [](const TVShape* a, const TVShape* b) { return a->zpos_ < b->zpos_; });
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    std::uint32_t h = 0x811C9DC5u;
    for (const TVShape* s : selected) h = (h ^ std::uint32_t(s->Id)) * 16777619u;
    return h ^ (std::uint32_t(selected.size()) * 0x9E3779B1u);
}

std::vector<WorldPoints> CanvasModel::GetSelectedLinePoints() const
{
    std::vector<const TVShape*> selected;
    for (std::int32_t id : selection_)
        if (const TVShape* s = shape(id); s && s->Selected) selected.push_back(s);
    std::sort(selected.begin(), selected.end(), [](const TVShape* a, const TVShape* b) { return a->zpos_ < b->zpos_; });
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    std::vector<WorldPoints> out;
    for (const TVShape* s : selected) {
        if (const auto* l = dynamic_cast<const TVLine*>(s)) {
            out.push_back({{l->X1, l->Y1}, {l->X2, l->Y2}});
        } else if (const auto* p = dynamic_cast<const TVPolyline*>(s)) {
            if ((p->ShapeType == shapecode::Polyline || p->ShapeType == shapecode::Polygon) && p->Vertices.size() >= 2)
                out.push_back(p->Vertices);
        }
    }
    return out;
}

int CanvasModel::FindNearestLine(double x, double y, double tolerancePx) const
{
    double tol = tolerancePx * WorldPerPixel();
    // The program's own layers (tracks, grid, event labels, temporary and selection shapes).
    std::vector<bool> skip(layerById_.size(), false);
    for (const auto& e : layers_) {
        const std::string n = toLowerAscii(e->Record.Name);
        skip[std::size_t(e->Record.Id)] = n.starts_with("track") || n.starts_with("~~") || n == "veldor grid" ||
                                          n == "event_number" || n == "veldor_tempshape" || n == "veldor_usershape" ||
                                          n == "veldor_selectpoly";
    }
    int best = -1;
    for (const TVShape* s : zorder_) {
        if (!s->Visible || !onVisibleLayer(*s)) continue;
        if (s->ShapeType != shapecode::Line && s->ShapeType != shapecode::Polyline) continue;
        if (skip[std::size_t(s->LayerId)]) continue;
        double d = 1e30;
        if (const auto* l = dynamic_cast<const TVLine*>(s)) {
            d = distanceToSegment(x, y, l->X1, l->Y1, l->X2, l->Y2);
        } else if (const auto* p = dynamic_cast<const TVPolyline*>(s)) {
            for (std::size_t i = 0; i + 1 < p->Vertices.size(); ++i)
                d = std::min(d, distanceToSegment(x, y, p->Vertices[i].X, p->Vertices[i].Y, p->Vertices[i + 1].X,
                                                  p->Vertices[i + 1].Y));
        } else {
            continue;
        }
        if (d <= tol) {
            best = s->Id;
            tol = d;
        }
    }
    return best;
}

// ---- View ----

namespace {
double positiveOr1(double v) { return v > 0 ? v : 1; }
} // namespace

void CanvasModel::ZoomAt(double p, double x, double y)
{
    if (!finite(p) || !finite(x) || !finite(y)) return;
    double f = 1 - p;
    if (f <= 0) f = 0.1;
    f = std::min(f, 10.0);
    const double sx = positiveOr1(WorldWidth()), sy = positiveOr1(WorldHeight());
    const double aspect = double(std::max(viewWidth_, 1)) / double(std::max(viewHeight_, 1));
    const double nx = f * sx, ny = nx / aspect;
    const double u = (x - worldXMin_) / sx, v = (y - worldYMin_) / sy;
    worldXMin_ = x - nx * u;
    worldXMax_ = x + nx * (1 - u);
    worldYMin_ = y - ny * v;
    worldYMax_ = y + ny * (1 - v);
    changed();
}

void CanvasModel::ZoomExtents()
{
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    for (const TVShape* s : zorder_) {
        if (!s->Visible) continue;
        if (!(s->MinX >= -1e15 && s->MaxX <= 1e15 && s->MinY >= -1e15 && s->MaxY <= 1e15 && s->MinX <= s->MaxX &&
              s->MinY <= s->MaxY))
            continue;
        if (!any) {
            minX = s->MinX, maxX = s->MaxX, minY = s->MinY, maxY = s->MaxY;
            any = true;
        } else {
            minX = std::min(minX, s->MinX), maxX = std::max(maxX, s->MaxX);
            minY = std::min(minY, s->MinY), maxY = std::max(maxY, s->MaxY);
        }
    }
    // A straight east-west or north-south line has a box of zero height or width; it is still
    // fitted (the aspect gives the other side). Only an empty or single-spot drawing falls back.
    if (!any || (maxX - minX <= 0 && maxY - minY <= 0)) {
        worldXMin_ = 0, worldXMax_ = 1000, worldYMin_ = 0, worldYMax_ = 1000;
        changed();
        return;
    }
    const double w0 = maxX - minX, h0 = maxY - minY;
    minX -= 0.05 * w0, maxX += 0.05 * w0;
    minY -= 0.05 * h0, maxY += 0.05 * h0;
    const double w = maxX - minX, h = maxY - minY;
    const double rw = w / positiveOr1(h);
    const double rs = double(std::max(viewWidth_, 1)) / double(std::max(viewHeight_, 1));
    if (rw > rs) {
        const double cy = (minY + maxY) / 2, half = w / rs / 2;
        worldXMin_ = minX, worldXMax_ = maxX, worldYMin_ = cy - half, worldYMax_ = cy + half;
    } else {
        const double cx = (minX + maxX) / 2, half = h * rs / 2;
        worldYMin_ = minY, worldYMax_ = maxY, worldXMin_ = cx - half, worldXMax_ = cx + half;
    }
    changed();
}

void CanvasModel::Pan(double dx, double dy)
{
    if (!finite(dx) || !finite(dy)) return;
    worldXMin_ += dx, worldXMax_ += dx;
    worldYMin_ += dy, worldYMax_ += dy;
    changed();
}

void CanvasModel::CenterAt(double x, double y)
{
    if (!finite(x) || !finite(y)) return;
    const double hw = WorldWidth() / 2, hh = WorldHeight() / 2;
    worldXMin_ = x - hw, worldXMax_ = x + hw;
    worldYMin_ = y - hh, worldYMax_ = y + hh;
    changed();
}

void CanvasModel::SetWorldWindow(double xmin, double ymax, double xmax, double ymin)
{
    if (!finite(xmin) || !finite(ymax) || !finite(xmax) || !finite(ymin)) return;
    worldXMin_ = xmin, worldYMax_ = ymax, worldXMax_ = xmax, worldYMin_ = ymin;
    changed();
}

void CanvasModel::SetRotation(double degrees)
{
    if (!finite(degrees) || degrees == rotation_) return;
    rotation_ = degrees;
    changed();
}

void CanvasModel::SetRotationCenter(double x, double y)
{
    if (!finite(x) || !finite(y)) return;
    useRotationCenter_ = true;
    rotationCenterX_ = x, rotationCenterY_ = y;
    changed();
}

void CanvasModel::ClearRotationCenter()
{
    if (!useRotationCenter_) return;
    useRotationCenter_ = false;
    changed();
}

void CanvasModel::Resize(int widthPx, int heightPx)
{
    viewWidth_ = widthPx;
    viewHeight_ = heightPx;
    if (widthPx > 0 && heightPx > 0) {
        const double aspect = double(widthPx) / heightPx;
        const double rw = WorldWidth() / positiveOr1(WorldHeight());
        if (rw > aspect) {
            const double cy = (worldYMin_ + worldYMax_) / 2, half = WorldWidth() / aspect / 2;
            worldYMin_ = cy - half, worldYMax_ = cy + half;
        } else {
            const double cx = (worldXMin_ + worldXMax_) / 2, half = WorldHeight() * aspect / 2;
            worldXMin_ = cx - half, worldXMax_ = cx + half;
        }
    }
    changed();
}

} // namespace vsx
