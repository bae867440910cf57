#include "nav/ProjectionSnapshot.h"

#include "app/SharedValues.h"

#include <cmath>
#include <numbers>

namespace vsx {
namespace {

constexpr double kRad = std::numbers::pi / 180.0;

std::string refusal(const std::string& what, const LccSetup& r)
{
    return what + " is refused: " + (r.problem ? r.problem : "its parameters are not usable");
}

} // namespace

std::optional<ProjectionSnapshot> ProjectionSnapshot::take(const GeodeticTexts& t, std::string* problem)
{
    ProjectionSnapshot s;
    s.datumText_ = std::string(kWgs84DatumBlockText) + ' ' + t.localDatum;
    s.ellipsoidText_ = std::string(kWgs84EllipsoidText) + ' ' + t.localEllipsoid;
    s.projectionText_ = t.projection;
    s.projection_ = t.selected;
    s.named_ = t.named;

    const auto forward = parseDatumText(s.datumText_);
    if (!forward) {
        if (problem) *problem = "the datum parameters are not usable";
        return std::nullopt;
    }
    s.toLocal_ = std::make_shared<DatumTransformation>(*forward);
    s.toWgs84_ = std::make_shared<DatumTransformation>(forward->target(), forward->source());

    if (const auto p = parseProjectionText(s.projectionText_)) {
        s.tm_ = TransverseMercator::make(s.localEllipsoid(), *p);
        if (!s.tm_) s.tmProblem_ = "the transverse Mercator parameters are out of range";
    } else {
        s.tmProblem_ = "the transverse Mercator parameters are not five numbers";
    }

    const Ellipsoid& el = s.localEllipsoid();
    s.lccCentralMeridian_ = t.lccCentralMeridian;
    auto lcc1 = std::make_shared<LambertConic>();
    Lcc1SPParameters one{el.a, el.f, t.lccOriginLatitude * kRad, t.lccCentralMeridian * kRad, t.lccFalseEasting,
                         t.lccFalseNorthing, t.lccScaleFactor};
    if (const LccSetup r = lcc1->init1SP(one); r.accepted) {
        s.lcc1_ = lcc1;
        s.cone1_ = r.coneConstant;
    } else {
        s.lcc1Problem_ = refusal("the Lambert projection (one standard parallel)", r);
    }
    auto lcc2 = std::make_shared<LambertConic>();
    Lcc2SPParameters two{el.a, el.f, t.lccOriginLatitude * kRad, t.lccCentralMeridian * kRad, t.lccParallel1 * kRad,
                         t.lccParallel2 * kRad, t.lccFalseEasting, t.lccFalseNorthing};
    if (const LccSetup r = lcc2->init2SP(two); r.accepted) {
        s.lcc2_ = lcc2;
        s.cone2_ = r.coneConstant;
    } else {
        s.lcc2Problem_ = refusal("the Lambert projection (two standard parallels)", r);
    }
    if (problem) problem->clear();
    return s;
}

const std::string& ProjectionSnapshot::projectionProblem(GridProjection projection) const
{
    switch (projection) {
    case GridProjection::TransverseMercator: return tmProblem_;
    case GridProjection::Lambert1SP: return lcc1Problem_;
    case GridProjection::Lambert2SP: return lcc2Problem_;
    }
    return tmProblem_;
}

bool ProjectionSnapshot::beyondAccurateZone(double lon, GridProjection projection) const
{
    return projection == GridProjection::TransverseMercator && tm_ && std::isfinite(lon) && !tm_->accurateAt(lon);
}

std::optional<GridFix> ProjectionSnapshot::toGrid(double lat, double lon, double height, GridProjection projection) const
{
    if (!std::isfinite(lat) || !std::isfinite(lon)) return std::nullopt;
    if (projection == GridProjection::TransverseMercator) {
        if (!tm_) return std::nullopt;
        const auto local = toLocal_->convert({lat, lon, 0.0});
        if (!local) return std::nullopt;
        const auto g = tm_->forward(local->lat, local->lon);
        if (!g) return std::nullopt;
        return GridFix{g->easting, g->northing, tm_->gridConvergence(local->lat, local->lon), local->h};
    }
    const bool one = projection == GridProjection::Lambert1SP;
    LambertConic* lcc = one ? lcc1_.get() : lcc2_.get();
    if (!lcc || !std::isfinite(height)) return std::nullopt;
    const auto local = toLocal_->convert({lat, lon, height});
    if (!local) return std::nullopt;
    GridFix fix;
    const int status = one ? lcc->forward1SP(local->lat * kRad, local->lon * kRad, fix.easting, fix.northing)
                           : lcc->forward2SP(local->lat * kRad, local->lon * kRad, fix.easting, fix.northing);
    if (status != 0) return std::nullopt;
    fix.convergence = lambertGridConvergence(one ? cone1_ : cone2_, local->lon, lccCentralMeridian_);
    fix.localHeight = local->h;
    return fix;
}

std::optional<LatLon> ProjectionSnapshot::toWgs84(double easting, double northing, double localHeight,
                                                  GridProjection projection) const
{
    if (!std::isfinite(easting) || !std::isfinite(northing)) return std::nullopt;
    Geodetic local{0, 0, std::isfinite(localHeight) ? localHeight : 0.0};
    if (projection == GridProjection::TransverseMercator) {
        if (!tm_) return std::nullopt;
        const auto g = tm_->inverse(easting, northing);
        if (!g) return std::nullopt;
        local.lat = g->lat;
        local.lon = g->lon;
    } else {
        const bool one = projection == GridProjection::Lambert1SP;
        LambertConic* lcc = one ? lcc1_.get() : lcc2_.get();
        if (!lcc) return std::nullopt;
        double phi = 0, lambda = 0;
        const int status = one ? lcc->inverse1SP(easting, northing, phi, lambda)
                               : lcc->inverse2SP(easting, northing, phi, lambda);
        if (status != 0) return std::nullopt;
        local.lat = phi / kRad;
        local.lon = lambda / kRad;
    }
    const auto w = toWgs84_->convert(local);
    if (!w) return std::nullopt;
    return LatLon{w->lat, w->lon};
}

const ProjectionSnapshot* ProjectionSnapshotKeeper::Get()
{
    if (snapshot_) return &*snapshot_;
    snapshot_ = ProjectionSnapshot::take(source_ ? source_() : GeodeticTexts{}, &problem_);
    if (!snapshot_) return nullptr;
    ++generation_;
    EllipsoidParameters = snapshot_->ellipsoidText();
    ProjectionParameters = snapshot_->projectionText();
    return &*snapshot_;
}

} // namespace vsx
