// Feeds arbitrary bytes to the DXF import (pair reader, code pages, tables, blocks, entities),
// twice into one canvas so that the repeated import and the kept blocks are exercised too, and
// to the MTEXT and TEXT code decoders.
#include "canvas/CanvasModel.h"
#include "canvas/DxfImport.h"
#include "canvas/DxfText.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    vsx::CanvasModel model;
    std::string message;
    vsx::ImportDxfBytes(model, bytes, "fuzz.dxf", &message);
    vsx::ImportDxfBytes(model, bytes, "fuzz.dxf", &message);
    vsx::ImportDxfBytes(model, bytes, "other.dxf", &message);
    (void)vsx::StripMtextCodes(bytes);
    (void)vsx::DecodeDxfTextCodes(bytes);
    return 0;
}
