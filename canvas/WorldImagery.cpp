#include "canvas/WorldImagery.h"

#include "app/Translated.h"
#include "canvas/CanvasModel.h"
#include "canvas/CanvasViewMapping.h"

#include <QFont>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <vector>

namespace vsx {
namespace {
constexpr std::size_t kMaxCornersKept = 50'000;
}

WorldImagery::WorldImagery(QObject* parent)
    : QObject(parent), fetcher_([this](const TileKey& key, const QByteArray& body) { return store_.Store(key, body); })
{
    connect(&fetcher_, &TileFetcher::TileArrived, this, &WorldImagery::Changed);
    connect(&fetcher_, &TileFetcher::RetryDue, this, &WorldImagery::Changed);
}

void WorldImagery::ClearMemory()
{
    store_.ClearMemory();
    fetcher_.Reset();
}

bool WorldImagery::corner(int x, int y, int z, QPointF& world)
{
    const std::uint64_t key = (std::uint64_t(z) << 56) | (std::uint64_t(std::uint32_t(x)) << 28) | std::uint32_t(y);
    if (auto it = corners_.find(key); it != corners_.end()) {
        world = it->second;
        return true;
    }
    double lat = 0, lon = 0, e = 0, n = 0;
    TileToLatLon(x, y, z, lat, lon);
    if (!georeference_->ToGrid(lat, lon, e, n) || !std::isfinite(e) || !std::isfinite(n)) return false;
    world = QPointF(e, n);
    corners_.emplace(key, world);
    return true;
}

void WorldImagery::Draw(QPainter& painter, const CanvasModel& model, const CanvasViewMapping& mapping)
{
    lastDrawn_ = 0;
    lastZoom_ = 0;
    if (!shown_) return;
    painter.resetTransform();
    if (!georeference_ || !georeference_->Ready()) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(12);
        painter.setFont(font);
        painter.setPen(Qt::red);
        painter.drawText(QPointF(10, 10 + painter.fontMetrics().ascent()), translated("MAP: Waiting for GPS position..."));
        return;
    }
    if (georeference_->Generation() != cornersGeneration_ || corners_.size() > kMaxCornersKept) {
        corners_.clear();
        cornersGeneration_ = georeference_->Generation();
    }
    const int z = ImageryZoomForWidth(model.WorldWidth());
    if (z == 0) return;

    // The latitude/longitude box around the four corners of what the screen shows.
    const WorldBox box = mapping.VisibleBox();
    double south = 90, north = -90, west = 180, east = -180;
    for (const auto& [e, n] : {std::pair{box.XMin, box.YMax}, std::pair{box.XMax, box.YMax},
                               std::pair{box.XMin, box.YMin}, std::pair{box.XMax, box.YMin}}) {
        double lat = 0, lon = 0;
        if (!georeference_->ToWgs84(e, n, lat, lon) || !std::isfinite(lat) || !std::isfinite(lon)) return;
        south = std::min(south, lat);
        north = std::max(north, lat);
        west = std::min(west, lon);
        east = std::max(east, lon);
    }
    const TileRange range = ImageryTileRange(south, west, north, east, z, MaxTilesPerView);
    if (range.Count() <= 0) return;
    lastZoom_ = range.z;

    const QPolygonF square{QPointF(0, 0), QPointF(kTilePixels, 0), QPointF(kTilePixels, kTilePixels),
                           QPointF(0, kTilePixels)};
    std::vector<TileKey> missing;
    for (int y = range.y1; y <= range.y2; ++y) {
        for (int x = range.x1; x <= range.x2; ++x) {
            const TileKey key{range.z, x, y};
            const QImage* tile = store_.Get(key);
            if (!tile) {
                missing.push_back(key);
                continue;
            }
            QPointF nw, ne, se, sw;
            if (!corner(x, y, range.z, nw) || !corner(x + 1, y, range.z, ne) || !corner(x + 1, y + 1, range.z, se) ||
                !corner(x, y + 1, range.z, sw))
                continue;
            const QPolygonF quad{mapping.WorldToScreenF(nw.x(), nw.y()), mapping.WorldToScreenF(ne.x(), ne.y()),
                                 mapping.WorldToScreenF(se.x(), se.y()), mapping.WorldToScreenF(sw.x(), sw.y())};
            QTransform t;
            if (!QTransform::quadToQuad(square, quad, t)) continue;
            // Tile pixels span the square; the image may be of another size.
            t = QTransform::fromScale(double(kTilePixels) / std::max(1, tile->width()),
                                      double(kTilePixels) / std::max(1, tile->height())) * t;
            // Shapes at world point P light the pixel nearest to P; an image covers whole pixels
            // from its corner, so it is moved by half a pixel to light the same pixel.
            painter.setTransform(t * QTransform::fromTranslate(0.5, 0.5));
            painter.drawImage(QPointF(0, 0), *tile);
            ++lastDrawn_;
        }
    }
    painter.resetTransform();
    // The middle of the view first: the surveyor looks there.
    const double cx = (range.x1 + range.x2) / 2.0, cy = (range.y1 + range.y2) / 2.0;
    std::stable_sort(missing.begin(), missing.end(), [cx, cy](const TileKey& a, const TileKey& b) {
        return std::hypot(a.x - cx, a.y - cy) < std::hypot(b.x - cx, b.y - cy);
    });
    fetcher_.Want(missing);
}

} // namespace vsx
