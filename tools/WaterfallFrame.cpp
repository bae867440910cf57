#include "tools/WaterfallFrame.h"

#include "platform/IniFile.h"

namespace vsx {

Qt::Edges WaterfallEdgesAt(int x, int y, int w, int h)
{
    const int b = kWaterfallEdgeBand;
    const bool left = x < b, right = x >= w - b, top = y < b, bottom = y >= h - b;
    if (left && top) return Qt::LeftEdge | Qt::TopEdge;
    if (right && top) return Qt::RightEdge | Qt::TopEdge;
    if (left && bottom) return Qt::LeftEdge | Qt::BottomEdge;
    if (right && bottom) return Qt::RightEdge | Qt::BottomEdge;
    if (left) return Qt::LeftEdge;
    if (right) return Qt::RightEdge;
    if (top) return Qt::TopEdge;
    if (bottom) return Qt::BottomEdge;
    return {};
}

Qt::CursorShape WaterfallCursorFor(Qt::Edges e)
{
    if (e == (Qt::LeftEdge | Qt::TopEdge) || e == (Qt::RightEdge | Qt::BottomEdge)) return Qt::SizeFDiagCursor;
    if (e == (Qt::RightEdge | Qt::TopEdge) || e == (Qt::LeftEdge | Qt::BottomEdge)) return Qt::SizeBDiagCursor;
    if (e & (Qt::LeftEdge | Qt::RightEdge)) return Qt::SizeHorCursor;
    if (e & (Qt::TopEdge | Qt::BottomEdge)) return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

EchogramSettings ReadEchogramSettings(const IniFile& ini)
{
    EchogramSettings s;
    s.dataWidth = ini.readInteger("ECHOGRAM", "DataWidth", s.dataWidth);
    s.interval = ini.readInteger("ECHOGRAM", "Interval", s.interval);
    return s;
}

void WriteEchogramSettings(IniFile& ini, const EchogramSettings& s)
{
    ini.writeInteger("ECHOGRAM", "DataWidth", s.dataWidth);
    ini.writeInteger("ECHOGRAM", "Interval", s.interval);
}

} // namespace vsx
