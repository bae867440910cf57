#pragma once
// The map's drawing and view without a window: layers and shapes by integer id, the Add family
// and property operations, editing, selection, the world window and its pixel mapping. The map
// widget (TVeldorCanvas) owns one, forwards to it and repaints when it reports a change; file
// readers and writers, the display loop and the tools work on it directly.
//
// Conventions: ids are int32; -1 means none in results; an operation given an id that does not
// exist does nothing and a getter returns its default. A missing layer given to the Add family
// falls back to "Default" (created when needed). Operations that change what the drawing shows
// mark it Dirty and report CanvasChange::Drawing (or DrawingNow for a synchronous repaint);
// depth labels and event marks report CanvasChange::Overlay.
//
// Cost: finding a shape by id is O(1); appending is O(1) amortised; layer operations touch only
// the layer's shapes; deletions compact the z-order in one pass; nothing is quadratic.
#include "canvas/CanvasTypes.h"
#include "canvas/Shapes.h"
#include "platform/Colour.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

class ShapeIdIndex;

enum class CanvasChange {
    Overlay,     // only what is drawn over the back buffer changed: repaint without a rebuild
    Drawing,     // the drawing or view changed: rebuild, repaint asynchronously
    DrawingNow,  // as Drawing, and repaint synchronously as well
};

// A DXF block definition kept from an import; INSERT records of later imports copy its shapes.
struct DxfBlock {
    std::string Name;
    double BaseX = 0;
    double BaseY = 0;
    double BaseZ = 0;
    std::vector<std::unique_ptr<TVShape>> Shapes;  // in block coordinates, on layer 0
    // Per shape, the heights (z in block coordinates) of its points, for inserts that tilt the
    // block: a line two, a polyline one per vertex, a point and a level circle one, a text its
    // anchor's and its direction's slope. A missing entry reads as 0.
    std::vector<std::vector<double>> Heights;
};

class CanvasModel {
public:
    static constexpr const char* DefaultLayerName = "Default";
    static constexpr const char* SelectPolygonLayerName = "Veldor_SelectPoly";

    CanvasModel();  // the layer "Default" (id 0, current) and the font entry "Arial" 10
    ~CanvasModel();
    CanvasModel(const CanvasModel&) = delete;
    CanvasModel& operator=(const CanvasModel&) = delete;

    // ---- Change reports and the back-buffer flag ----
    void SetChangeHandler(std::function<void(CanvasChange)> handler);
    bool Dirty() const { return dirty_; }
    void SetDirty(bool dirty) { dirty_ = dirty; }  // the painter clears it after a rebuild
    void Redraw();                                 // Dirty, and report a change
    // For a cache kept over the z-order (the widget's culling index; one such reader per model):
    // the lowest z position whose shape, bounding box or place may have changed since the
    // previous call, or SIZE_MAX when shapes were only appended. Resets the mark. A shape taken
    // from ShapeForUpdate counts as changed at that moment.
    std::size_t TakeEditedFrom();

    // ---- Control size (pixels) used by the pixel mapping, hit tolerances and zoom ----
    int ViewWidth() const { return viewWidth_; }
    int ViewHeight() const { return viewHeight_; }
    // The control changed size: keeps the window at the new aspect around its centre so that
    // the larger dimension of the old window stays visible; Dirty.
    void Resize(int widthPx, int heightPx);

    // ---- Layers ----
    int AddLayer(std::string_view name);  // existing or new id; the layer becomes current
    int FindLayer(std::string_view name) const;  // exact match, -1 when none
    CanvasLayer* FindLayerById(int id);
    const CanvasLayer* FindLayerById(int id) const;
    std::vector<const CanvasLayer*> Layers() const;  // in creation order
    int LayerCount() const { return int(layers_.size()); }
    int NextLayerId() const { return nextLayerId_; }
    int CurrentLayer() const { return currentLayer_; }
    void SetCurrentLayer(int id) { currentLayer_ = id; }

