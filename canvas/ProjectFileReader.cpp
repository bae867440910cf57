// Reading the project drawing file. The whole text is parsed into a staging list first; the
// canvas is changed only after that succeeded, so a damaged file leaves the drawing as it was.
#include "canvas/ProjectFile.h"

#include "canvas/FileNumbers.h"
#include "canvas/ProjectFileContainer.h"
#include "canvas/ProjectFileText.h"
#include "platform/AtomicFile.h"

#include <filesystem>
#include <unordered_map>

namespace vsx {

namespace {

using Fields = filenum::FieldReader;

// How the canvas's Add operation would have dressed a shape from its layer.
enum class AddRule : std::uint8_t { None, Line, Circle, Text };

struct StagedShape {
    std::unique_ptr<TVShape> shape;  // LayerId still holds the file's layer id
    AddRule rule = AddRule::None;
    bool colourGiven = false;        // C was not 0
    bool fontGiven = false;          // a TEXT record named its font
};

// A LAYER or WORLD line, applied before the shape at `beforeShape`.
struct StagedEvent {
    std::size_t beforeShape = 0;
    bool world = false;
    std::int32_t fileId = 0;
    std::string name;
    double w[4] = {0, 0, 0, 0};
};

struct StagedDrawing {
    std::vector<StagedShape> shapes;
    std::vector<StagedEvent> events;
    bool utf8 = false;
};


void applyColour(TVShape& s, ColorValue c, std::int32_t w, StagedShape& staged)
{
    if (c != 0) {
        s.PenColor = c;
        s.PenWidth = w;
        staged.colourGiven = true;
    }
}

// Reads one record into `out`; false when the keyword is not a drawing record. `Lines` hands out
// the text's lines (a LineReader, or InflatedLines while the file inflates).
template <class Lines>
bool parseRecord(std::string_view keyword, Fields& f, Lines& lines, StagedDrawing& out)
{
    StagedShape staged;
    if (keyword == "LAYER") {
        StagedEvent e;
        e.beforeShape = out.shapes.size();
        e.fileId = f.integer(0);
        f.skipBlanks();
        e.name = std::string(f.rest());
        out.events.push_back(std::move(e));
        return true;
    }
    if (keyword == "WORLD") {
        StagedEvent e;
        e.beforeShape = out.shapes.size();
        e.world = true;
        for (double& v : e.w) v = f.num(0);
        out.events.push_back(std::move(e));
        return true;
    }
    if (keyword == "LINE") {
        const double x1 = f.num(0), y1 = f.num(0), x2 = f.num(0), y2 = f.num(0);
        auto s = std::make_unique<TVLine>(x1, y1, x2, y2, f.integer(0));
        const ColorValue c = f.integer(0);
        applyColour(*s, c, f.integer(1), staged);
        staged.rule = AddRule::Line;
        staged.shape = std::move(s);
    } else if (keyword == "CIRCLE") {
        const double cx = f.num(0), cy = f.num(0), r = f.num(0);
        auto s = std::make_unique<TVCircle>(cx, cy, r, f.integer(0));
        const ColorValue c = f.integer(0);
        applyColour(*s, c, f.integer(1), staged);
        staged.rule = AddRule::Circle;
        staged.shape = std::move(s);
    } else if (keyword == "TEXT") {
        const double x = f.num(0), y = f.num(0);
        const std::int32_t layer = f.integer(0), fontIndex = f.integer(0);
        const ColorValue c = f.integer(0);
        const double height = f.num(10.0), angle = f.num(0);
        const std::int32_t bold = f.integer(0), italic = f.integer(0);
        const std::string_view fontWord = f.word();
        std::string_view text = f.rest();
        if (!text.empty() && text[0] == ' ') text.remove_prefix(1);
        auto s = std::make_unique<TVText>(x, y, std::string(text), fontIndex, layer);
        if (c != 0) {
            s->PenColor = c;
            staged.colourGiven = true;
        }
        s->Height = height;
        s->Angle = angle;
        s->Bold = bold != 0;
        s->Italic = italic != 0;
        if (!fontWord.empty() && fontWord != "0") {
            s->FontName = std::string(fontWord);  // decoded when applied
            staged.fontGiven = true;
        }
        staged.rule = AddRule::Text;
        staged.shape = std::move(s);
    } else if (keyword == "POINT") {
        const double x = f.num(0), y = f.num(0);
        const std::int32_t layer = f.integer(0);
        const ColorValue c = f.integer(0);
        const std::int32_t w = f.integer(1);
        auto s = std::make_unique<TVPoint>(x, y, layer, 3, f.num(0));
        s->PenColor = c;
        s->PenWidth = w;
        staged.shape = std::move(s);
    } else if (keyword == "RECTANGLE") {
        const double x1 = f.num(0), y1 = f.num(0), x2 = f.num(0), y2 = f.num(0);
        const std::int32_t layer = f.integer(0);
        const ColorValue c = f.integer(0);
        const std::int32_t w = f.integer(1);
        const ColorValue brushColor = f.integer(0);
        const std::int32_t brushStyle = f.integer(0);
        const double value = f.num(0);
        // Our own addition: a rounded rectangle's flag and corner radius.
        const bool rounded = f.integer(0) != 0;
        const double radius = f.num(10.0);
        auto s = std::make_unique<TVRectangle>(x1, y1, x2, y2, layer, rounded);
        s->PenColor = c;
        s->PenWidth = w;
        s->BrushColor = brushColor;
        s->BrushStyle = std::uint8_t(brushStyle);
        s->Value = value;
        s->CornerRadius = radius;
        staged.shape = std::move(s);
    } else if (keyword == "ELLIPSE") {
        const double x1 = f.num(0), y1 = f.num(0), x2 = f.num(0), y2 = f.num(0);
        auto s = std::make_unique<TVEllipse>(x1, y1, x2, y2, f.integer(0));
        const ColorValue c = f.integer(0);
        applyColour(*s, c, f.integer(1), staged);
        staged.shape = std::move(s);
    } else if (keyword == "ARC") {
        double p[6];
        for (double& v : p) v = f.num(0);
        auto s = std::make_unique<TVArc>(p[0], p[1], p[2], p[3], p[4], p[5], f.integer(0));
        const ColorValue c = f.integer(0);
        applyColour(*s, c, f.integer(1), staged);
        staged.shape = std::move(s);
    } else if (keyword == "POLYLINE" || keyword == "POLYGON" || keyword == "SPLINE" || keyword == "ARC3P") {
        const std::int32_t type = keyword == "POLYLINE"  ? shapecode::Polyline
                                  : keyword == "POLYGON" ? shapecode::Polygon
                                  : keyword == "SPLINE"  ? shapecode::Spline
                                                         : shapecode::Arc;
        auto s = std::make_unique<TVPolyline>(type, f.integer(0));
        const std::int32_t n = f.integer(0);
        const ColorValue c = f.integer(0);
        applyColour(*s, c, f.integer(1), staged);
        // The next n lines are vertices, whatever they hold; the count is never trusted for memory.
        std::string_view line;
        for (std::int32_t i = 0; i < n && lines.next(line); ++i) {
            Fields v(line);
            const double x = v.num(0);
            s->AddVertex(x, v.num(0));
        }
        staged.shape = std::move(s);
    } else {
        return false;
    }
    out.shapes.push_back(std::move(staged));
    return true;
}

template <class Lines>
StagedDrawing parseDrawing(Lines& lines, const std::string& fileName)
{
    StagedDrawing out;
    std::string_view line;
    std::size_t records = 0, otherLines = 0;
    while (lines.next(line)) {
        if (line.empty()) continue;
        if (line[0] == '#') {
            if (line == ProjectUtf8Comment) out.utf8 = true;
            continue;
        }
        Fields f(line);
        const std::string_view keyword = f.word();
        if (parseRecord(keyword, f, lines, out))
            ++records;
        else
            ++otherLines;
    }
    // Every file the program writes holds at least the WORLD line; one without any record is an
    // interrupted save of an older version or another program's file, and must not clear the drawing.
    if (records == 0) {
        const std::string file = fileName.empty() ? std::string("The file") : "The file " + fileName;
        throw DrawingFileError(otherLines > 0 ? file + " is not a drawing file: it holds no drawing record"
                                              : file + " is empty: it holds no drawing");
    }
    return out;
}

int defaultLayerOf(const CanvasModel& model) { return model.FindLayer(CanvasModel::DefaultLayerName); }

void applyShape(CanvasModel& model, StagedShape& staged, const std::unordered_map<std::int32_t, int>& layerMap, bool utf8)
{
    TVShape& s = *staged.shape;
    // A layer id the file never declared goes to "Default", never onto an unrelated layer.
    const auto it = layerMap.find(s.LayerId);
    s.LayerId = it != layerMap.end() ? it->second : defaultLayerOf(model);
    static const CanvasLayer kNoLayer;
    const CanvasLayer* found = model.FindLayerById(s.LayerId);
    const CanvasLayer& layer = found ? *found : kNoLayer;

    switch (staged.rule) {
    case AddRule::None:
        break;
    case AddRule::Circle:
        s.BrushColor = layer.BrushColor;
        s.BrushStyle = layer.BrushStyle;
        [[fallthrough]];
    case AddRule::Line:
        if (!staged.colourGiven) {
            s.PenColor = layer.PenColor;
            s.PenWidth = layer.PenWidth;
        }
        break;
    case AddRule::Text: {
        auto& t = static_cast<TVText&>(s);
        if (!staged.colourGiven) t.PenColor = layer.PenColor;
        t.HAlign = model.DefaultTextHAlign();
        t.VAlign = model.DefaultTextVAlign();
        const auto& fonts = model.TextFonts();
        if (staged.fontGiven)
            t.FontName = projectFontFromWord(t.FontName, utf8);
        else if (t.FontIndex >= 0 && std::size_t(t.FontIndex) < fonts.size())
            t.FontName = fonts[std::size_t(t.FontIndex)].Name;
        t.Text = projectTextFromFile(t.Text, utf8);
        t.Label = t.Text;
        t.UpdateBounds();
        break;
    }
    }
    model.AppendShape(std::move(staged.shape));
}

void applyDrawing(CanvasModel& model, StagedDrawing& drawing, int mode)
{
    if (mode == 0) model.ClearAll();
    std::unordered_map<std::int32_t, int> layerMap;
    std::size_t ev = 0;
    auto applyEventsBefore = [&](std::size_t shapeIndex) {
        for (; ev < drawing.events.size() && drawing.events[ev].beforeShape <= shapeIndex; ++ev) {
            const StagedEvent& e = drawing.events[ev];
            if (e.world)
                model.SetWorldWindow(e.w[0], e.w[3], e.w[1], e.w[2]);
            else
                layerMap[e.fileId] = model.AddLayer(projectTextFromFile(e.name, drawing.utf8));
        }
    };
    {
        struct Appending {
            CanvasModel& m;
            ~Appending() { m.EndAppending(); }
        } appending{model};
        model.BeginAppending(drawing.shapes.size());
        for (std::size_t i = 0; i < drawing.shapes.size(); ++i) {
            applyEventsBefore(i);
            applyShape(model, drawing.shapes[i], layerMap, drawing.utf8);
        }
    }
    applyEventsBefore(drawing.shapes.size());
    model.Redraw();
}

}  // namespace

void LoadProjectDrawingText(CanvasModel& model, std::string_view text, int mode, const std::string& fileName)
{
    filenum::LineReader lines(text);
    StagedDrawing drawing = parseDrawing(lines, fileName);
    applyDrawing(model, drawing, mode);
}

void LoadProjectFileBytes(CanvasModel& model, std::string_view bytes, int mode, const std::string& fileName)
{
    if (bytes.substr(0, ProjectFileMagic.size()) != ProjectFileMagic) return LoadProjectDrawingText(model, bytes, mode, fileName);
    InflatedLines lines(bytes.substr(ProjectFileMagic.size()), fileName);
    StagedDrawing drawing;
    try {
        drawing = parseDrawing(lines, fileName);
    } catch (const DrawingFileError&) {
        lines.finish();  // a damaged stream says so rather than "holds no drawing"
        throw;
    }
    lines.finish();
    applyDrawing(model, drawing, mode);
}

bool LoadShapeFile(CanvasModel& model, const std::string& path, int, int, int mode)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return false;
    std::string bytes;
    if (std::filesystem::is_directory(path, ec) || !readFile(path, bytes))
        throw DrawingFileError("The drawing file " + path + " cannot be read");
    LoadProjectFileBytes(model, bytes, mode, path);
    return true;
}

}  // namespace vsx
