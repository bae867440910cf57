#include "geo/LambertConic.h"

#include "geo/Ellipsoid.h"
#include "geo/GeoMath.h"

#include <cmath>

namespace vsx {

namespace {

constexpr double kTwoPi = 2.0 * kPi;
constexpr double kMaxParallel = 1.5707914786580854;  // 90° less one arc-second
constexpr double kPoleRounding = 1e-12;               // 90° typed in degrees, within rounding
constexpr double kGridLimit = 4.0e7;
constexpr double kLatitudeTolerance = 4.85e-10;
constexpr int kMaxSteps = 29;

double mOf(double e, double phi)
{
    const double s = std::sin(phi);
    return std::cos(phi) / std::sqrt(1.0 - e * e * s * s);
}

double tOf(double e, double phi)
{
    const double es = e * std::sin(phi);
    return std::tan(kPi / 4.0 - phi / 2.0) / std::pow((1.0 - es) / (1.0 + es), e / 2.0);
}

bool longitudeOutside(double lambda) { return !(lambda >= -kPi && lambda <= kTwoPi); }

// The flattening through the shared field rule, then the module's own range 1/f in [250, 350].
std::optional<double> acceptedFlattening(double field)
{
    const auto f = flatteningFromField(field);
    if (!f || *f <= 0) return std::nullopt;
    const double inverse = 1.0 / *f;
    if (inverse < 250.0 || inverse > 350.0) return std::nullopt;
    return f;
}

int inputStatus(double phi, double lambda)
{
    int status = 0;
    if (!(std::fabs(phi) <= kHalfPi)) status |= LccBadLatitude;
    if (longitudeOutside(lambda)) status |= LccBadLongitude;
    return status;
}

int gridStatus(double easting, double northing, double fe, double fn)
{
    int status = 0;
    if (!(easting >= fe - kGridLimit && easting <= fe + kGridLimit)) status |= LccBadEasting;
    if (!(northing >= fn - kGridLimit && northing <= fn + kGridLimit)) status |= LccBadNorthing;
    return status;
}

} // namespace

const char* LambertConic::refusal1SP(const Lcc1SPParameters& in)
{
    if (longitudeOutside(in.lambda0)) return "the central meridian is outside -180 to 360 degrees";
    if (in.phi0 == 0) return "the latitude of origin is 0 (a cone needs it off the equator)";
    if (!(std::fabs(in.phi0) <= kMaxParallel)) return "the latitude of origin is at or beyond a pole";
    if (!(in.a > 0) || !std::isfinite(in.a)) return "the semi-major axis is not a positive length";
    if (!(in.k0 >= 0.3 && in.k0 <= 3.0)) return "the scale factor is outside 0.3 to 3";
    if (!std::isfinite(in.fe) || !std::isfinite(in.fn)) return "the false easting or northing is not a number";
    if (!acceptedFlattening(in.f)) return "the flattening is outside 1/350 to 1/250";
    return nullptr;
}

std::optional<LambertConic::Block1> LambertConic::make1SP(const Lcc1SPParameters& in)
{
    if (refusal1SP(in)) return std::nullopt;
    const double f = *acceptedFlattening(in.f);
    Block1 b;
    b.p = in;
    b.p.f = f;
    if (b.p.lambda0 > kPi) b.p.lambda0 -= kTwoPi;
    b.e = std::sqrt(2.0 * f - f * f);
    b.halfE = b.e / 2.0;
    b.n = std::sin(b.p.phi0);
    b.t0 = tOf(b.e, b.p.phi0);
    b.r0 = b.p.a * b.p.k0 * mOf(b.e, b.p.phi0) / b.n;
    b.rho0 = b.r0;
    const double e2 = b.e * b.e, e4 = e2 * e2, e6 = e4 * e2, e8 = e6 * e2;
    b.chi2 = e2 / 2 + 5 * e4 / 24 + e6 / 12 + 13 * e8 / 360;
    b.chi4 = 7 * e4 / 48 + 29 * e6 / 240 + 811 * e8 / 11520;
    b.chi6 = 7 * e6 / 120 + 81 * e8 / 1120;
    b.chi8 = 4279 * e8 / 161280;
    return b;
}

LambertConic::LambertConic()
{
    // Both blocks hold their defaults; setting up the two-parallel defaults also loads their
    // equivalent into the one-parallel block, so that block's own defaults go in afterwards.
    init2SP(Lcc2SPParameters{});
    one_ = *make1SP(Lcc1SPParameters{});
}

LccSetup LambertConic::init1SP(const Lcc1SPParameters& p)
{
    if (const char* why = refusal1SP(p)) return {one_.n, false, why};
    one_ = *make1SP(p);
    return {one_.n, true};
}

LccSetup LambertConic::init2SP(const Lcc2SPParameters& in)
{
    auto refused = [this](const char* why) { return LccSetup{one_.n, false, why}; };
    if (longitudeOutside(in.lambda0)) return refused("the central meridian is outside -180 to 360 degrees");
    if (in.phi1 == -in.phi2) return refused("the standard parallels lie symmetrically about the equator (no cone)");
    if (!(std::fabs(in.phi1) <= kMaxParallel) || !(std::fabs(in.phi2) <= kMaxParallel))
        return refused("a standard parallel is at or beyond a pole");
    // The latitude of false origin may be a pole (Belgian Lambert 72 has 90 degrees): the apex of
    // the cone, where t = 0. Only the pole at the cone's open end and latitudes beyond a pole are
    // refused; a value within rounding of 90 degrees is the pole.
    const double poleGap = kHalfPi - std::fabs(in.phiF);
    if (!(poleGap >= -kPoleRounding)) return refused("the latitude of false origin is beyond a pole");
    const bool falseOriginAtPole = poleGap <= kPoleRounding;
    if (!(in.a > 0) || !std::isfinite(in.a)) return refused("the semi-major axis is not a positive length");
    if (!std::isfinite(in.fe) || !std::isfinite(in.fn)) return refused("the false easting or northing is not a number");
    const auto f = acceptedFlattening(in.f);
    if (!f) return refused("the flattening is outside 1/350 to 1/250");

    const double e = std::sqrt(2.0 * *f - *f * *f);
    double n, phi0, k0;
    if (std::fabs(in.phi1 - in.phi2) <= 1e-10) {
        n = std::sin(in.phi1);
        phi0 = in.phi1;
        k0 = 1.0;
    } else {
        const double m1 = mOf(e, in.phi1), m2 = mOf(e, in.phi2);
        const double t1 = tOf(e, in.phi1), t2 = tOf(e, in.phi2);
        n = std::log(m1 / m2) / std::log(t1 / t2);
        phi0 = std::asin(n);
        k0 = (m1 / mOf(e, phi0)) * std::pow(tOf(e, phi0) / t1, n);
    }
    // t(φF)^n: 0 at the apex pole.
    double tFn = 0;
    if (falseOriginAtPole) {
        if ((in.phiF > 0) != (n > 0)) return refused("the latitude of false origin is the pole at the cone's open end");
    } else {
        tFn = std::pow(tOf(e, in.phiF), n);
    }
    double fn;
    if (std::fabs(in.phi1 - in.phi2) <= 1e-10) {
        // Tangent cone: the standard parallel is the origin with scale 1. The false northing
        // still belongs to the latitude of false origin, as in the secant case.
        const double scale = in.a * mOf(e, in.phi1) / n;
        fn = in.fn + scale * tFn / std::pow(tOf(e, in.phi1), n) - scale;
    } else {
        const double m2 = mOf(e, in.phi2), t2 = tOf(e, in.phi2);
        const double aF = in.a * m2 / (n * std::pow(t2, n));
        fn = in.fn + aF * tFn - aF * std::pow(tOf(e, phi0), n);
    }
    if (!std::isfinite(n) || !std::isfinite(phi0) || !std::isfinite(k0) || !std::isfinite(fn))
        return refused("the parameters give no finite cone");
    const Lcc1SPParameters equivalentParameters{in.a, *f, phi0, in.lambda0, in.fe, fn, k0};
    if (const char* why = refusal1SP(equivalentParameters)) return refused(why);

    two_.p = in;
    two_.p.f = *f;
    if (two_.p.lambda0 > kPi) two_.p.lambda0 -= kTwoPi;
    two_.n = n;
    two_.equivalent = *make1SP(equivalentParameters);
    one_ = two_.equivalent;
    return {n, true};
}

int LambertConic::forward(const Block1& b, double phi, double lambda, double& easting, double& northing)
{
    const int status = inputStatus(phi, lambda);
    if (status) return status;
    double rho = 0;
    if (std::fabs(std::fabs(phi) - kHalfPi) > 1e-10) {
        rho = b.r0 * std::pow(tOf(b.e, phi) / b.t0, b.n);
    } else if (phi * b.n <= 0) {
        return LccBadLatitude;  // the pole at the cone's open end
    }
    double dLambda = lambda - b.p.lambda0;
    if (dLambda > kPi) dLambda -= kTwoPi;
    if (dLambda < -kPi) dLambda += kTwoPi;
    const double theta = b.n * dLambda;
    const double e = rho * std::sin(theta) + b.p.fe;
    const double n = b.rho0 - rho * std::cos(theta) + b.p.fn;
    if (!std::isfinite(e) || !std::isfinite(n)) return LccBadNorthing;
    easting = e;
    northing = n;
    return 0;
}

int LambertConic::inverse(const Block1& b, double easting, double northing, double& phiOut, double& lambdaOut)
{
    const int status = gridStatus(easting, northing, b.p.fe, b.p.fn);
    if (status) return status;
    double dx = easting - b.p.fe;
    double dy = b.rho0 - (northing - b.p.fn);
    double rho = std::sqrt(dx * dx + dy * dy);
    if (rho == 0) {
        phiOut = b.n > 0 ? kHalfPi : -kHalfPi;
        lambdaOut = b.p.lambda0;
        return 0;
    }
    if (b.n < 0) {
        rho = -rho;
        dx = -dx;
        dy = -dy;
    }
    const double theta = std::atan2(dx, dy);
    const double t = b.t0 * std::pow(rho / b.r0, 1.0 / b.n);
    double phi = kHalfPi - 2.0 * std::atan(t);  // the conformal latitude
    if (std::fabs(phi) > kLatitudeTolerance) {
        // Start the fixed-point iteration from the conformal-to-geodetic latitude series (to
        // e^8, within about 1e-11 rad), so it settles in one step instead of five; its fixed
        // point and stopping rule are unchanged.
        const double s2 = std::sin(2 * phi), c2 = std::cos(2 * phi);
        const double s4 = 2 * s2 * c2, c4 = c2 * c2 - s2 * s2;
        const double s6 = s4 * c2 + c4 * s2, s8 = 2 * s4 * c4;
        phi += b.chi2 * s2 + b.chi4 * s4 + b.chi6 * s6 + b.chi8 * s8;
        for (int step = 0;; ++step) {
            if (step == kMaxSteps) return LccBadNorthing;
            const double es = b.e * std::sin(phi);
            const double next = kHalfPi - 2.0 * std::atan(t * std::pow((1.0 - es) / (1.0 + es), b.halfE));
            const bool done = std::fabs(next - phi) <= kLatitudeTolerance;
            phi = next;
            if (done) break;
        }
    }
    double lambda = theta / b.n + b.p.lambda0;
    if (!std::isfinite(phi) || !std::isfinite(lambda)) return LccBadNorthing;
    // Only the wrap into ±π and the clamps: no snapping of values near the equator, Greenwich or
    // the antimeridian, which would move real points by up to tens of metres.
    if (phi > kHalfPi) phi = kHalfPi;
    if (phi < -kHalfPi) phi = -kHalfPi;
    if (lambda > kPi) lambda -= kTwoPi;
    if (lambda < -kPi) lambda += kTwoPi;
    if (lambda > kPi) lambda = kPi;
    if (lambda < -kPi) lambda = -kPi;
    phiOut = phi;
    lambdaOut = lambda;
    return 0;
}

int LambertConic::forward1SP(double phi, double lambda, double& easting, double& northing) const
{
    return forward(one_, phi, lambda, easting, northing);
}

int LambertConic::inverse1SP(double easting, double northing, double& phi, double& lambda) const
{
    return inverse(one_, easting, northing, phi, lambda);
}

int LambertConic::forward2SP(double phi, double lambda, double& easting, double& northing)
{
    const int status = inputStatus(phi, lambda);
    if (status) return status;
    one_ = two_.equivalent;
    return forward(one_, phi, lambda, easting, northing);
}

int LambertConic::inverse2SP(double easting, double northing, double& phi, double& lambda)
{
    const int status = gridStatus(easting, northing, two_.p.fe, two_.equivalent.p.fn);
    if (status) return status;
    one_ = two_.equivalent;
    return inverse(one_, easting, northing, phi, lambda);
}

double lambertGridConvergence(double coneConstant, double lonDeg, double centralMeridianDeg)
{
    return -coneConstant * wrapDegrees180(lonDeg - centralMeridianDeg);
}

LambertConic& lambertConic()
{
    static LambertConic module;
    return module;
}

double LccInit1SP(double a, double f, double phi0, double lambda0, double fe, double fn, double k0, bool* accepted)
{
    const LccSetup r = lambertConic().init1SP({a, f, phi0, lambda0, fe, fn, k0});
    if (accepted) *accepted = r.accepted;
    return r.coneConstant;
}

void LccParams1SP(double& a, double& f, double& phi0, double& lambda0, double& fe, double& fn, double& k0)
{
    const Lcc1SPParameters p = lambertConic().params1SP();
    a = p.a;
    f = p.f;
    phi0 = p.phi0;
    lambda0 = p.lambda0;
    fe = p.fe;
    fn = p.fn;
    k0 = p.k0;
}

int LccForward1SP(double phi, double lambda, double& easting, double& northing)
{
    return lambertConic().forward1SP(phi, lambda, easting, northing);
}

int LccInverse1SP(double easting, double northing, double& phi, double& lambda)
{
    return lambertConic().inverse1SP(easting, northing, phi, lambda);
}

double LccInit2SP(double a, double f, double phiF, double lambda0, double phi1, double phi2, double fe, double fn,
                  bool* accepted)
{
    const LccSetup r = lambertConic().init2SP({a, f, phiF, lambda0, phi1, phi2, fe, fn});
    if (accepted) *accepted = r.accepted;
    return r.coneConstant;
}

void LccParams2SP(double& a, double& f, double& phiF, double& lambda0, double& phi1, double& phi2, double& fe,
                  double& fn)
{
    const Lcc2SPParameters p = lambertConic().params2SP();
    a = p.a;
    f = p.f;
    phiF = p.phiF;
    lambda0 = p.lambda0;
    phi1 = p.phi1;
    phi2 = p.phi2;
    fe = p.fe;
    fn = p.fn;
}

int LccForward2SP(double phi, double lambda, double& easting, double& northing)
{
    return lambertConic().forward2SP(phi, lambda, easting, northing);
}

int LccInverse2SP(double easting, double northing, double& phi, double& lambda)
{
    return lambertConic().inverse2SP(easting, northing, phi, lambda);
}

} // namespace vsx
