#include "geo/Datum.h"

#include "geo/GeoMath.h"

#include <cmath>

namespace vsx {

namespace {

bool usable(const Ellipsoid& e)
{
    return e.a > 0 && std::isfinite(e.a) && e.f >= 0 && e.f < 0.01;
}

} // namespace

std::optional<Ecef> geodeticToEcef(const Geodetic& p, const Ellipsoid& el)
{
    if (!usable(el) || !std::isfinite(p.lat) || !std::isfinite(p.lon) || !std::isfinite(p.h)) return std::nullopt;
    if (std::fabs(p.lat) > 90.0) return std::nullopt;
    const double e2 = eccentricitySquared(el.f);
    const double phi = p.lat * kDegToRad, lam = p.lon * kDegToRad;
    const double sp = std::sin(phi), cp = std::cos(phi);
    const double sl = std::sin(lam), cl = std::cos(lam);
    const double n = el.a / std::sqrt(1.0 - e2 * sp * sp);
    const Ecef r{(n + p.h) * cp * cl, (n + p.h) * cp * sl, (n * (1.0 - e2) + p.h) * sp};
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z)) return std::nullopt;
    return r;
}

std::optional<Geodetic> ecefToGeodetic(const Ecef& q, const Ellipsoid& el)
{
    if (!usable(el) || !std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z)) return std::nullopt;
    const double e2 = eccentricitySquared(el.f);
    const double p = std::sqrt(q.x * q.x + q.y * q.y);
    if (p == 0) return std::nullopt;  // on the polar axis: no longitude, and Z/p is infinite
    // Fixed-point iteration on t = tan(latitude): with the height taken from the previous
    // latitude each step reduces to t' = Z / (p - e^2·N·cos(latitude)), where
    // N·cos = a/sqrt(1+(1-e^2)t^2), so no trigonometry is needed until the end. The error
    // shrinks by about e^2 a step; starting from Bowring's value instead of latitude 0 saves
    // about four steps and leaves the fixed point and the 1e-12 rad stopping rule as they are.
    const double ae2 = el.a * e2, oneMinusE2 = 1.0 - e2;
    const double b = el.a * std::sqrt(oneMinusE2);
    const double u = el.a * q.z / (b * p);
    const double cb = 1.0 / std::sqrt(1.0 + u * u), sb = u * cb;
    double t = (q.z + e2 / oneMinusE2 * b * sb * sb * sb) / (p - ae2 * cb * cb * cb);
    bool settled = false;
    for (int step = 0; step < 40; ++step) {
        const double next = q.z / (p - ae2 / std::sqrt(1.0 + oneMinusE2 * t * t));
        // |d latitude| = |dt| / (1 + t^2) to first order.
        const bool done = std::fabs(next - t) <= 1e-12 * (1.0 + t * t);
        t = next;
        if (done) {
            settled = true;
            break;
        }
    }
    if (!settled || !std::isfinite(t)) return std::nullopt;
    const double phi = std::atan(t);
    if (std::fabs(phi) == kHalfPi) return std::nullopt;  // numerically on the pole
    const double sp = std::sin(phi), cp = std::cos(phi);
    // The height from the foot point; unlike p/cos(latitude) - N it stays exact near the poles.
    const double h = p * cp + q.z * sp - el.a * std::sqrt(1.0 - e2 * sp * sp);
    const Geodetic r{phi * kRadToDeg, std::atan2(q.y, q.x) * kRadToDeg, h};
    if (!std::isfinite(r.h)) return std::nullopt;
    return r;
}

Helmert::Helmert(const Helmert7& p)
    : s_(1.0 + p.ppm * 1e-6), tx_(p.tx), ty_(p.ty), tz_(p.tz)
{
    const double rx = p.rx / 3600.0 * kDegToRad, ry = p.ry / 3600.0 * kDegToRad, rz = p.rz / 3600.0 * kDegToRad;
    const double sx = std::sin(rx), cx = std::cos(rx);
    const double sy = std::sin(ry), cy = std::cos(ry);
    const double sz = std::sin(rz), cz = std::cos(rz);
    r_[0][0] = cy * cz;
    r_[0][1] = cx * sz + sx * sy * cz;
    r_[0][2] = sx * sz - cx * sy * cz;
    r_[1][0] = -cy * sz;
    r_[1][1] = cx * cz - sx * sy * sz;
    r_[1][2] = sx * cz + cx * sy * sz;
    r_[2][0] = sy;
    r_[2][1] = -sx * cy;
    r_[2][2] = cx * cy;
}

Ecef Helmert::toCommon(const Ecef& p) const
{
    return {tx_ + s_ * (r_[0][0] * p.x + r_[0][1] * p.y + r_[0][2] * p.z),
            ty_ + s_ * (r_[1][0] * p.x + r_[1][1] * p.y + r_[1][2] * p.z),
            tz_ + s_ * (r_[2][0] * p.x + r_[2][1] * p.y + r_[2][2] * p.z)};
}

Ecef Helmert::fromCommon(const Ecef& p) const
{
    // s·R is a scaled rotation, so its inverse is R transposed over s.
    const double x = p.x - tx_, y = p.y - ty_, z = p.z - tz_;
    return {(r_[0][0] * x + r_[1][0] * y + r_[2][0] * z) / s_,
            (r_[0][1] * x + r_[1][1] * y + r_[2][1] * z) / s_,
            (r_[0][2] * x + r_[1][2] * y + r_[2][2] * z) / s_};
}

DatumTransformation::DatumTransformation(const DatumBlock& source, const DatumBlock& target)
    : source_(source), target_(target)
{
    // target = R2^T (T1 + s1·R1·X - T2) / s2, folded into m·X + b.
    const Helmert h1(source.toWgs84), h2(target.toWgs84);
    const Ecef origin = h2.fromCommon(h1.toCommon({0, 0, 0}));
    b_[0] = origin.x;
    b_[1] = origin.y;
    b_[2] = origin.z;
    const double scale = h1.s_ / h2.s_;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m_[i][j] = scale * (h2.r_[0][i] * h1.r_[0][j] + h2.r_[1][i] * h1.r_[1][j] + h2.r_[2][i] * h1.r_[2][j]);
}

std::optional<Ecef> DatumTransformation::toTargetEcef(const Geodetic& p) const
{
    const auto x = geodeticToEcef(p, source_.ellipsoid);
    if (!x) return std::nullopt;
    const Ecef r{b_[0] + m_[0][0] * x->x + m_[0][1] * x->y + m_[0][2] * x->z,
                 b_[1] + m_[1][0] * x->x + m_[1][1] * x->y + m_[1][2] * x->z,
                 b_[2] + m_[2][0] * x->x + m_[2][1] * x->y + m_[2][2] * x->z};
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z)) return std::nullopt;
    return r;
}

std::optional<Geodetic> DatumTransformation::convert(const Geodetic& p) const
{
    const auto x = toTargetEcef(p);
    if (!x) return std::nullopt;
    return ecefToGeodetic(*x, target_.ellipsoid);
}

} // namespace vsx
