#pragma once
// Importing the two-dimensional geometry of an ASCII DXF drawing (any release with the
// group-code/value line layout) into one canvas layer of its own, "_dxf_" + the file's name,
// visible and locked. Heights, line types, hatches, dimensions and the DXF layers are not
// carried over; what the drawing holds that the import leaves out is counted and said.
//
// Entities whose points are in object coordinates (LWPOLYLINE, 2-D POLYLINE, CIRCLE, ARC, TEXT,
// INSERT, SOLID, TRACE) are placed in plan through their extrusion direction (the arbitrary-axis
// algorithm), so mirrored and tilted ones land where the drawing has them. INSERT places the
// block's content of every supported kind, inserts within inserts included up to 16 levels,
// through a three-dimensional map: base point, insertion point, scale and the block's points keep
// their heights, so a tilted insert inside another block lands where it is. The blocks are kept
// in the canvas's block list for later imports that insert them.
//
// Curves are drawn where the file puts them: a polyline's bulged segments (LWPOLYLINE, POLYLINE
// VERTEX records, a closed one's closing segment) as their arcs, a SPLINE as the curve its knots,
// control points and weights define, or through its fit points (canvas/DxfCurves.h).
//
// The file is read as a stream and converted as it is read, so memory follows the shapes made,
// not the size of the file; the canvas is only touched once the whole file was read: a failed
// import leaves the previous import of the same file (and everything else) as it was.
#include "canvas/CanvasModel.h"

#include <string>

namespace vsx {

// Returns true when the ENTITIES section held records and the layer was replaced by them;
// `message` then says, one line each, that the file ends inside its ENTITIES section
// (kDxfCutOffMessage: what was read is imported, less the record it ends in) and what was left out
// ("DXF imported without: 2 HATCH, 1 DIMENSION."), or is empty. False when the file does not exist or cannot be read (message empty: nothing to show),
// or when it is not a readable ASCII DXF file, has no ENTITIES section or an empty one; `message`
// then holds the text for a message box, e.g. "DXF load failed: ENTITIES section not found".
bool ImportDxf(CanvasModel& model, const std::string& path, std::string* message = nullptr);
inline constexpr const char* kDxfCutOffMessage =
    "The DXF file is incomplete: it ends inside its ENTITIES section. The drawing is imported as far as it was read.";
// The same operation under its second name.
inline bool LoadDxf(CanvasModel& model, const std::string& path, std::string* message = nullptr)
{
    return ImportDxf(model, path, message);
}

// The same from bytes already read; `fileName` names the import layer.
bool ImportDxfBytes(CanvasModel& model, std::string bytes, const std::string& fileName, std::string* message = nullptr);

// DXF colour index (code 62) to a colour value; -1 for 0 (by block), 256 (by layer) and
// indexes outside 1..255.
ColorValue AciToColor(int index);

}  // namespace vsx
