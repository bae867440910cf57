// Feeds arbitrary bytes to the project drawing file reader: the container (magic + zlib) and the
// keyword text, in replace and merge mode. Damaged input must give DrawingFileError, never a crash,
// a hang or unbounded memory.
#include "canvas/CanvasModel.h"
#include "canvas/ProjectFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        vsx::CanvasModel streamed;
        vsx::LoadProjectFileBytes(streamed, bytes, 0, "fuzz.vltx");
    } catch (const vsx::DrawingFileError&) {
    }
    try {
        const std::string text = vsx::ProjectFileText(bytes, "fuzz.vltx");
        vsx::CanvasModel replace;
        vsx::LoadProjectDrawingText(replace, text, 0);
        vsx::CanvasModel merge;
        merge.AddLayer("Runlines");
        merge.AddLine(0, 0, 1, 1, 1);
        vsx::LoadProjectDrawingText(merge, text, 2);
        // What was read must save again.
        (void)vsx::ProjectDrawingText(merge, false);
    } catch (const vsx::DrawingFileError&) {
    }
    return 0;
}
