#pragma once
// World imagery under the drawing: the step of the back-buffer rebuild that draws the Web-Mercator
// tiles covering the view. Each tile corner is put on the grid through the same conversion the
// map uses for the vessel (given by the window that owns the projection), so imagery and drawing
// agree everywhere, not only near one reference point. Painting never waits: tiles that are not
// at hand are asked of the fetcher and the map is repainted when one arrives.
#include "canvas/TileFetcher.h"
#include "canvas/TileMath.h"
#include "canvas/TileStore.h"

#include <QObject>
#include <functional>
#include <unordered_map>

class QPainter;

namespace vsx {

class CanvasModel;
class CanvasViewMapping;

// Grid <-> WGS-84 for the imagery, backed by the map's own projection.
class ImageryGeoreference {
public:
    virtual ~ImageryGeoreference() = default;
    // False until the map has a projection (the waiting text shows until then).
    virtual bool Ready() const = 0;
    virtual bool ToGrid(double latitude, double longitude, double& easting, double& northing) const = 0;
    virtual bool ToWgs84(double easting, double northing, double& latitude, double& longitude) const = 0;
    // Changes whenever the conversion does (a new projection), so converted corners are dropped.
    virtual int Generation() const = 0;
};

class WorldImagery : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxTilesPerView = 100;

    explicit WorldImagery(QObject* parent = nullptr);

    void SetShown(bool shown) { shown_ = shown; }
    bool Shown() const { return shown_; }
    // Not owned; null shows the waiting text.
    void SetGeoreference(const ImageryGeoreference* georeference) { georeference_ = georeference; }
    void SetCacheFolder(const std::string& folder) { store_.SetFolder(folder); }
    void SetServer(const TileServer& server) { fetcher_.SetServer(server); }
    // Empties the decoded tiles and forgets failed fetches; the disk files stay.
    void ClearMemory();

    // The imagery step: called on the back buffer before the grid and the shapes.
    void Draw(QPainter& painter, const CanvasModel& model, const CanvasViewMapping& mapping);

    TileStore& Store() { return store_; }
    TileFetcher& Fetcher() { return fetcher_; }
    int LastZoom() const { return lastZoom_; }
    int LastTilesDrawn() const { return lastDrawn_; }

signals:
    // A tile arrived or a retry is due: the map wants a rebuild.
    void Changed();

private:
    bool corner(int x, int y, int z, QPointF& world);

    bool shown_ = false;
    const ImageryGeoreference* georeference_ = nullptr;
    TileStore store_;
    TileFetcher fetcher_;
    // Grid points of tile corners, per projection generation.
    std::unordered_map<std::uint64_t, QPointF> corners_;
    int cornersGeneration_ = -1;
    int lastZoom_ = 0;
    int lastDrawn_ = 0;
};

} // namespace vsx
