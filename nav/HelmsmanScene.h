#pragma once
// What the helmsman map shows, built on its own drawing without a window: the run lines selected
// on the main map (copied in memory, every one in pure red), the steering corridor around them,
// the own vessel with pointers to the ends of the selected lines, the further vessels, and the
// own vessel's track mirrored from the main map. It follows a vessel and turns head-up.
//
// The copy replaces only the previous copy: the mirrored track stays, with its visibility. Every
// part of the picture keeps its own colour and width (edges grey, ticks navy), whatever the
// layer's.
#include "app/SharedValues.h"
#include "canvas/CanvasModel.h"
#include "nav/HelmsmanSettings.h"
#include "nav/TrackRecorder.h"
#include "nav/VesselSymbol.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vsx {

inline constexpr const char* kHelmCorridorLayer = "~~Veldor Motorway";
inline constexpr const char* kHelmVesselLayer = "~~Veldor Vessel";
inline constexpr const char* kHelmExtraVesselLayer = "~~Veldor ExtraVessels";

inline constexpr ColorValue kCorridorEdgeColor = 0x808080;
inline constexpr ColorValue kCorridorTickColor = 0x800000;

// What one picture needs of the running program.
struct HelmsmanInputs {
    double vesselEasting = 0, vesselNorthing = 0;  // the GNSS antenna; (0, 0) none yet
    double gridHeading = 0, gridConvergence = 0;   // degrees
    SymbolSizes symbol;                            // the own vessel's geometry
    ColorValue vesselColor = clNavy;
    int vesselWidth = 2;
    double halfWidth = 10;                         // the corridor's, see CorridorHalfWidth
    // Course over ground of the further vessel's receiver at an index, when that receiver exists.
    std::function<std::optional<double>(size_t)> receiverCourse;
};

class HelmsmanScene {
public:
    explicit HelmsmanScene(CanvasModel& helm) : helm_(helm) {}

    HelmsmanOptions Options;

    // Replaces the previous copy with the shapes selected on `main`, widened to 5 when the thick
    // option is on, then rebuilds the corridor; the view is kept or taken from `main`.
    void CopySelection(const CanvasModel& main, bool keepView, const HelmsmanInputs& in);
    // The copy again when the main map's selection changed since the last copy; true when copied.
    bool CopyIfSelectionChanged(const CanvasModel& main, const HelmsmanInputs& in);
    void NoteSelection(const CanvasModel& main) { selectionHash_ = main.SelectionHash(); }

    // The corridor and the vessels (one refresh of the picture).
    void Refresh(const CanvasModel* main, const HelmsmanInputs& in, const std::vector<MultiVesselEntry>& vessels);
    void DrawCorridor(const CanvasModel* main, const HelmsmanInputs& in);
    void DrawVessels(const CanvasModel* main, const HelmsmanInputs& in, const std::vector<MultiVesselEntry>& vessels);

    // A segment of the main map's track, added again on the layer of the same name.
    void MirrorTrack(const std::string& layer, ColorValue colour, int width, TrackPoint from, TrackPoint to,
                     bool asLine);
    void SetShowTracks(bool shown);
    // Empties the mirrored track (the main map's track is not touched) and shows it.
    void ClearTracks();

    const std::vector<std::int32_t>& CopiedIds() const { return copied_; }

private:
    int layer(const char* name);
    void applyTrackVisibility();

    CanvasModel& helm_;
    std::vector<std::int32_t> copied_;
    std::uint32_t selectionHash_ = 0;
};

} // namespace vsx
