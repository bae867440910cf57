#pragma once
// The shapes a DXF import makes: where they go (the drawing, or a block's content, which keeps the
// heights of its points for the inserts that place it), polylines as they are made, a level circle
// seen through a map, and the tally of the shapes made and of what was left out.
#include "canvas/DxfGeometry.h"
#include "canvas/Shapes.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vsx::dxf {

using Shapes = std::vector<std::unique_ptr<TVShape>>;
using Heights = std::vector<double>;

// Where the converted shapes go. A block's content keeps the heights of every shape's points
// (a line two, a polyline one per vertex, a point and a level circle one, a text its anchor's and
// its direction's z), for the inserts that place it; the drawing itself needs only the plan.
class ShapeSink {
public:
    explicit ShapeSink(bool keepHeights) : keepHeights_(keepHeights) {}
    bool keepsHeights() const { return keepHeights_; }
    void push(std::unique_ptr<TVShape> s, Heights z)
    {
        shapes.push_back(std::move(s));
        if (keepHeights_) heights.push_back(std::move(z));
    }

    Shapes shapes;
    std::vector<Heights> heights;  // parallel to shapes while heights are kept

private:
    bool keepHeights_;
};

// An empty polyline shape: a polygon when closed.
std::unique_ptr<TVPolyline> polylineShape(bool closed);

// A polyline being made, its vertices' heights kept when the sink wants them.
struct PolylineMaker {
    PolylineMaker(bool closed, bool keepHeights) : shape(polylineShape(closed)), keep(keepHeights) {}
    void add(const Point3& p)
    {
        shape->AddVertex(p.x, p.y);
        if (keep) z.push_back(p.z);
    }
    std::unique_ptr<TVPolyline> shape;
    Heights z;
    bool keep;
};

// A level circle at height cz seen through a map: a circle when the map keeps it one, else the
// ellipse as points.
std::unique_ptr<TVShape> mappedCircle(double cx, double cy, double cz, double r, const Affine3& m, bool keepHeights,
                                      Heights& z);

// What an import made and what it left out, over the drawing and every block.
class ImportTally {
public:
    void leftOut(const std::string& what) { ++leftOut_[what]; }
    // "DXF imported without: 2 HATCH, 1 DIMENSION." or empty.
    std::string omissions() const;

    std::size_t shapes = 0;  // made so far, block copies included

private:
    std::map<std::string, int> leftOut_;
};

}  // namespace vsx::dxf
