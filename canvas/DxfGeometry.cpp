#include "canvas/DxfGeometry.h"

namespace vsx::dxf {

Affine3 compose(const Affine3& o, const Affine3& i)
{
    Affine3 r;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            r.l[row][col] = o.l[row][0] * i.l[0][col] + o.l[row][1] * i.l[1][col] + o.l[row][2] * i.l[2][col];
        r.t[row] = o.l[row][0] * i.t[0] + o.l[row][1] * i.t[1] + o.l[row][2] * i.t[2] + o.t[row];
    }
    return r;
}

Affine3 ocsToWorld(double nx, double ny, double nz)
{
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 1e-12) || !std::isfinite(len)) return {};
    nx /= len, ny /= len, nz /= len;
    if (nx == 0 && ny == 0 && nz == 1) return {};
    double ax, ay, az;
    if (std::fabs(nx) < 1.0 / 64 && std::fabs(ny) < 1.0 / 64) ax = nz, ay = 0, az = -nx;  // world Y x N
    else ax = -ny, ay = nx, az = 0;                                                        // world Z x N
    const double al = std::sqrt(ax * ax + ay * ay + az * az);
    ax /= al, ay /= al, az /= al;
    double bx = ny * az - nz * ay, by = nz * ax - nx * az, bz = nx * ay - ny * ax;  // N x Ax
    const double bl = std::sqrt(bx * bx + by * by + bz * bz);
    bx /= bl, by /= bl, bz /= bl;
    Affine3 m;
    const double cols[3][3] = {{ax, ay, az}, {bx, by, bz}, {nx, ny, nz}};
    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 3; ++row) m.l[row][col] = cols[col][row];
    return m;
}

Affine3 translate(double x, double y, double z)
{
    Affine3 m;
    m.t[0] = x, m.t[1] = y, m.t[2] = z;
    return m;
}

Affine3 rotateScale(double radians, double sx, double sy, double sz)
{
    const double c = std::cos(radians), s = std::sin(radians);
    Affine3 m;
    m.l[0][0] = c * sx, m.l[0][1] = -s * sy;
    m.l[1][0] = s * sx, m.l[1][1] = c * sy;
    m.l[2][2] = sz;
    return m;
}

}  // namespace vsx::dxf
