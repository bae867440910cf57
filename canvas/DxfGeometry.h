#pragma once
// The geometry of a DXF drawing's coordinates: three-dimensional points, the affine maps that
// place block content (base point, scale, rotation, insertion point, extrusion) and the
// arbitrary-axis algorithm that takes an entity's object coordinates to the coordinates around it.
#include <algorithm>
#include <cmath>
#include <numbers>

namespace vsx::dxf {

inline constexpr double kDeg = std::numbers::pi / 180.0;

struct Point3 {
    double x = 0, y = 0, z = 0;
};

// A map of three-dimensional points p' = L p + t. Block content keeps the heights of its points,
// so an insert whose extrusion tilts it (and every insert around that one) places it as the
// drawing has it; the plan view is the x and y of the result.
struct Affine3 {
    double l[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double t[3] = {0, 0, 0};

    Point3 linear(double x, double y, double z) const
    {
        return {l[0][0] * x + l[0][1] * y + l[0][2] * z, l[1][0] * x + l[1][1] * y + l[1][2] * z,
                l[2][0] * x + l[2][1] * y + l[2][2] * z};
    }
    Point3 map(double x, double y, double z) const
    {
        const Point3 p = linear(x, y, z);
        return {p.x + t[0], p.y + t[1], p.z + t[2]};
    }
    // The area scale of the plan view of a level figure.
    double planDet() const { return l[0][0] * l[1][1] - l[0][1] * l[1][0]; }
    bool isIdentity() const
    {
        const Affine3 one;
        for (int i = 0; i < 3; ++i) {
            if (t[i] != 0) return false;
            for (int j = 0; j < 3; ++j)
                if (l[i][j] != one.l[i][j]) return false;
        }
        return true;
    }
    // Whether a level circle stays a level circle (of radius r * scale): level directions stay
    // level, and the plan part turns, scales uniformly and perhaps mirrors.
    bool keepsLevelCircles(double& scale) const
    {
        const double a = l[0][0], b = l[0][1], c = l[1][0], d = l[1][1];
        const double sx = std::hypot(a, c), sy = std::hypot(b, d);
        scale = sx;
        const double tol = 1e-9 * std::max(sx, 1.0);
        return std::fabs(l[2][0]) <= tol && std::fabs(l[2][1]) <= tol && std::fabs(sx - sy) <= tol &&
               std::fabs(a * b + c * d) <= 1e-9 * std::max(sx * sy, 1.0);
    }
};

// outer(inner(p)).
Affine3 compose(const Affine3& o, const Affine3& i);

// The arbitrary-axis algorithm: an entity's object coordinates (x, y, elevation) to the
// coordinates around it, for its extrusion direction (nx, ny, nz).
Affine3 ocsToWorld(double nx, double ny, double nz);

Affine3 translate(double x, double y, double z);

// Scaled along the axes, then turned about z.
Affine3 rotateScale(double radians, double sx, double sy, double sz);

}  // namespace vsx::dxf
