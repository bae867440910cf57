#pragma once
// The records of a DXF file's entities as their group-code/value pairs arrive: a record starts
// at group code 0 (its name) and runs to the next one. Numbers are kept by group code (the last
// value of a code counts); the codes that LWPOLYLINE and SPLINE repeat per vertex, knot or weight
// are kept in lists. A run of records (the ENTITIES section, or a block's content) hands each
// whole record on in file order.
#include "canvas/CanvasTypes.h"
#include "canvas/DxfGeometry.h"

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vsx::dxf {

// A value line as a number; unreadable numbers read as 0.
double number(std::string_view v);
// A number as a 32-bit integer; 0 outside its range.
int integer(double v);

inline void setY(WorldPoint& p, double y) { p.Y = y; }
inline void setY(Point3& p, double y) { p.y = y; }

// Vertices whose coordinates come in codes of their own, x first: an x without its y, or a y
// without its x, leaves the list unusable.
template <class Point>
struct CodedPoints {
    std::vector<Point> list;
    bool pendingX = false, unpaired = false;

    void clear()
    {
        list.clear();
        pendingX = unpaired = false;
    }
    void x(double v)
    {
        unpaired = unpaired || pendingX;
        list.push_back({v, 0});
        pendingX = true;
    }
    void y(double v)
    {
        if (pendingX) setY(list.back(), v);
        else unpaired = true;
        pendingX = false;
    }
    bool usable() const { return !unpaired && !pendingX; }
};

// One record (entity) as its pairs arrive: the numbers by code, its texts, the vertices of
// LWPOLYLINE (with their bulges) and a SPLINE's control points, fit points, knots and weights.
struct Record {
    static constexpr int kCodes = 240;
    enum class Kind { Other, LwPolyline, Spline };

    std::string name;
    Kind kind = Kind::Other;
    std::bitset<kCodes> has;
    double num[kCodes];
    std::string text1, text3, name2, layer8;
    CodedPoints<WorldPoint> vertices;  // LWPOLYLINE codes 10, 20
    // LWPOLYLINE: the bulge (code 42) of each vertex that has one other than 0, by vertex index.
    std::vector<std::pair<std::size_t, double>> bulges;
    CodedPoints<Point3> controlPoints, fitPoints;  // SPLINE codes 10/20/30 and 11/21/31
    std::vector<double> knots, weights;            // SPLINE codes 40 and 41
    bool embedded = false;  // past an MTEXT's embedded object (code 101)

    void begin(std::string_view recordName);
    void add(int code, std::string_view v);

    double get(int code, double fallback = 0) const { return has[std::size_t(code)] ? num[code] : fallback; }
    int integerOf(int code, int fallback = 0) const { return has[std::size_t(code)] ? integer(num[code]) : fallback; }
    bool paperSpace() const { return integerOf(67) == 1; }
    // The entity's object coordinates to the coordinates around it.
    Affine3 ocs() const { return ocsToWorld(get(210, 0), get(220, 0), get(230, 1)); }

private:
    // The codes that LWPOLYLINE and SPLINE repeat per vertex, knot or weight; false for the others.
    bool lwpolylinePair(int code, std::string_view v);
    bool splinePair(int code, std::string_view v);
};

// What a run of records goes to.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    // Each whole record, in file order.
    virtual void record(const Record& r) = 0;
    // The run ended, after its last whole record.
    virtual void endOfRun() = 0;
};

// The records of one run as their pairs arrive.
class RecordStream {
public:
    explicit RecordStream(RecordSink& sink) : sink_(sink) {}

    void pair(int code, std::string_view value);
    void finish();
    // The input ended inside the run: the record being read may be cut short, so it is left out;
    // everything before it stands.
    void finishCutOff();
    std::size_t records() const { return records_; }

private:
    RecordSink& sink_;
    Record rec_;
    bool open_ = false;
    std::size_t records_ = 0;
};

}  // namespace vsx::dxf
