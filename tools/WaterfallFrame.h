#pragma once
// The border-less waterfall window moves and sizes itself: a press within 6 pixels of an edge
// resizes from that edge or corner (corners first, then left and right, then top and bottom), a
// press elsewhere moves it. Its two echogram settings live in [ECHOGRAM].
#include <Qt>

namespace vsx {

class IniFile;

inline constexpr int kWaterfallEdgeBand = 6;

// The edges a press at (x, y) in a window w by h pixels resizes; none inside.
Qt::Edges WaterfallEdgesAt(int x, int y, int w, int h);
// The mouse cursor shown over (x, y) while no move is in progress.
Qt::CursorShape WaterfallCursorFor(Qt::Edges edges);

struct EchogramSettings {
    int dataWidth = 50;  // samples drawn
    int interval = 100;  // the echogram timer's interval, ms; below 1 the timer stands still
};
EchogramSettings ReadEchogramSettings(const IniFile& ini);
void WriteEchogramSettings(IniFile& ini, const EchogramSettings& s);

} // namespace vsx
