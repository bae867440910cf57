#pragma once
// Selecting tracks or shapes on the main map with a polygon drawn by the user. A selection button
// arms a mode and prepares the layer "Veldor_SelectPoly" as the layer the polygon is drawn on;
// the polygon finished with the polygon tool then selects, the polygon itself is removed, and the
// status text says how many shapes are selected. Escape disarms.
//
// "Select Track" then "Select shapes" leaves only the shape mode; the reverse order leaves both,
// and the next polygon then selects tracks while the shape mode waits for the polygon after it.
#include "canvas/CanvasModel.h"

#include <optional>
#include <string>

namespace vsx {

class MapSelection {
public:
    bool TrackSelectMode() const { return trackMode_; }
    bool ShapeSelectMode() const { return shapeMode_; }
    bool Armed() const { return trackMode_ || shapeMode_; }

    // Arm a mode: the selection layer is made (or emptied) and becomes the current layer.
    // Returns the status text to show.
    std::string StartShapes(CanvasModel& model);
    std::string StartTracks(CanvasModel& model);

    // A drawing of `shapeType` ended. For a polygon while a mode is armed: select with the
    // polygon's vertices and give the status text (empty when nothing was selected; nullopt for a
    // polygon of fewer than 3 vertices or without track layers, where the status stays as it
    // was). `handled` tells whether this drawing was a selection polygon at all.
    // status: a message with "%1" for `selected`, the number of shapes now selected (an empty
    // message clears the status).
    struct Finish {
        bool handled = false;
        std::optional<std::string> status;
        int selected = 0;
    };
    Finish FinishDrawing(CanvasModel& model, int shapeType, const WorldPoints& polygon);

    // Another drawing tool was picked: the modes wait no longer (the selection stays).
    void Disarm() { trackMode_ = shapeMode_ = false; }
    // Escape: disarms both modes and clears the selection; true when a mode was armed.
    bool Cancel(CanvasModel& model);

    // The layer a new drawing goes on: the user layer, unless the current layer is one a command
    // prepared for the next drawing (the selection polygon's or the runline route's).
    static int DrawingLayer(const CanvasModel& model, int userLayer);

private:
    static int prepareLayer(CanvasModel& model);
    static void removePolygon(CanvasModel& model);

    bool trackMode_ = false;
    bool shapeMode_ = false;
};

} // namespace vsx
