#pragma once
// Plain records of the map: world points, layers, text fonts, depth labels and event marks.
// World units are grid metres, x east, y north. Text is UTF-8.
#include "platform/Colour.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vsx {

struct WorldPoint {
    double X = 0;  // easting
    double Y = 0;  // northing
    friend bool operator==(const WorldPoint&, const WorldPoint&) = default;
};
using WorldPoints = std::vector<WorldPoint>;
// Polyline vertices and polygons: once 32-bit floats, which moved grid coordinates of millions of
// metres by up to a metre; they are doubles now and keep the old name for readers of the format.
using FloatVertex = WorldPoint;

// One layer of the drawing. New shapes take their colours, width and brush from it.
struct CanvasLayer {
    std::int32_t Id = 0;
    std::string Name;               // unique, compared case-sensitively
    bool Visible = true;            // shapes of an invisible layer are not drawn, hit or polygon-selected
    bool Locked = false;            // set by the DXF import; not interpreted by the canvas
    std::int32_t Option = 0;        // kept for the application, never interpreted
    ColorValue PenColor = clBlack;
    std::int32_t PenWidth = 1;
    std::int32_t AuxStyle = 0;      // given to new polylines and polygons
    ColorValue BrushColor = clWhite;
    ColorValue AuxColor = clWhite;  // stored only
    std::uint8_t BrushStyle = 1;    // 0 solid, 1 clear
    std::int32_t AuxValue = 0;      // stored only
    // Drawn in its own colour on any background it can be seen on, never swapped for black or
    // white by the contrast rule. Set by the program for the layers whose colour the user chose;
    // not stored in drawing files.
    bool KeepsColor = false;
};

struct CanvasTextFont {
    std::string Name = "Arial";
    std::int32_t Size = 10;
    bool Bold = false;
    bool Italic = false;
    std::int32_t Index = 0;  // its own position in the font table
};

// A depth label left along the vessel's path (Z is the depth shown).
struct SoundingPoint {
    double X = 0;
    double Y = 0;
    double Z = 0;
};

// A numbered event mark on the map.
struct EventMarker {
    double X = 0;
    double Y = 0;
    std::int32_t Number = 0;
};

} // namespace vsx
