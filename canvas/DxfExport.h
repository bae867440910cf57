#pragma once
// Writing the visible drawing as a minimal ASCII DXF file of release 12 ("AC1009"): HEADER
// (with $DWGCODEPAGE "ANSI_1254", so other programs decode the Turkish texts), one LAYER table and
// the ENTITIES. Only geometry, layer names and texts are written; lines end with CR LF.
#include "canvas/CanvasModel.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vsx {

struct DxfExportSummary {
    int Written = 0;   // entities written
    int Skipped = 0;   // visible shapes R12 export leaves out: rounded rectangles, splines, arcs
    std::string Error; // why the file could not be written
};

// The layers (by name) whose shapes an export leaves out altogether, from the layer table too.
using DxfLeftOutLayers = std::vector<std::string>;

// Replaces `path` through a temporary file, so a failed export leaves an existing file whole.
// False (with summary->Error) when the file cannot be written.
bool ExportDxf(const CanvasModel& model, const std::string& path, DxfExportSummary* summary = nullptr,
               const DxfLeftOutLayers& leftOut = {});

// The file's content, handed to `sink` in pieces of about a megabyte.
void WriteDxfR12(const CanvasModel& model, const std::function<void(std::string_view)>& sink,
                 DxfExportSummary* summary = nullptr, const DxfLeftOutLayers& leftOut = {});

}  // namespace vsx
