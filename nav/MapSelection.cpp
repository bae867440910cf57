#include "nav/MapSelection.h"

#include "canvas/CanvasTools.h"
#include "nav/MapDisplayLoop.h"

namespace vsx {

int MapSelection::prepareLayer(CanvasModel& model)
{
    int layer = model.FindLayer(CanvasModel::SelectPolygonLayerName);
    if (layer < 0) layer = model.AddLayer(CanvasModel::SelectPolygonLayerName);
    else model.DeleteLayerShapes(layer);
    model.SetCurrentLayer(layer);
    return layer;
}

void MapSelection::removePolygon(CanvasModel& model)
{
    if (const int layer = model.FindLayer(CanvasModel::SelectPolygonLayerName); layer >= 0)
        model.DeleteLayerShapes(layer);
}

std::string MapSelection::StartShapes(CanvasModel& model)
{
    trackMode_ = false;
    shapeMode_ = true;
    prepareLayer(model);
    return "Draw polygon to select shapes (right-click to finish)";
}

std::string MapSelection::StartTracks(CanvasModel& model)
{
    trackMode_ = true;
    prepareLayer(model);
    return "Draw polygon to select tracks (right-click to finish)";
}

MapSelection::Finish MapSelection::FinishDrawing(CanvasModel& model, int shapeType, const WorldPoints& polygon)
{
    Finish f;
    if (shapeType != toolcode::Polygon || !Armed()) return f;
    f.handled = true;
    if (trackMode_) {
        trackMode_ = false;
        removePolygon(model);
        std::vector<std::int32_t> layers;
        for (const char* name : {kTrackFixLayer, kTrackNoFixLayer, kTrackFloatLayer})
            if (const int id = model.FindLayer(name); id >= 0) layers.push_back(id);
        if (layers.empty() || polygon.size() < 3) return f;
        model.SelectInPolygonOnLayers(polygon, layers);
        const int n = model.SelectedCount();
        f.status = n < 1 ? std::string() : std::string("%1 track(s) selected. Press Delete to remove.");
        f.selected = n;
        return f;
    }
    shapeMode_ = false;
    removePolygon(model);
    if (polygon.size() < 3) return f;
    model.SelectInPolygon(polygon);
    const int n = model.SelectedCount();
    f.status = n < 1 ? std::string() : std::string("%1 shape(s) selected. Press Delete to remove.");
    f.selected = n;
    return f;
}

int MapSelection::DrawingLayer(const CanvasModel& model, int userLayer)
{
    const int current = model.CurrentLayer();
    if (const CanvasLayer* l = model.FindLayerById(current);
        l && (l->Name == CanvasModel::SelectPolygonLayerName || l->Name == "Veldor_Route"))
        return current;
    return userLayer >= 0 ? userLayer : current;
}

bool MapSelection::Cancel(CanvasModel& model)
{
    if (!Armed()) return false;
    trackMode_ = shapeMode_ = false;
    model.UnselectAll();
    model.Redraw();
    return true;
}

} // namespace vsx
