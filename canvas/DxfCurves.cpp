#include "canvas/DxfCurves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vsx::dxf {

namespace {

// An ARC entity is drawn with this many chords whatever its sweep; a bulge arc gets no fewer.
constexpr int kArcChords = 20;
// Halvings of a knot interval while a chord stays too far from the curve.
constexpr int kMaxSubdivision = 16;

Point3 operator-(const Point3& a, const Point3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 operator+(const Point3& a, const Point3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point3 operator*(double f, const Point3& a) { return {f * a.x, f * a.y, f * a.z}; }
double dot(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(const Point3& a) { return std::sqrt(dot(a, a)); }
Point3 cross(const Point3& a, const Point3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
bool finite(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

double distanceToSegment(const Point3& p, const Point3& a, const Point3& b)
{
    const Point3 ab = b - a, ap = p - a;
    const double len2 = dot(ab, ab);
    double t = len2 > 0 ? dot(ap, ab) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return length(ap - t * ab);
}

// The diagonal of the box around the points.
double extent(const std::vector<Point3>& points)
{
    if (points.empty()) return 0;
    Point3 lo = points.front(), hi = points.front();
    for (const Point3& p : points) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return length(hi - lo);
}

// A B-spline ready to evaluate: knots count = control points + degree + 1, weights one per
// control point (all 1 for a polynomial spline), drawn over [knots[degree], knots[count]].
struct BSpline {
    int degree = 3;
    std::vector<Point3> points;
    std::vector<double> weights;
    std::vector<double> knots;

    double start() const { return knots[std::size_t(degree)]; }
    double end() const { return knots[points.size()]; }

    // The knot interval that holds u, among those of the drawn range.
    std::size_t span(double u) const
    {
        const std::size_t lo = std::size_t(degree), hi = points.size() - 1;
        if (u >= knots[hi + 1]) {
            std::size_t s = hi;
            while (s > lo && !(knots[s] < knots[s + 1])) --s;
            return s;
        }
        if (u <= knots[lo]) return lo;
        // The last s with knots[s] <= u.
        const auto it = std::upper_bound(knots.begin() + std::ptrdiff_t(lo), knots.begin() + std::ptrdiff_t(hi + 1), u);
        return std::size_t(it - knots.begin()) - 1;
    }

    // De Boor's algorithm in homogeneous coordinates.
    Point3 at(double u) const { return at(u, span(u)); }
    Point3 at(double u, std::size_t s) const
    {
        const int p = degree;
        std::array<std::array<double, 4>, kMaxSplineDegree + 1> d;
        for (int j = 0; j <= p; ++j) {
            const std::size_t i = s - std::size_t(p) + std::size_t(j);
            const double w = weights[i];
            d[std::size_t(j)] = {points[i].x * w, points[i].y * w, points[i].z * w, w};
        }
        for (int r = 1; r <= p; ++r) {
            for (int j = p; j >= r; --j) {
                const double left = knots[s - std::size_t(p) + std::size_t(j)];
                const double right = knots[s + 1 + std::size_t(j) - std::size_t(r)];
                const double alpha = right > left ? (u - left) / (right - left) : 0.0;
                auto& dj = d[std::size_t(j)];
                const auto& dl = d[std::size_t(j - 1)];
                for (int c = 0; c < 4; ++c) dj[std::size_t(c)] = (1 - alpha) * dl[std::size_t(c)] + alpha * dj[std::size_t(c)];
            }
        }
        const auto& h = d[std::size_t(p)];
        return {h[0] / h[3], h[1] / h[3], h[2] / h[3]};
    }

    // The cubic B-spline basis functions that are not zero at u (of the interval s).
    std::array<double, 4> cubicBasis(double u, std::size_t s) const
    {
        std::array<double, 4> n{1, 0, 0, 0};
        std::array<double, 4> left{}, right{};
        for (std::size_t j = 1; j <= 3; ++j) {
            left[j] = u - knots[s + 1 - j];
            right[j] = knots[s + j] - u;
            double saved = 0;
            for (std::size_t r = 0; r < j; ++r) {
                const double den = right[r + 1] + left[j - r];
                const double temp = den != 0 ? n[r] / den : 0.0;
                n[r] = saved + right[r + 1] * temp;
                saved = left[j - r] * temp;
            }
            n[j] = saved;
        }
        return n;
    }
};

bool validKnots(const std::vector<double>& knots, std::size_t from, std::size_t to)
{
    for (double k : knots)
        if (!std::isfinite(k)) return false;
    for (std::size_t i = 1; i < knots.size(); ++i)
        if (knots[i] < knots[i - 1]) return false;
    return knots[from] < knots[to];
}

// The control points, weights and knots of a spline given by control points, per the file where
// they fit together.
std::optional<BSpline> fromControlPoints(const SplineData& s)
{
    const std::size_t n = s.controlPoints.size();
    BSpline b;
    b.degree = s.degree >= 1 ? s.degree : 3;
    if (b.degree > kMaxSplineDegree) return std::nullopt;
    b.degree = std::min(b.degree, int(n) - 1);
    const std::size_t p = std::size_t(b.degree);
    b.points = s.controlPoints;
    b.weights.assign(n, 1.0);
    if (s.weights.size() == n &&
        std::all_of(s.weights.begin(), s.weights.end(), [](double w) { return std::isfinite(w) && w > 0; }))
        b.weights = s.weights;
    const bool wraps = (s.flags & 3) != 0;
    auto wrap = [&b, p, n] {
        for (std::size_t i = 0; i < p; ++i) {
            b.points.push_back(b.points[i % n]);
            b.weights.push_back(b.weights[i % n]);
        }
    };
    if (s.knots.size() == n + p + 1 && validKnots(s.knots, p, n)) {
        b.knots = s.knots;
    } else if (wraps && s.knots.size() == n + 1 && validKnots(s.knots, 0, n)) {
        // One period of knots: the control points repeat round, the knots with the period.
        const double period = s.knots[n] - s.knots[0];
        wrap();
        for (std::size_t i = p; i > 0; --i) b.knots.push_back(s.knots[n - i] - period);
        b.knots.insert(b.knots.end(), s.knots.begin(), s.knots.end());
        for (std::size_t i = 1; i <= p; ++i) b.knots.push_back(s.knots[i] + period);
    } else if (wraps) {
        wrap();
        for (std::size_t i = 0; i < b.points.size() + p + 1; ++i) b.knots.push_back(double(i));
    } else {
        // Uniform, through the first and the last control point.
        for (std::size_t i = 0; i < n + p + 1; ++i)
            b.knots.push_back(double(std::clamp<std::size_t>(i, p, n) - p));
    }
    return b;
}

// Akima's estimate of the direction of the curve through `q` at its first point (atStart) or
// its last, from the five points around it (the missing ones extended linearly).
Point3 endDirection(const std::vector<Point3>& q, bool atStart)
{
    const std::size_t n = q.size();
    // d[k + 2] = q[k] - q[k - 1] for k = 1 .. n - 1, extended two steps on each side.
    std::vector<Point3> d(n + 3);
    for (std::size_t k = 1; k < n; ++k) d[k + 1] = q[k] - q[k - 1];
    d[1] = 2.0 * d[2] - d[3];
    d[0] = 2.0 * d[1] - d[2];
    d[n + 1] = 2.0 * d[n] - d[n - 1];
    d[n + 2] = 2.0 * d[n + 1] - d[n];
    // The tangent at point k blends the segments before and after it (d[k + 1], d[k + 2]).
    const std::size_t k = atStart ? 0 : n - 1;
    const double a = length(cross(d[k], d[k + 1])), b = length(cross(d[k + 2], d[k + 3]));
    const double alpha = a + b > 0 ? a / (a + b) : 0.5;
    return (1 - alpha) * d[k + 1] + alpha * d[k + 2];
}

Point3 scaledTo(const Point3& v, double magnitude)
{
    const double l = length(v);
    return l > 0 ? (magnitude / l) * v : Point3{};
}

// The cubic through the fit points, as CAD programs make it: parameters by chord length, knots at
// the parameters, end derivatives along the file's end tangents (else estimated) with the length
// of the fit polygon. Empty when the points do not give a curve.
std::optional<BSpline> throughFitPoints(const SplineData& s, std::vector<Point3>& q)
{
    // Repeated points would repeat a knot and make the system singular.
    const double size = extent(s.fitPoints);
    for (const Point3& p : s.fitPoints)
        if (q.empty() || length(p - q.back()) > 1e-12 * (1 + size)) q.push_back(p);
    const bool closed = (s.flags & 3) != 0;
    if (closed && q.size() >= 3 && length(q.front() - q.back()) > 1e-12 * (1 + size)) q.push_back(q.front());
    if (q.size() < 3) return std::nullopt;

    const std::size_t n = q.size() - 1;
    std::vector<double> u(n + 1, 0.0);
    double total = 0;
    for (std::size_t k = 1; k <= n; ++k) u[k] = total += length(q[k] - q[k - 1]);
    for (double& v : u) v /= total;
    u[n] = 1;

    Point3 t0, t1;
    if (closed) {
        // The curve runs on through its start: one tangent there, from the neighbours round it.
        t0 = t1 = q[1] - q[n - 1];
    } else {
        t0 = s.startTangent && length(*s.startTangent) > 0 ? *s.startTangent : endDirection(q, true);
        t1 = s.endTangent && length(*s.endTangent) > 0 ? *s.endTangent : endDirection(q, false);
    }
    t0 = scaledTo(t0, total);
    t1 = scaledTo(t1, total);

    BSpline b;
    b.degree = 3;
    b.knots.assign(4, 0.0);
    for (std::size_t k = 1; k < n; ++k) b.knots.push_back(u[k]);
    b.knots.insert(b.knots.end(), 4, 1.0);
    const std::size_t m = n + 3;  // control points
    b.weights.assign(m, 1.0);
    b.points.assign(m, {});

    // Row r holds the coefficients of columns r - 3 .. r + 3 (a[r][c - r + 3]); the rows are in an
    // order that keeps every diagonal element away from 0: P0, the start derivative, the points
    // inside, the end derivative, Pn+2.
    std::vector<std::array<double, 7>> a(m, std::array<double, 7>{});
    std::vector<Point3> rhs(m);
    auto set = [&a](std::size_t r, std::size_t c, double v) { a[r][c + 3 - r] = v; };
    set(0, 0, 1);
    rhs[0] = q[0];
    set(1, 0, -1);
    set(1, 1, 1);
    rhs[1] = (b.knots[4] / 3) * t0;
    for (std::size_t k = 1; k < n; ++k) {
        const std::size_t sp = b.span(u[k]);
        const std::array<double, 4> basis = b.cubicBasis(u[k], sp);
        for (std::size_t j = 0; j < 4; ++j)
            if (basis[j] != 0) set(k + 1, sp - 3 + j, basis[j]);
        rhs[k + 1] = q[k];
    }
    set(m - 2, m - 2, -1);
    set(m - 2, m - 1, 1);
    rhs[m - 2] = ((1 - b.knots[m - 1]) / 3) * t1;
    set(m - 1, m - 1, 1);
    rhs[m - 1] = q[n];

    // Gaussian elimination within the band.
    for (std::size_t c = 0; c < m; ++c) {
        const double pivot = a[c][3];
        if (!(std::fabs(pivot) > 1e-300)) return std::nullopt;
        for (std::size_t r = c + 1; r < std::min(m, c + 4); ++r) {
            const double f = a[r][c + 3 - r] / pivot;
            if (f == 0) continue;
            for (std::size_t col = c; col < std::min(m, c + 4); ++col) a[r][col + 3 - r] -= f * a[c][col + 3 - c];
            rhs[r] = rhs[r] - f * rhs[c];
        }
    }
    for (std::size_t c = m; c-- > 0;) {
        Point3 v = rhs[c];
        for (std::size_t col = c + 1; col < std::min(m, c + 4); ++col) v = v - a[c][col + 3 - c] * b.points[col];
        b.points[c] = (1 / a[c][3]) * v;
        if (!finite(b.points[c])) return std::nullopt;
    }
    // The curve must pass through every fit point.
    for (std::size_t k = 0; k <= n; ++k)
        if (length(b.at(u[k]) - q[k]) > 1e-6 * (1 + size)) return std::nullopt;
    return b;
}

// Tessellation of one B-spline: chords no farther than `tol` from the curve, each knot interval
// halved until its chords are near enough (checked at a quarter, a half and three quarters).
class Flattener {
public:
    Flattener(const BSpline& b, double tol, std::vector<Point3>& out) : b_(b), tol_(tol), out_(out) {}

    // False when the vertices would be more than the cap.
    bool run()
    {
        out_.clear();
        Point3 prev = b_.at(b_.start());
        out_.push_back(prev);
        const std::size_t p = std::size_t(b_.degree), n = b_.points.size();
        for (std::size_t s = p; s < n; ++s) {
            const double a = b_.knots[s], e = b_.knots[s + 1];
            if (!(a < e)) continue;
            const Point3 end = b_.at(e, s);
            if (!piece(s, a, e, prev, end, 0)) return false;
            prev = end;
        }
        return true;
    }

private:
    bool piece(std::size_t s, double a, double e, const Point3& pa, const Point3& pe, int depth)
    {
        const double h = e - a;
        const Point3 m = b_.at(a + h / 2, s);
        bool near = b_.degree == 1 || depth >= kMaxSubdivision;
        if (!near) {
            near = distanceToSegment(m, pa, pe) <= tol_ && distanceToSegment(b_.at(a + h / 4, s), pa, pe) <= tol_ &&
                   distanceToSegment(b_.at(a + 3 * h / 4, s), pa, pe) <= tol_;
        }
        if (near) {
            out_.push_back(pe);
            return out_.size() <= kMaxCurveVertices;
        }
        return piece(s, a, a + h / 2, pa, m, depth + 1) && piece(s, a + h / 2, e, m, pe, depth + 1);
    }

    const BSpline& b_;
    double tol_;
    std::vector<Point3>& out_;
};

// The size of the drawn curve: the box around its points at every knot and between them.
double curveExtent(const BSpline& b)
{
    std::vector<Point3> samples;
    const std::size_t p = std::size_t(b.degree), n = b.points.size();
    const std::size_t spans = n - p;
    const std::size_t step = std::max<std::size_t>(1, spans / kMaxCurveVertices);
    for (std::size_t s = p; s < n; s += step) {
        const double a = b.knots[s], e = b.knots[s + 1];
        samples.push_back(b.at(a, s));
        if (a < e) samples.push_back(b.at((a + e) / 2, s));
    }
    samples.push_back(b.at(b.end()));
    return extent(samples);
}

void tessellate(const BSpline& b, std::vector<Point3>& out)
{
    double tol = chordTolerance(curveExtent(b));
    for (int attempt = 0; attempt < 24; ++attempt, tol *= 2)
        if (Flattener(b, tol, out).run()) return;
    // More knot intervals than the cap allows vertices: evenly in the parameter.
    out.clear();
    const double a = b.start(), e = b.end();
    for (std::size_t k = 0; k < kMaxCurveVertices; ++k) out.push_back(b.at(a + (e - a) * double(k) / (kMaxCurveVertices - 1)));
}

}  // namespace

double chordTolerance(double size) { return std::isfinite(size) ? std::max(0.001 * size, 0.01) : 0.01; }

void appendBulgeArc(double x0, double y0, double x1, double y1, double bulge, std::vector<Point3>& out)
{
    if (bulge == 0 || !std::isfinite(bulge)) return;
    const double dx = x1 - x0, dy = y1 - y0, chord = std::hypot(dx, dy);
    if (!(chord > 0) || !std::isfinite(chord)) return;
    // Beyond this the arc is a full turn to within a millionth of a radian (of a radius of a
    // quarter million chords); larger values would only overflow.
    bulge = std::clamp(bulge, -1e6, 1e6);
    const double theta = 4 * std::atan(bulge);  // included angle, counter-clockwise when positive
    const double radius = chord * (1 + bulge * bulge) / (4 * std::fabs(bulge));
    // The centre lies on the chord's perpendicular bisector, to the left of the direction of travel
    // for a counter-clockwise arc under half a turn.
    const double offset = (1 - bulge * bulge) / (4 * bulge);
    const double cx = (x0 + x1) / 2 - dy * offset, cy = (y0 + y1) / 2 + dx * offset;
    // Chords as an ARC gets them, or more where the tolerance for the arc's size asks for them.
    const double size = std::fabs(theta) <= std::numbers::pi ? chord : 2 * radius;
    const double tol = chordTolerance(size);
    const double step = tol < radius ? 2 * std::acos(1 - tol / radius) : std::numbers::pi;
    const double needed = step > 0 ? std::ceil(std::fabs(theta) / step) : double(kMaxCurveVertices);
    const int chords = int(std::clamp(needed, double(kArcChords), double(kMaxCurveVertices)));
    const double a0 = std::atan2(y0 - cy, x0 - cx);
    for (int k = 1; k < chords; ++k) {
        const double a = a0 + theta * k / chords;
        out.push_back({cx + radius * std::cos(a), cy + radius * std::sin(a), 0});
    }
}

SplinePolyline tessellateSpline(const SplineData& s)
{
    SplinePolyline out;
    out.closed = (s.flags & 1) != 0;
    std::optional<BSpline> b;
    std::vector<Point3> fit;
    if (s.controlPoints.size() >= 2) {
        b = fromControlPoints(s);
        if (!b) {
            out.result = SplineResult::Unsupported;
            return out;
        }
    } else if (s.fitPoints.size() >= 2) {
        b = throughFitPoints(s, fit);
        if (!b) {
            // Two distinct points, or points no cubic passes through: the line through them.
            if (fit.size() < 2) return out;
            out.vertices = std::move(fit);
        }
    } else {
        return out;
    }
    if (b) tessellate(*b, out.vertices);
    if (!std::all_of(out.vertices.begin(), out.vertices.end(), finite)) {
        out.vertices.clear();
        out.result = SplineResult::Unsupported;
        return out;
    }
    const double size = extent(out.vertices);
    if (out.closed && out.vertices.size() > 2 && length(out.vertices.back() - out.vertices.front()) <= 1e-9 * (1 + size))
        out.vertices.pop_back();
    out.result = SplineResult::Drawn;
    return out;
}

}  // namespace vsx::dxf