    int GetLayerOption(int id) const;
    void SetLayerOption(int id, int value);
    ColorValue GetLayerColor(int id) const;
    void SetLayerColor(int id, ColorValue c);  // also every shape on the layer
    int GetLayerWidth(int id) const;
    void SetLayerWidth(int id, int width);     // also every shape on the layer
    int GetLayerAuxStyle(int id) const;
    void SetLayerAuxStyle(int id, int value);
    ColorValue GetLayerBrushColor(int id) const;
    void SetLayerBrushColor(int id, ColorValue c);  // the layer record only
    ColorValue GetLayerAuxColor(int id) const;
    void SetLayerAuxColor(int id, ColorValue c);
    std::uint8_t GetLayerBrushStyle(int id) const;
    void SetLayerBrushStyle(int id, std::uint8_t style);
    int GetLayerAuxValue(int id) const;
    void SetLayerAuxValue(int id, int value);
    bool GetLayerVisible(int id) const;  // false for a missing layer
    void SetLayerVisible(int id, bool visible);
    bool GetLayerLocked(int id) const;
    void SetLayerLocked(int id, bool locked);
    bool GetLayerKeepsColor(int id) const;
    void SetLayerKeepsColor(int id, bool keeps);
    // Mode 1 puts every shape of `fromId` on `toId` (an existing layer); other modes change nothing.
    void MoveLayerShapes(int fromId, int toId, int mode);
    std::vector<std::int32_t> GetLayerShapeIds(int layerId) const;  // in z-order
    int LayerShapeCount(int layerId) const;

    // ---- Shapes ----
    const TVShape* FindShape(int id) const;
    // For fields the model does not index (see Shapes.h); nullptr when missing.
    TVShape* ShapeForUpdate(int id);
    // All shapes in z-order, the last on top.
    std::span<const TVShape* const> Shapes() const;
    std::vector<std::int32_t> GetShapeIds() const;
    int ShapeCount() const { return int(zorder_.size()); }
    int NextShapeId() const;
    // Takes an id for a shape that is built first and appended later (interactive drawing).
    int TakeShapeId();
    // Appends a ready-made shape on top. It keeps an Id above 0 that is not in use, else gets a
    // new one; a layer that does not exist becomes "Default". Returns the id.
    int AppendShape(std::unique_ptr<TVShape> shape);
    // Appending a file's many shapes: room is made for `count` more at once, and the id index
    // takes the appended shapes in one pass at EndAppending (several memory reads in flight
    // instead of one at a time). Until then the appended shapes are not found by id.
    void BeginAppending(std::size_t count);
    void EndAppending();

    // Topmost shape under (x, y) on a visible layer; tolerance 3 pixels, or PenWidth pixels
    // when that is 4 or more. -1 when none.
    int HitTest(double x, double y) const;
    // As HitTest with one tolerance in pixels; layerId -1 means any layer.
    int HitTestLayer(double x, double y, double tolerancePx, int layerId) const;
    void SetShapeLayer(int id, int layerId);  // ignored when the layer does not exist
    int GetShapeLayer(int id) const;          // -1 when missing

    // ---- Add family: new shape on top, attributes from the layer; returns the id ----
    int AddLine(double x1, double y1, double x2, double y2, int layerId);
    int AddCircle(double cx, double cy, double r, int layerId);
    int AddRectangle(double x1, double y1, double x2, double y2, int layerId);
    int AddPoint(double x, double y, int layerId);
    int AddEllipse(double x1, double y1, double x2, double y2, int layerId);
    int AddArc(double x1, double y1, double x2, double y2, double x3, double y3, int layerId);
    int AddText(int layerId, std::string_view text, double x, double y, int fontIndex);
    // Fewer than two points: -1, nothing added. closed: 0 polyline (type 5), 1 polygon (type 6).
    int AddPolyline(const WorldPoints& points, int layerId, int closed);

