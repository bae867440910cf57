#pragma once
// The project drawing file (".vltx", older ".vlt"): the four bytes "VLT1", then one zlib stream
// (default level) of a line-oriented keyword text holding the world window, the layers and every
// shape. A file without the magic is the same text uncompressed (older projects).
//
// Saving writes a temporary file beside the target and renames it over the target, so a failed
// or interrupted save leaves the previous file whole. Loading reads and checks the whole file
// into a staging list before it touches the canvas, so a damaged file leaves the drawing as it
// was. Failures are reported by DrawingFileError (a message for the user); the caller's general
// exception report shows it.
#include "canvas/CanvasModel.h"
#include "canvas/DrawingFileError.h"

#include <functional>
#include <string>
#include <string_view>

namespace vsx {

inline constexpr std::string_view ProjectFileMagic = "VLT1";

// Writes every shape, or only the selected ones (each then written in colour 255, pure red,
// for the helmsman copy), with all layers and the world window. The integer is not used (callers
// pass -1 or 0). Returns true; throws DrawingFileError when the file cannot be written, leaving
// an existing file untouched.
bool SaveShapeFile(const CanvasModel& model, const std::string& path, int unused, bool selectedOnly);

// mode 0 replaces the drawing (all shapes and layers, then "Default" id 0 and the file's
// layers); any other mode adds the file's drawing to the present one, putting the file's layers
// onto same-named layers. The WORLD line sets the world window in both modes. The integers are
// not used. Returns false when the file does not exist, true after loading it; throws
// DrawingFileError when it cannot be read, is damaged, truncated or empty, or is not a drawing
// file, and then leaves the canvas unchanged.
bool LoadShapeFile(CanvasModel& model, const std::string& path, int unused1, int unused2, int mode);

// ---- The layers underneath, for tools and tests ----

// The drawing text, handed to `sink` in pieces of about a megabyte.
void WriteProjectDrawingText(const CanvasModel& model, bool selectedOnly,
                             const std::function<void(std::string_view)>& sink);
std::string ProjectDrawingText(const CanvasModel& model, bool selectedOnly);

// Reads a drawing text into the canvas with the rules of LoadShapeFile. Throws DrawingFileError
// (canvas unchanged) when the text holds no drawing record at all (empty, or another file).
void LoadProjectDrawingText(CanvasModel& model, std::string_view text, int mode, const std::string& fileName = {});

// A file's bytes read with the rules of LoadShapeFile; the compressed drawing is parsed while it
// inflates.
void LoadProjectFileBytes(CanvasModel& model, std::string_view bytes, int mode, const std::string& fileName = {});

// The text of a file's bytes: inflated behind the magic, else the bytes themselves. Throws
// DrawingFileError for a damaged, truncated or oversized stream.
std::string ProjectFileText(std::string_view fileBytes, const std::string& fileName = {});

}  // namespace vsx
