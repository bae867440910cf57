#pragma once
// The datum and projection the map works in, taken from the device settings once and then kept:
// the three parameter texts other parts read (DatumText, EllipsoidParameters,
// ProjectionParameters) and the typed objects made from them once, so a position is converted
// without parsing text. Both the own vessel and the extra vessels use the same objects; no
// Lambert state is shared with anything else.
//
// Grid convergence follows geo/TransverseMercator.h for both projections: the grid bearing of
// true north, so grid heading = true heading + convergence.
#include "geo/Geodesy.h"
#include "input/GeodesyInForce.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vsx {

enum class GridProjection { TransverseMercator, Lambert1SP, Lambert2SP };

// The device settings' datum and projection values as the snapshot needs them.
struct GeodeticTexts {
    std::string localDatum;      // a f ppm rx ry rz tx ty tz
    std::string localEllipsoid;  // a f
    std::string projection;      // cm lat0 k0 fe fn
    // Lambert conformal conic (degrees, metres).
    double lccParallel1 = 0, lccParallel2 = 0, lccScaleFactor = 1, lccOriginLatitude = 0, lccCentralMeridian = 0,
           lccFalseEasting = 0, lccFalseNorthing = 0;
    // The projection selected, and the datum and projection named for the surveyor.
    GridProjection selected = GridProjection::TransverseMercator;
    GeodesyInForce named;
};

struct GridFix {
    double easting = 0, northing = 0;
    double convergence = 0;  // degrees
    double localHeight = 0;  // height on the local ellipsoid, for the way back
};

class ProjectionSnapshot {
public:
    // No value, with the reason in `problem`, when the datum or the ellipsoid cannot be used. A
    // projection whose own parameters are unusable is left out; converting with it fails.
    static std::optional<ProjectionSnapshot> take(const GeodeticTexts& texts, std::string* problem = nullptr);

    // "6378137.0  0.0033528106647474  0.0 ... 0.0 " + the local datum block.
    const std::string& datumText() const { return datumText_; }
    // "6378137.0 0.0033528106647474 " + the local ellipsoid.
    const std::string& ellipsoidText() const { return ellipsoidText_; }
    const std::string& projectionText() const { return projectionText_; }
    // The projection that was selected when the snapshot was taken, and the names of both.
    GridProjection projection() const { return projection_; }
    const GeodesyInForce& named() const { return named_; }
    const Ellipsoid& localEllipsoid() const { return toLocal_->target().ellipsoid; }
    // Why a projection could not be set up from the settings (converting with it fails), or empty.
    const std::string& projectionProblem(GridProjection projection) const;

    // WGS-84 latitude, longitude (degrees) and height to the local grid. The transverse Mercator
    // path converts at height 0 (as the coordinate text interface does); the Lambert paths use
    // the given height.
    std::optional<GridFix> toGrid(double lat, double lon, double height, GridProjection projection) const;
    // Whether a position at this longitude lies where the projection's series is no longer
    // accurate: transverse Mercator more than kTmAccurateLongitudeSpan from its central meridian
    // (the WGS-84 longitude is taken; the datum shift moves it by far less than the limit's
    // precision). Never for the Lambert projections.
    bool beyondAccurateZone(double lon, GridProjection projection) const;
    // The exact way back: local grid, through the local datum, to WGS-84 latitude and longitude.
    std::optional<LatLon> toWgs84(double easting, double northing, double localHeight, GridProjection projection) const;

private:
    ProjectionSnapshot() = default;

    std::string datumText_, ellipsoidText_, projectionText_;
    GridProjection projection_ = GridProjection::TransverseMercator;
    GeodesyInForce named_;
    std::shared_ptr<const DatumTransformation> toLocal_, toWgs84_;
    std::optional<TransverseMercator> tm_;
    // The conversions of the two-parallel form reuse its one-parallel block, hence mutable.
    std::shared_ptr<LambertConic> lcc1_, lcc2_;
    double lccCentralMeridian_ = 0;
    double cone1_ = 0, cone2_ = 0;
    std::string tmProblem_, lcc1Problem_, lcc2Problem_;
};

// Holds the snapshot of the run: taken from the settings the first time it is asked for, kept
// until Retake() (a real-time start), and published as EllipsoidParameters and
// ProjectionParameters for the other readers of the parameter texts. The datum, the projection
// parameters and the choice of projection are all kept: settings changed during a run take
// effect at the next start.
class ProjectionSnapshotKeeper {
public:
    explicit ProjectionSnapshotKeeper(std::function<GeodeticTexts()> source) : source_(std::move(source)) {}

    // The snapshot, taken now when there is none; null while the settings cannot be used (then
    // Problem() says why, and the next call tries again).
    const ProjectionSnapshot* Get();
    const ProjectionSnapshot* Current() const { return snapshot_ ? &*snapshot_ : nullptr; }
    void Retake() { snapshot_.reset(); }
    const std::string& Problem() const { return problem_; }
    // Counts the snapshots taken (a new one means positions must be converted again).
    int Generation() const { return generation_; }

private:
    std::function<GeodeticTexts()> source_;
    std::optional<ProjectionSnapshot> snapshot_;
    std::string problem_;
    int generation_ = 0;
};

} // namespace vsx
