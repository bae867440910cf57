// Feeds arbitrary bytes to the KML reader: as a document (encodings, the tag scanner, CDATA,
// comments, declarations, entities, coordinate tuples) and, when they look like a ZIP archive,
// as a KMZ read in memory with its linked documents.
#include "nav/KmlReader.h"
#include "nav/KmlText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vsx::KmlReader reader;
    reader.ProjectionCallback = [](double lat, double lon, double& x, double& y) {
        x = lon * 1000;
        y = lat * 1000;
        return lat > -80;
    };
    reader.LoadFromBytes(bytes, false);
    (void)reader.GetProjectedLines();
    if (bytes.substr(0, 2) == "PK") reader.LoadFromBytes(bytes, true);
    (void)vsx::DecodeXmlCharacterData(bytes);
    (void)vsx::EscapeXmlText(bytes);
    return 0;
}
