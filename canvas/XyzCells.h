#pragma once
// Importing a text file of x y z triples as depth-coloured shapes: points on a regular grid
// become filled square cells (a depth raster), other points one-pixel points. Colours run from
// red (shallow, low z) over yellow, green and cyan to blue (deep, high z). Plus two small
// plane-geometry helpers.
#include "canvas/CanvasModel.h"

#include <string>
#include <vector>

namespace vsx {

// Lines "x y z" (commas count as blanks; lines starting with '#' or ';' and lines without three
// finite numbers are skipped). With zmin = zmax = 0 the range of the file's z is used. Shapes go
// on layerId (a missing layer means "Default"); the view is fitted to all shapes. False when the
// file cannot be opened or holds no point.
bool ImportXyzCells(CanvasModel& model, const std::string& path, int layerId, double zmin, double zmax);

struct XyzPoint {
    double X = 0, Y = 0, Z = 0;
};

// The grid test: the spacing (dx, dy) when the points lie on a regular grid.
struct XyzGrid {
    bool IsGrid = false;
    double Dx = 0, Dy = 0;
};
XyzGrid DetectXyzGrid(const std::vector<XyzPoint>& points);

ColorValue DepthRampColor(double z, double zmin, double zmax);
double PlaneDistance(double x1, double y1, double x2, double y2);
// Direction from (x1, y1) to (x2, y2) in radians counter-clockwise from the x axis, in [0, 2 pi).
double PlaneDirection(double x1, double y1, double x2, double y2);

}  // namespace vsx
