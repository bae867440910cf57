#include "geo/Ellipsoid.h"

#include "platform/Numbers.h"

#include <cmath>

namespace vsx {

std::optional<double> flatteningFromField(double value)
{
    if (!std::isfinite(value) || value < 0) return std::nullopt;
    const double f = value >= 1.0 ? 1.0 / value : value;
    if (!(f < 0.01)) return std::nullopt;
    return f;
}

std::optional<Ellipsoid> makeEllipsoid(double semiMajorAxis, double flatteningField)
{
    if (!std::isfinite(semiMajorAxis) || semiMajorAxis <= 0) return std::nullopt;
    const auto f = flatteningFromField(flatteningField);
    if (!f) return std::nullopt;
    return Ellipsoid{semiMajorAxis, *f};
}

std::optional<Ellipsoid> ellipsoidFromFields(std::string_view semiMajorAxis, std::string_view flattening)
{
    const auto a = parseDouble(semiMajorAxis);
    const auto f = parseDouble(flattening);
    if (!a || !f) return std::nullopt;
    return makeEllipsoid(*a, *f);
}

double eccentricitySquared(double f)
{
    const double e = std::sqrt((2.0 - f) * f);
    return e * e;
}

} // namespace vsx
