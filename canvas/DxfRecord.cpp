#include "canvas/DxfRecord.h"

#include "canvas/FileNumbers.h"

namespace vsx::dxf {

double number(std::string_view v)
{
    double d = 0;
    return filenum::leadingDouble(v, d) ? d : 0.0;
}

int integer(double v) { return v > -2147483648.0 && v < 2147483648.0 ? int(v) : 0; }

void Record::begin(std::string_view recordName)
{
    name.assign(recordName);
    kind = name == "LWPOLYLINE" ? Kind::LwPolyline : name == "SPLINE" ? Kind::Spline : Kind::Other;
    has.reset();
    text1.clear();
    text3.clear();
    name2.clear();
    layer8 = "0";
    vertices.clear();
    bulges.clear();
    controlPoints.clear();
    fitPoints.clear();
    knots.clear();
    weights.clear();
    embedded = false;
}

void Record::add(int code, std::string_view v)
{
    if (embedded) return;
    switch (code) {
    case 1: text1.assign(v); return;
    case 2: name2.assign(v); return;
    case 3: text3.append(v); return;
    case 8: layer8.assign(v); return;
    case 101: embedded = true; return;  // the object's own codes follow, not the entity's
    default: break;
    }
    if (kind == Kind::LwPolyline ? lwpolylinePair(code, v) : kind == Kind::Spline && splinePair(code, v)) return;
    if (code >= 0 && code < kCodes) {
        num[code] = number(v);  // unreadable numbers read as 0
        has.set(std::size_t(code));
    }
}

bool Record::lwpolylinePair(int code, std::string_view v)
{
    switch (code) {
    case 10: vertices.x(number(v)); return true;
    case 20: vertices.y(number(v)); return true;
    case 30: return true;
    case 42: {
        if (vertices.list.empty()) return false;
        const double bulge = number(v);
        const std::size_t vertex = vertices.list.size() - 1;
        if (!bulges.empty() && bulges.back().first == vertex) bulges.pop_back();
        if (bulge != 0) bulges.emplace_back(vertex, bulge);
        return true;
    }
    default: return false;
    }
}

bool Record::splinePair(int code, std::string_view v)
{
    switch (code) {
    case 10: controlPoints.x(number(v)); return true;
    case 20: controlPoints.y(number(v)); return true;
    case 30:
        if (!controlPoints.list.empty()) controlPoints.list.back().z = number(v);
        return true;
    case 11: fitPoints.x(number(v)); return true;
    case 21: fitPoints.y(number(v)); return true;
    case 31:
        if (!fitPoints.list.empty()) fitPoints.list.back().z = number(v);
        return true;
    case 40: knots.push_back(number(v)); return true;
    case 41: weights.push_back(number(v)); return true;
    default: return false;
    }
}

void RecordStream::pair(int code, std::string_view value)
{
    if (code == 0) {
        if (open_) sink_.record(rec_);
        rec_.begin(value);
        open_ = true;
        ++records_;
    } else if (open_) {
        rec_.add(code, value);
    }
}

void RecordStream::finish()
{
    if (open_) sink_.record(rec_);
    open_ = false;
    sink_.endOfRun();
}

void RecordStream::finishCutOff()
{
    open_ = false;
    sink_.endOfRun();
}

}  // namespace vsx::dxf
