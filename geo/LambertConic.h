#pragma once
// Lambert conformal conic projection on the ellipsoid, with one standard parallel (origin
// latitude and scale factor) or two standard parallels (and a latitude of false origin). The
// two-parallel form is worked through its equivalent one-parallel projection (φ0 = asin n, k0
// the scale on it that makes the two standard parallels true to scale).
//
// Formulas: the closed forms of J. P. Snyder, "Map Projections: A Working Manual", USGS
// Professional Paper 1395 (1987), pp. 104-110 (m, t, the cone constant n of two parallels, F,
// ρ), with the scale factor of the one-parallel form as in IOGP's EPSG Guidance Note 7-2,
// "Lambert Conic Conformal (1SP)" and "(2SP)" (EPSG methods 9801 and 9802). The inverse finds the
// latitude from t by Snyder's fixed-point iteration, eq. (7-9), started from the conformal-to-
// geodetic latitude series to e^8, eq. (3-5); it stops when a step moves the latitude by less
// than 4.85e-10 rad.
//
// Accuracy: the forward projection is exact up to rounding; it agrees with PROJ's lcc to 1 µm
// wherever it was compared, 12 000 km from the origin included. A point taken to the grid and
// back returns to within 1e-12° (0.1 µm), measured on cones north and south, with one and two
// parallels.
// Domain: every latitude but the pole at the cone's open end; longitudes from -180° to 360°, the
// difference to the central meridian taken within ±180°. The inverse takes eastings and
// northings within 40 000 km of the false origin, so points toward the open end whose grid
// values lie farther out project but do not come back. The scale grows away from the standard
// parallels as the projection dictates; nothing here limits it.
//
// All angles in and out are radians, lengths metres.
//
// Grid convergence follows the convention of TransverseMercator.h (grid bearing = true bearing
// + γ): for this projection γ = -n·(λ - λ0), n the cone constant, so it is negative east of the
// central meridian when n > 0 (a northern cone). lambertGridConvergence gives it in degrees.
#include <optional>

namespace vsx {

// Status bits of the conversions; 0 is success and the bits may combine.
enum LccStatus : int {
    LccBadLatitude = 1,   // latitude outside ±π/2, or a pole at the cone's open end
    LccBadLongitude = 2,  // longitude below -π or above 2π
    LccBadEasting = 4,    // more than 40 000 000 m from the false easting
    LccBadNorthing = 8,   // more than 40 000 000 m from the false northing, or no convergence
};

struct Lcc1SPParameters {
    double a = 6378137.0;
    double f = 0.0033528106647474805;
    double phi0 = 0.7853981633974483;  // latitude of origin = the standard parallel
    double lambda0 = 0;                // central meridian, kept in (-π, π]
    double fe = 0, fn = 0;
    double k0 = 1.0;                   // scale factor on the standard parallel
};

struct Lcc2SPParameters {
    double a = 6378137.0;
    double f = 0.0033528106647474805;
    double phiF = 0.7853981633974483;  // latitude of false origin
    double lambda0 = 0;
    double phi1 = 0.6981317007977318;  // first standard parallel (40°)
    double phi2 = 0.8726646259971648;  // second standard parallel (50°)
    double fe = 0, fn = 0;             // grid values at the false origin
};

// A set-up's answer: the cone constant now in force (the previous one when refused) and
// whether the new parameters were taken.
struct LccSetup {
    double coneConstant = 0;
    bool accepted = false;
    const char* problem = nullptr;  // why a set-up was refused, for the user
};

// The parameter blocks of both forms with their derived constants. The flattening goes through
// flatteningFromField (an inverse flattening such as 298.257 is taken as 1/298.257).
class LambertConic {
public:
    LambertConic();

    // Refused, leaving everything as it was, when λ0 < -π or > 2π, φ0 is 0 or within one
    // arc-second of a pole, a <= 0, 1/f outside [250, 350] or k0 outside [0.3, 3].
    LccSetup init1SP(const Lcc1SPParameters& p);
    // Refused when λ0 < -π or > 2π, φ1 = -φ2, |φ1| or |φ2| within one arc-second of a pole, φF
    // beyond a pole or at the pole of the cone's open end, a <= 0, 1/f outside [250, 350], or its
    // equivalent one-parallel projection is refused. φF at the pole of the cone's apex is taken
    // (t(φF) = 0).
    LccSetup init2SP(const Lcc2SPParameters& p);

    Lcc1SPParameters params1SP() const { return one_.p; }
    Lcc2SPParameters params2SP() const { return two_.p; }
    double coneConstant1SP() const { return one_.n; }
    double coneConstant2SP() const { return two_.equivalent.n; }

    // Out-values are written only when the status is 0.
    int forward1SP(double phi, double lambda, double& easting, double& northing) const;
    int inverse1SP(double easting, double northing, double& phi, double& lambda) const;
    // The two-parallel conversions load the equivalent one-parallel parameters into the
    // one-parallel block (when their input passes the checks) and convert with it, so after one
    // the one-parallel block reads back those equivalent parameters.
    int forward2SP(double phi, double lambda, double& easting, double& northing);
    int inverse2SP(double easting, double northing, double& phi, double& lambda);

private:
    struct Block1 {
        Lcc1SPParameters p;
        double e = 0, halfE = 0, n = 0, t0 = 0, r0 = 0, rho0 = 0;
        double chi2 = 0, chi4 = 0, chi6 = 0, chi8 = 0;  // conformal -> geodetic latitude series
    };
    struct Block2 {
        Lcc2SPParameters p;
        double n = 0;  // the cone constant a set-up returned
        Block1 equivalent;
    };
    // Why a one-parallel set-up is refused, or null.
    static const char* refusal1SP(const Lcc1SPParameters& p);
    static std::optional<Block1> make1SP(const Lcc1SPParameters& p);
    static int forward(const Block1& b, double phi, double lambda, double& easting, double& northing);
    static int inverse(const Block1& b, double easting, double northing, double& phi, double& lambda);

    Block1 one_;
    Block2 two_;
};

// Grid convergence in degrees for a cone constant, a longitude and a central meridian in degrees
// (the difference taken within ±180°).
double lambertGridConvergence(double coneConstant, double lonDeg, double centralMeridianDeg);

// The process-wide module that the map loop and the position-to-grid helper share. Interactive
// thread only.
LambertConic& lambertConic();

// The module's flat interface over lambertConic(). The set-ups return the cone constant in
// force; pass `accepted` to learn whether the new parameters were taken.
double LccInit1SP(double a, double f, double phi0, double lambda0, double fe, double fn, double k0,
                  bool* accepted = nullptr);
void LccParams1SP(double& a, double& f, double& phi0, double& lambda0, double& fe, double& fn, double& k0);
int LccForward1SP(double phi, double lambda, double& easting, double& northing);
int LccInverse1SP(double easting, double northing, double& phi, double& lambda);
double LccInit2SP(double a, double f, double phiF, double lambda0, double phi1, double phi2, double fe, double fn,
                  bool* accepted = nullptr);
void LccParams2SP(double& a, double& f, double& phiF, double& lambda0, double& phi1, double& phi2, double& fe,
                  double& fn);
int LccForward2SP(double phi, double lambda, double& easting, double& northing);
int LccInverse2SP(double easting, double northing, double& phi, double& lambda);

} // namespace vsx
