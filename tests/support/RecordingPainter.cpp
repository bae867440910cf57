#include "RecordingPainter.h"

namespace vsx::test {

std::string PaintCall::str() const
{
    std::string s = Op + "(";
    for (std::size_t i = 0; i < Args.size(); ++i) s += (i ? "," : "") + std::to_string(Args[i]);
    if (!Text.empty()) s += (Args.empty() ? "\"" : ",\"") + Text + "\"";
    return s + ")";
}

std::string RecordingPainter::trace() const
{
    std::string out;
    for (const PaintCall& c : Calls) out += (out.empty() ? "" : " ") + c.str();
    return out;
}

std::vector<int> RecordingPainter::flatten(const std::vector<GdiPoint>& p)
{
    std::vector<int> v;
    for (const GdiPoint& g : p) v.insert(v.end(), {g.X, g.Y});
    return v;
}

void RecordingPainter::record(std::string op, std::vector<int> args, std::string text)
{
    Calls.push_back({std::move(op), std::move(args), std::move(text), pen_, penWidth_, penStyle_, brush_, brushStyle_, font_});
}

void RecordingPainter::SetPixel(int x, int y, ColorValue c)
{
    record("SetPixel", {x, y});
    Calls.back().PenColor = c;
}

void RecordingPainter::TextOut(int x, int y, std::string_view s) { record("TextOut", {x, y}, std::string(s)); }

} // namespace vsx::test