    // ---- Shape properties (defaults for a missing shape) ----
    int GetShapeType(int id) const;
    ColorValue GetShapeColor(int id) const;
    void SetShapeColor(int id, ColorValue c);
    int GetShapeWidth(int id) const;
    void SetShapeWidth(int id, int width);
    int GetShapeAuxStyle(int id) const;
    void SetShapeAuxStyle(int id, int value);
    ColorValue GetShapeBrushColor(int id) const;
    void SetShapeBrushColor(int id, ColorValue c);
    std::uint8_t GetShapeBrushStyle(int id) const;  // 0 for a missing shape
    void SetShapeBrushStyle(int id, std::uint8_t style);
    int GetShapeAuxValue(int id) const;
    void SetShapeAuxValue(int id, int value);
    bool IsShapeSelected(int id) const;
    std::string GetShapeLabel(int id) const;
    void SetShapeLabel(int id, std::string_view label);
    std::string GetShapeName(int id) const;
    void SetShapeName(int id, std::string_view name);  // no repaint
    int GetShapeTag(int id) const;
    void SetShapeTag(int id, int tag);
    int GetTextHAlign(int id) const;  // texts only
    void SetTextHAlign(int id, int align);
    int GetTextVAlign(int id) const;
    void SetTextVAlign(int id, int align);
    int GetPointSize(int id) const;   // points only
    void SetPointSize(int id, int size);
    void SetAllWidths(int width);     // every shape, at least 1

    // ---- Geometry access ----
    // A line's ends, or a polyline's first and last vertex (two or more vertices).
    bool GetLine(int id, double& x1, double& y1, double& x2, double& y2) const;
    bool GetPoint(int id, double& x, double& y) const;
    bool GetText(int id, double& x, double& y, std::string& text) const;
    int GetVertexCount(int id) const;
    double GetVertexX(int id, int i) const;
    double GetVertexY(int id, int i) const;
    void SetShapeVertex(int id, int i, double x, double y);
    void InsertVertex(int id, int i, double x, double y);  // 0 <= i <= count
    void DeleteVertex(int id, int i);                      // 0 <= i < count

    // ---- Shape transforms and z-order ----
    void MoveShape(int id, double dx, double dy);
    void ScaleShape(int id, double cx, double cy, double sx, double sy);
    void RotateShape(int id, double degrees, double cx, double cy);
    void MirrorShape(int id, int axis, double cx, double cy);  // 0 about x = cx, 1 about y = cy
    void BringToFront(int id);
    void SendToBack(int id);
    void ChangeZOrder(int id, int direction);  // >0 front, <0 back

    // ---- Text fonts ----
    // "name[,size[,flags]]": flags "B" bold, "I" italic; "TXT" becomes "Arial". Returns the index.
    int AddTextFont(std::string_view spec);
    const std::vector<CanvasTextFont>& TextFonts() const { return textFonts_; }
    int CurrentTextFont() const { return currentTextFont_; }
    int DefaultTextHAlign() const { return defaultTextHAlign_; }
    int DefaultTextVAlign() const { return defaultTextVAlign_; }
    void SetDefaultTextAlign(int hAlign, int vAlign);
    void ResetTextAlignment();

    // ---- World window and pixel mapping (the mapping ignores Rotation) ----
    double WorldXMin() const { return worldXMin_; }
    double WorldXMax() const { return worldXMax_; }
    double WorldYMin() const { return worldYMin_; }
    double WorldYMax() const { return worldYMax_; }
    double WorldWidth() const { return worldXMax_ - worldXMin_; }
    double WorldHeight() const { return worldYMax_ - worldYMin_; }
    ShapeView View() const;  // the window on the control's pixels, for Draw
    void WorldToScreen(double x, double y, int& px, int& py) const;
    void ScreenToWorld(double px, double py, double& x, double& y) const;
    int WorldXToScreen(double x) const;
    int WorldYToScreen(double y) const;
    double WorldPerPixel() const;  // world width / control width (at least 1 pixel)

