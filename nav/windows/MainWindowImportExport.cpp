// The main window's File > Import and File > Export: KML and KMZ through the map's own datum and
// projection (transverse Mercator or Lambert, as the map converts the vessel), point files and
// DXF drawings. Every file is read completely before the map is touched.
#include "nav/windows/MainWindow.h"
#include "nav/windows/HelmsmanWindow.h"

#include "app/Settings.h"
#include "app/Translated.h"
#include "app/windows/WindowPointers.h"
#include "canvas/DxfExport.h"
#include "canvas/DxfImport.h"
#include "canvas/VeldorCanvas.h"
#include "geo/TransverseMercator.h"
#include "nav/DrawingImport.h"
#include "nav/KmlReader.h"
#include "nav/KmlWriter.h"
#include "nav/KmzArchive.h"
#include "nav/MapGeographic.h"
#include "nav/RealtimeState.h"
#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "tools/FolderOpener.h"
#include "tools/windows/NavigationSettingsWindow.h"

#include <QStatusBar>

#include <filesystem>
#include <map>

namespace vsx {

namespace {

QString tr8(const std::string& s) { return QString::fromUtf8(s.c_str(), int(s.size())); }

// What the DXF reader says, read back to the keys of the language files, line by line.
QString translatedDxfMessage(const std::string& message)
{
    QStringList lines;
    for (const QString& line : tr8(message).split('\n'))
        lines << translatedMessage(line, {"DXF load failed: ENTITIES section not found",
                                          "DXF load failed: the ENTITIES section is empty", kDxfCutOffMessage,
                                          "DXF imported without: %1."});
    return lines.join('\n');
}

// The count of positions converted beyond the accurate zone of the transverse Mercator series,
// and the zone's half-width in degrees, for the import and export messages.
QStringList beyondAccurateZoneArgs(const MapGeographic& geographic)
{
    return {QString::number(geographic.BeyondAccurateZone()), QString::number(kTmAccurateLongitudeSpan)};
}

std::string lowerExtension(const std::string& path) { return toLowerAscii(std::filesystem::path(path).extension().string()); }

// Point files by path, with their modification time at their last import.
std::map<std::string, std::filesystem::file_time_type>& lastPointImports()
{
    static std::map<std::string, std::filesystem::file_time_type> map;
    return map;
}

// Where the export's placemark icons come from: [KML_EXPORT] IconHost.
std::string iconHost()
{
    std::string host = IniFile(GetIniFileName()).readString("KML_EXPORT", "IconHost", "http://maps.google.com");
    while (!host.empty() && host.back() == '/') host.pop_back();
    return host;
}

} // namespace

void MainWindow::onExportTriggered()
{
    const FileChoice choice = prompts().chooseSaveFile(
        this, {translated("Dialog Save"), translated("Google Earth KML [*.kml] (*.kml);;Google Earth KMZ [*.kmz] (*.kmz);;"
                                         "AutoCAD R12 DXF [*.dxf] (*.dxf);;All Files [*.*] (*)"), {}, 1,
               {"kml", "kmz", "dxf", ""}});
    if (choice.path.isEmpty()) return;
    std::string path = choice.path.toStdString();
    std::string ext = lowerExtension(path);
    if (ext.empty() && choice.filterRow >= 1 && choice.filterRow <= 3) {
        ext = choice.filterRow == 1 ? ".kml" : choice.filterRow == 2 ? ".kmz" : ".dxf";
        path += ext;
        // The dialog asked about the name without the extension; ask about the one written.
        if (fileExists(path) &&
            prompts().ask(translated("The file already exists. Replace it?") + "\n" + tr8(path), {},
                          {PromptAnswer::No, PromptAnswer::Yes}, PromptKind::Warning) != PromptAnswer::Yes)
            return;
    }
    const CanvasModel& model = fcad->Model();
    if (ext == ".dxf") {
        DxfExportSummary summary;
        // The deliverable holds the drawing, not the vessel symbol or the grid the loops draw.
        if (!ExportDxf(model, path, &summary, {std::begin(kLoopDrawnLayers), std::end(kLoopDrawnLayers)})) {
            prompts().message(translatedArgs("Failed to export DXF: %1", {tr8(path + ": " + summary.Error)}), {},
                              PromptKind::Error);
            return;
        }
        AppendEventLine("Exported DXF: " + path, EventsLogFileName());
        return;
    }
    if (ext != ".kml" && ext != ".kmz") {
        prompts().message(translated("Export writes KML (.kml), KMZ (.kmz) and DXF (.dxf) files."));
        return;
    }
    const ProjectionSnapshot* snapshot = Snapshot().Get();
    if (!snapshot) {
        prompts().message(translated("Please configure datum parameters in GPS Settings before exporting to KML/KMZ."));
        return;
    }
    MapGeographic geographic(*snapshot, MapProjection());
    KmlExportInput in;
    in.toLatLon = [&geographic](double e, double n, double& lat, double& lon) { return geographic.toLatLon(e, n, lat, lon); };
    in.documentName = std::filesystem::path(path).filename().string();
    const RealtimeState& rt = realtimeState();
    in.vessel = std::make_pair(rt.VesselEasting, rt.VesselNorthing);
    in.iconHost = iconHost();
    // The tracks in the colours the map draws them in, which the navigation settings show.
    if (Navset) {
        in.trackColorFixed = Navset->trackColorFixed();
        in.trackColorFloat = Navset->trackColorFloat();
    }
    const KmlExportResult doc = BuildKmlDocument(model, in);

    std::string error;
    const bool written = ext == ".kmz" ? WriteKmz(path, doc.bytes, &error) : writeFileAtomically(path, doc.bytes, &error);
    if (!written) {
        prompts().message(translatedArgs("Failed to export: %1", {tr8(path + ": " + error)}), {}, PromptKind::Error);
        return;
    }
    const char* exported = "Exported: %1 tracks, %2 depth points to %3";
    const char* skipped = " (%1 positions could not be converted to latitude and longitude and were left out)";
    const char* far = " (%1 positions lie more than %2° of longitude from the central meridian, where the grid "
                      "conversion is no longer accurate)";
    const QStringList counts{QString::number(doc.tracks), QString::number(doc.depthPoints), tr8(path)};
    const QStringList skips{QString::number(doc.skippedPositions)};
    const QStringList farCount = beyondAccurateZoneArgs(geographic);
    QString shown = translatedArgs(exported, counts);
    std::string message = fillArgs(exported, counts).toStdString();
    if (doc.skippedPositions > 0) {
        shown += translatedArgs(skipped, skips);
        message += fillArgs(skipped, skips).toStdString();
    }
    if (geographic.BeyondAccurateZone() > 0) {
        shown += translatedArgs(far, farCount);
        message += fillArgs(far, farCount).toStdString();
    }
    AppendEventLine(message, EventsLogFileName());
    prompts().message(shown);
    OpenFolderInFileBrowser(withTrailingSlash(std::filesystem::path(path).parent_path().string()));
}

void MainWindow::onImportTriggered()
{
    CanvasModel& model = fcad->Model();
    const FileChoice choice = prompts().chooseOpenFile(
        this, {translated("Dialog Open"),
               translated("KML/KMZ Files [*.kml;*.kmz] (*.kml *.kmz);;XYZ Files [*.xyz;*.txt;*.csv] (*.xyz *.txt *.csv);;"
                          "AutoCAD 2018 DXF [*.dxf] (*.dxf);;All Files [*.*] (*)"), {}, 1,
               {}});
    const int previousLayer = model.CurrentLayer();
    auto finish = [&] {
        EnsureStandardLayers(&model);
        model.SetCurrentLayer(model.FindLayerById(previousLayer) ? previousLayer : UserShapeLayerId);
        if (Helmsman && Helmsman->isVisible()) CloneDrawingToHelmsman(true);
    };
    if (choice.path.isEmpty()) return finish();
    const std::string path = choice.path.toStdString();
    const std::string ext = lowerExtension(path);
    const std::string layerName = ImportLayerName(std::filesystem::path(path).stem().string());

    if (ext == ".kml" || ext == ".kmz") {
        const ProjectionSnapshot* snapshot = Snapshot().Get();
        if (!snapshot) {
            prompts().message(
                translated("Please configure datum parameters in GPS Settings before importing KML/KMZ files."));
            return;
        }
        const MapGeographic geographic(*snapshot, MapProjection());
        KmlReader reader;
        reader.ProjectionCallback = [&geographic](double lat, double lon, double& x, double& y) {
            return geographic.toGrid(lat, lon, x, y);
        };
        if (!reader.LoadFromFile(path)) {
            prompts().message(translatedArgs("Failed to load KML/KMZ file: %1", {reader.ShownError()}), {},
                              PromptKind::Warning);
            return finish();
        }
        const int layer = PrepareImportLayer(model, layerName);
        const KmlImportCounts counts = AddKmlPlacemarks(model, layer, reader);
        std::string line = "Imported KML/KMZ: " + path + " to layer: " + layerName;
        // What the file held that the map does not show is said beside what was imported.
        QString shown;
        if (reader.Skipped.any()) {
            const char* leftOut = " (left out: %1)";
            line += fillArgs(leftOut, {tr8(KmlLeftOutList(reader.Skipped))}).toStdString();
            shown = translatedArgs("Imported to layer %1: %2 point(s), %3 line(s)",
                                   {tr8(layerName), QString::number(counts.points), QString::number(counts.lines)}) +
                    translatedArgs(leftOut, {KmlShownLeftOutList(reader.Skipped)});
        }
        if (reader.FailedProjections() > 0) {
            const char* note = "%1 coordinates could not be converted to the grid and were left out";
            const QStringList count{QString::number(reader.FailedProjections())};
            line += " (" + fillArgs(note, count).toStdString() + ")";
            sStatusBar->showMessage(translatedArgs(note, count), 30000);
        }
        // Points far from the central meridian land centimetres to kilometres off: never without a word.
        const char* far = "%1 coordinates lie more than %2° of longitude from the central meridian, where the grid "
                          "conversion is no longer accurate";
        const QStringList farCount = beyondAccurateZoneArgs(geographic);
        if (geographic.BeyondAccurateZone() > 0) line += " (" + fillArgs(far, farCount).toStdString() + ")";
        AppendEventLine(line, EventsLogFileName());
        ShowFileInStatusBar(path);
        model.ZoomExtents();
        if (geographic.BeyondAccurateZone() > 0)
            prompts().message((shown.isEmpty() ? QString() : shown + '\n') + translatedArgs(far, farCount), {},
                              PromptKind::Warning);
        else if (!shown.isEmpty())
            prompts().message(shown);
    } else if (ext == ".xyz" || ext == ".txt" || ext == ".csv") {
        std::error_code ec;
        const auto time = std::filesystem::last_write_time(path, ec);
        const int existing = model.FindLayer(layerName);
        // An unchanged file is not imported twice while its points are still on the map.
        const auto seen = lastPointImports().find(path);
        if (!ec && seen != lastPointImports().end() && seen->second == time && existing >= 0 &&
            model.LayerShapeCount(existing) > 0) {
            prompts().message(translated("File unchanged since last import. Skipping."));
            return;
        }
        std::string bytes;
        if (!readFile(path, bytes)) {
            prompts().message(translatedArgs("Failed to open XYZ file: %1", {tr8(path)}), {}, PromptKind::Warning);
            return finish();
        }
        if (!ec) lastPointImports()[path] = time;
        const std::vector<XyzPoint> points = ParseXyzText(bytes);
        bytes.clear();
        const int layer = PrepareImportLayer(model, layerName);
        AddXyzPoints(model, layer, points);
        AppendEventLine("Imported XYZ: " + path + " (" + std::to_string(points.size()) + " points) to layer: " + layerName,
                        EventsLogFileName());
        ShowFileInStatusBar(path);
        model.ZoomExtents();
    } else {
        std::string message;
        if (!ImportDxf(model, path, &message)) {
            prompts().message(message.empty() ? translatedArgs("Failed to import DXF file: %1", {tr8(path)})
                                              : translatedDxfMessage(message),
                              {}, PromptKind::Warning);
            return finish();
        }
        ShowFileInStatusBar(path);
        AppendEventLine("Imported DXF: " + path, EventsLogFileName());
        // What the drawing held that the map cannot show is said, never a bare success.
        if (!message.empty()) prompts().message(translatedDxfMessage(message));
    }
    finish();
}

} // namespace vsx
