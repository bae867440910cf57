#pragma once
// An ellipsoid of revolution, and the one rule by which every geodesy entry point reads a
// flattening value.
//
// The device settings keep the flattening under the key "InverseFlattening" and its edit is
// captioned "Flattening", so users type either 0.0033528... or 298.257...; every geodesy input
// (datum text, ellipsoid text, the Lambert set-up, the typed API) goes through
// flatteningFromField so both spellings mean the same ellipsoid, and nonsense is refused
// instead of turning into NaN or a silent fall-back.
#include <optional>
#include <string_view>

namespace vsx {

struct Ellipsoid {
    double a = 6378137.0;                  // semi-major axis, metres
    double f = 1.0 / 298.257223563;        // flattening (the small number, not its inverse)
};

inline constexpr Ellipsoid kWgs84Ellipsoid{6378137.0, 1.0 / 298.257223563};

// A flattening field: a value >= 1 is an inverse flattening (298.257 -> 1/298.257); a value in
// [0, 1) is the flattening itself. The result must lie in [0, 0.01) (a sphere up to far flatter
// than any earth ellipsoid); anything else, NaN and negatives included, gives no value.
std::optional<double> flatteningFromField(double value);

// a must be finite and positive; the flattening goes through flatteningFromField.
std::optional<Ellipsoid> makeEllipsoid(double semiMajorAxis, double flatteningField);

// The same from two settings texts (strict '.' numbers, blanks around allowed).
std::optional<Ellipsoid> ellipsoidFromFields(std::string_view semiMajorAxis, std::string_view flattening);

// e^2 = f(2 - f), computed as the square of its root, as the projection formulas take it.
double eccentricitySquared(double f);

} // namespace vsx