    // ---- View ----
    // Shrinks the window by 1 - p (clamped to 0.1..10) about (x, y), which keeps its place on
    // the screen; the new height follows the control's aspect.
    void ZoomAt(double p, double x, double y);
    // Fits the window to all visible shapes plus 5 %, at the control's aspect; 0..1000 when empty.
    void ZoomExtents();
    void Pan(double dx, double dy);
    void CenterAt(double x, double y);
    void SetWorldWindow(double xmin, double ymax, double xmax, double ymin);  // note the order
    // Non-finite arguments are ignored by every view operation.

    double GetRotation() const { return rotation_; }
    void SetRotation(double degrees);
    void SetRotationCenter(double x, double y);
    void ClearRotationCenter();
    bool UseRotationCenter() const { return useRotationCenter_; }
    double RotationCenterX() const { return rotationCenterX_; }
    double RotationCenterY() const { return rotationCenterY_; }

    // ---- Colours ----
    ColorValue BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(ColorValue c);  // a changed colour repaints synchronously
    // The pen colour to draw `c` with on the current background.
    ColorValue ContrastColor(ColorValue c) const;
    // The pen colour of a layer that keeps its colour: `c` itself, unless it is too close to the
    // background to be seen, when it is drawn as ContrastColor draws it.
    ColorValue KeptColor(ColorValue c) const;
    bool LightBackground() const;  // background luma >= 129 000

    // ---- Deleting ----
    // Deletes the shapes of one existing layer; unknown ids delete nothing. -1 deletes every
    // shape of every layer, empties the selection and restarts shape ids at 1.
    void DeleteLayerShapes(int layerId);
    void DeleteLayerShapesByName(std::string_view name);
    void DeleteSelected();   // synchronous repaint
    void RemoveSelected();   // the same with an asynchronous repaint (the Delete key)
    void DeleteShape(int id);
    // Removes every shape and layer, restarts both counters and adds "Default" (id 0). Fonts,
    // blocks, depth labels and event marks stay.
    void ClearAll();

    // ---- Selection ----
    void SelectShape(int id, bool add);
    void UnselectShape(int id);
    void SelectAll();        // appends every id; the list is not cleared first
    void ClearSelection();
    void UnselectAll();      // as ClearSelection, without a repaint
    void SelectLayer(int layerId, bool add);
    void UnselectLayer(int layerId);
    void SelectLayers(const std::vector<std::int32_t>& layerIds);
    // Shapes on visible layers with a test point inside the polygon (3+ vertices); the shapes of
    // "Veldor_SelectPoly" are skipped.
    void SelectInPolygon(const WorldPoints& polygon);
    void SelectInPolygonOnLayers(const WorldPoints& polygon, const std::vector<std::int32_t>& layerIds);
    void MoveSelected(double dx, double dy);
    // Shows or hides texts whose label is a number, and the points on their layers.
    void SetNumericLabelsVisible(bool visible);

    int SelectedCount() const { return selectedCount_; }
    int SelectionListCount() const { return int(selection_.size()); }
    const std::vector<std::int32_t>& GetSelectedIds() const { return selection_; }  // in selection order
    std::uint32_t SelectionHash() const;
    std::vector<WorldPoints> GetSelectedLinePoints() const;
    static bool PointInPolygon(double x, double y, const WorldPoints& polygon);
    // The line or open polyline nearest to (x, y) within tolerancePx, skipping the program's own
    // layers (tracks, grid, event labels, temporary and selection shapes); -1 when none.
    int FindNearestLine(double x, double y, double tolerancePx) const;

    // ---- Depth labels and event marks (drawn as overlays) ----
    const std::vector<SoundingPoint>& Soundings() const { return soundings_; }
    // Adds a label unless one lies closer than the spacing; above 10 000 labels the oldest 1000 go.
    void AddSounding(double x, double y, double z);
    void ClearSoundings();
    void SetSoundingStyle(int show, double spacing, std::string_view fontName, int fontSize, ColorValue color);
    bool ShowSoundings() const { return showSoundings_; }
    double SoundingSpacing() const { return soundingSpacing_; }
    const std::string& SoundingFontName() const { return soundingFontName_; }
    int SoundingFontSize() const { return soundingFontSize_; }
    ColorValue SoundingColor() const { return soundingColor_; }
    const std::vector<EventMarker>& EventMarkers() const { return eventMarkers_; }
    void AddEventMarker(double x, double y, int number);
    void ClearEventMarkers();

