// The main window's imagery under the map: the toggle (menu, status-bar double click), the cache
// clearing, the tile server from the settings, and the georeference that places every tile
// through the same projection snapshot and projection the map loop draws the vessel with.
#include "nav/windows/MainWindow.h"

#include "app/Settings.h"
#include "app/Translated.h"
#include "canvas/VeldorCanvas.h"
#include "canvas/WorldImagery.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"

#include <QLabel>
#include <filesystem>

namespace vsx {
namespace {

class SnapshotGeoreference : public ImageryGeoreference {
public:
    explicit SnapshotGeoreference(ProjectionSnapshotKeeper& keeper) : keeper_(keeper) {}

    bool Ready() const override { return keeper_.Current() != nullptr; }
    bool ToGrid(double latitude, double longitude, double& easting, double& northing) const override
    {
        const ProjectionSnapshot* s = keeper_.Current();
        if (!s) return false;
        const auto fix = s->toGrid(latitude, longitude, 0, s->projection());
        if (!fix) return false;
        easting = fix->easting;
        northing = fix->northing;
        return true;
    }
    bool ToWgs84(double easting, double northing, double& latitude, double& longitude) const override
    {
        const ProjectionSnapshot* s = keeper_.Current();
        if (!s) return false;
        const auto p = s->toWgs84(easting, northing, 0, s->projection());
        if (!p) return false;
        latitude = p->lat;
        longitude = p->lon;
        return true;
    }
    // Each snapshot comes with its own projection: a new one is a new georeference.
    int Generation() const override { return keeper_.Generation(); }

private:
    ProjectionSnapshotKeeper& keeper_;
};

// [IMAGERY] Scheme, Host, Port and PathTemplate; what is not set keeps the built-in server.
TileServer readTileServer()
{
    IniFile ini(GetIniFileName());
    TileServer server;
    const auto text = [&ini](const char* key, const QString& fallback) {
        const std::string v = ini.readString("IMAGERY", key, "");
        return v.empty() ? fallback : QString::fromStdString(v);
    };
    server.scheme = text("Scheme", server.scheme);
    server.host = text("Host", server.host);
    server.pathTemplate = text("PathTemplate", server.pathTemplate);
    const int port = ini.readInteger("IMAGERY", "Port", 0);
    server.port = port > 0 && port < 65536 ? port : 0;
    return server;
}

} // namespace

void MainWindow::setUpImagery(bool shown)
{
    imageryGeoreference_ = std::make_unique<SnapshotGeoreference>(snapshot_);
    WorldImagery& imagery = fcad->Imagery();
    imagery.SetGeoreference(imageryGeoreference_.get());
    imagery.SetServer(readTileServer());
    fcad->SetTileCacheFolder(imageryCacheFolder());
    fcad->SetShowImagery(shown);
    showImageryState();
}

void MainWindow::showImageryState()
{
    if (statusPanels_.size() > 6)
        setStatusPanelWords(6, fcad->GetShowImagery() ? "MAP: ON" : "MAP: OFF", {}, 16);
}

void MainWindow::onShowSatelliteImageTriggered()
{
    fcad->SetShowImagery(!fcad->GetShowImagery());
    showImageryState();
    IniFile(GetIniFileName()).writeBool("SETTINGS", "SatelliteMapVisible", fcad->GetShowImagery());
}

void MainWindow::onClearSatelliteImageCachesTriggered()
{
    fcad->ClearTileCache();
    const std::filesystem::path cache = imageryCacheFolder();
    std::error_code ec;
    if (std::filesystem::is_directory(cache, ec)) {
        for (const auto& entry : std::filesystem::directory_iterator(cache, ec)) {
            std::error_code ignored;
            std::filesystem::remove_all(entry.path(), ignored);
        }
    }
    prompts().message(translated("Satellite image cache cleared."));
}

} // namespace vsx
