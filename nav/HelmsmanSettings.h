#pragma once
// The helmsman window's options and their settings section [HELMSMAN].
namespace vsx {

class IniFile;

inline constexpr const char* kHelmsmanSection = "HELMSMAN";

struct HelmsmanOptions {
    bool Follow = true;         // keep the followed vessel centred
    bool HeadUp = true;         // turn the map with the heading
    bool RunlineThick = false;  // widen the copied run lines
    int FollowTarget = 0;       // 0 own vessel, n the n-th further vessel, -1 none
    bool ShowGrid = false;
    bool ShowTracks = true;     // the mirrored track (not stored)
};

// Reads the section over `current`: each key missing keeps the current value, except
// "FollowTarget", which is 0 when Follow (as read) is true, else -1, and "ShowGrid", false.
HelmsmanOptions LoadHelmsmanOptions(const IniFile& ini, const HelmsmanOptions& current);
void SaveHelmsmanOptions(IniFile& ini, const HelmsmanOptions& options);

} // namespace vsx