    // ---- DXF blocks and the last import layer ----
    std::vector<std::unique_ptr<DxfBlock>>& Blocks() { return blocks_; }
    const std::vector<std::unique_ptr<DxfBlock>>& Blocks() const { return blocks_; }
    const DxfBlock* FindDxfBlock(std::string_view name) const;
    int LastImportLayer() const { return lastImportLayer_; }
    void SetLastImportLayer(int id) { lastImportLayer_ = id; }
    int GetDxfLayerId() const { return lastImportLayer_; }

private:
    struct LayerEntry;

    void changed(CanvasChange kind = CanvasChange::Drawing);
    void edited(std::size_t pos) { editedFrom_ = std::min(editedFrom_, pos); }
    LayerEntry* layerEntry(int id);
    const LayerEntry* layerEntry(int id) const;
    LayerEntry& layerOrDefault(int id);
    TVShape* shape(int id) const;
    int add(std::unique_ptr<TVShape> s, LayerEntry& layer);
    void attach(TVShape* s, LayerEntry& layer);
    void detachFromLayer(TVShape* s);
    void noteColor(LayerEntry& layer, const TVShape& s);
    void noteWidth(LayerEntry& layer, const TVShape& s);
    int newShapeId();
    bool onVisibleLayer(const TVShape& s) const;
    // Deletes the shapes for which `doomed` holds, in one pass over the z-order from `from`.
    template <class Pred> void deleteWhere(Pred doomed, std::size_t from = 0);
    void deleteAllShapes();
    void renumberFrom(std::size_t pos);
    void markSelected(TVShape& s);
    void deleteSelectedShapes();
    void selectWhereTestPointInside(const WorldPoints& polygon, const std::vector<bool>* layerFilter, bool centreOnly);

    std::function<void(CanvasChange)> onChange_;
    bool dirty_ = true;
    std::size_t editedFrom_ = 0;
    int viewWidth_ = 400;
    int viewHeight_ = 300;

    double worldXMin_ = 0, worldXMax_ = 1000, worldYMax_ = 1000, worldYMin_ = 0;
    double rotation_ = 0;
    bool useRotationCenter_ = false;
    double rotationCenterX_ = 0, rotationCenterY_ = 0;
    ColorValue backgroundColor_ = clWhite;

    std::vector<std::unique_ptr<LayerEntry>> layers_;  // creation order
    std::vector<LayerEntry*> layerById_;               // index = layer id
    int currentLayer_ = 0;
    int nextLayerId_ = 0;
    int lastImportLayer_ = 0;

    std::vector<TVShape*> zorder_;  // owned; the last is topmost
    std::unique_ptr<ShapeIdIndex> index_;
    bool appending_ = false;
    std::vector<TVShape*> appended_;  // not yet in the index
    std::int64_t nextShapeId_ = 1;
    std::int64_t highestShapeId_ = 0;  // no id above it is in use (since the last clearing)

    std::vector<std::int32_t> selection_;
    int selectedCount_ = 0;

    std::vector<CanvasTextFont> textFonts_;
    int currentTextFont_ = 0;
    int defaultTextHAlign_ = 0;
    int defaultTextVAlign_ = 0;

    std::vector<SoundingPoint> soundings_;
    bool showSoundings_ = true;
    double soundingSpacing_ = 10.0;
    std::string soundingFontName_ = "Arial";
    int soundingFontSize_ = 12;
    ColorValue soundingColor_ = clBlack;
    std::vector<EventMarker> eventMarkers_;

    std::vector<std::unique_ptr<DxfBlock>> blocks_;
};

}  // namespace vsx
