// Writing the project drawing file: the keyword text and its compressed, atomic save.
#include "canvas/ProjectFile.h"

#include "canvas/FileNumbers.h"
#include "canvas/ProjectFileContainer.h"
#include "canvas/ProjectFileText.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace vsx {

namespace {

using filenum::appendFixed;
using filenum::appendInt;

constexpr std::size_t kPieceBytes = 1 << 20;

// Whether every layer name and text fits the 8-bit code page; otherwise the file is written in
// UTF-8 and says so in a comment line, so no character is lost.
bool needsUtf8(const CanvasModel& model, bool selectedOnly)
{
    for (const CanvasLayer* layer : model.Layers())
        if (!fitsCp1254(layer->Name)) return true;
    for (const TVShape* s : model.Shapes()) {
        if (selectedOnly && !s->Selected) continue;
        if (const auto* t = dynamic_cast<const TVText*>(s))
            if (!fitsCp1254(t->Text) || !fitsCp1254(t->FontName)) return true;
    }
    return false;
}

class TextBuilder {
public:
    TextBuilder(const std::function<void(std::string_view)>& sink, bool utf8) : sink_(sink), utf8_(utf8)
    {
        buf_.reserve(kPieceBytes + 4096);
    }
    ~TextBuilder() = default;

    void keyword(const char* k) { buf_ += k; }
    void num(double v)
    {
        buf_ += ' ';
        appendFixed(buf_, v);
    }
    void integer(long long v)
    {
        buf_ += ' ';
        appendInt(buf_, v);
    }
    // A vertex line: "x y".
    void vertex(const WorldPoint& p)
    {
        appendFixed(buf_, p.X);
        buf_ += ' ';
        appendFixed(buf_, p.Y);
        endLine();
    }
    // A free text field: one line, in the file's code page.
    void text(std::string_view utf8) { buf_ += projectFieldText(utf8, utf8_); }
    // A font name as one word.
    void font(std::string_view utf8) { buf_ += projectFontWord(utf8, utf8_); }
    void raw(std::string_view s) { buf_ += s; }
    void endLine()
    {
        buf_ += '\n';
        if (buf_.size() >= kPieceBytes) flush();
    }
    void flush()
    {
        if (!buf_.empty()) sink_(buf_);
        buf_.clear();
    }

private:
    const std::function<void(std::string_view)>& sink_;
    bool utf8_;
    std::string buf_;
};

void writeHeader(TextBuilder& out, const CanvasModel& model, bool utf8)
{
    const LocalDateTime t = localNow();
    out.raw("# Veldor Tolvane - VLT\n");
    out.raw("# Survey drawing of Veldor Sondrix\n");
    out.raw("# Created on: " + std::to_string(t.year) + "-" + formatPadded(t.month, 2) + "-" + formatPadded(t.day, 2) + " " +
            formatPadded(t.hour, 2) + ":" + formatPadded(t.minute, 2) + ":" + formatPadded(t.second, 2) + "." +
            formatPadded(t.millisecond / 10, 2) + "\n");
    out.raw("#\n");
    if (utf8) out.raw(std::string(ProjectUtf8Comment) + "\n");
    out.keyword("WORLD");
    out.num(model.WorldXMin());
    out.num(model.WorldXMax());
    out.num(model.WorldYMin());
    out.num(model.WorldYMax());
    out.endLine();
    for (const CanvasLayer* layer : model.Layers()) {
        out.keyword("LAYER");
        out.integer(layer->Id);
        out.raw(" ");
        out.text(layer->Name);
        out.endLine();
    }
}

void writeStyle(TextBuilder& out, const TVShape& s, ColorValue c)
{
    out.integer(s.LayerId);
    out.integer(c);
    out.integer(s.PenWidth);
}

void writeShape(TextBuilder& out, const TVShape& shape, bool selectedOnly)
{
    const ColorValue c = selectedOnly ? ColorValue(255) : shape.PenColor;
    switch (shape.ShapeType) {
    case shapecode::Rectangle:
    case shapecode::RoundRect:
        if (const auto* r = dynamic_cast<const TVRectangle*>(&shape)) {
            out.keyword("RECTANGLE");
            out.num(r->X1), out.num(r->Y1), out.num(r->X2), out.num(r->Y2);
            writeStyle(out, shape, c);
            out.integer(shape.BrushColor);
            out.integer(shape.BrushStyle);
            out.num(r->Value);
            // A rounded rectangle adds its flag and corner radius; older readers ignore them.
            if (r->Rounded) {
                out.integer(1);
                out.num(r->CornerRadius);
            }
            out.endLine();
        }
        break;
    case shapecode::Line:
        if (const auto* l = dynamic_cast<const TVLine*>(&shape)) {
            out.keyword("LINE");
            out.num(l->X1), out.num(l->Y1), out.num(l->X2), out.num(l->Y2);
            writeStyle(out, shape, c);
            out.endLine();
        }
        break;
    case 4:
    case shapecode::Ellipse:
        if (const auto* e = dynamic_cast<const TVEllipse*>(&shape)) {
            out.keyword("ELLIPSE");
            out.num(e->X1), out.num(e->Y1), out.num(e->X2), out.num(e->Y2);
            writeStyle(out, shape, c);
            out.endLine();
        }
        break;
    case shapecode::Circle:
        if (const auto* ci = dynamic_cast<const TVCircle*>(&shape)) {
            out.keyword("CIRCLE");
            out.num(ci->CX), out.num(ci->CY), out.num(ci->R);
            writeStyle(out, shape, c);
            out.endLine();
        }
        break;
    case shapecode::Point:
        if (const auto* p = dynamic_cast<const TVPoint*>(&shape)) {
            out.keyword("POINT");
            out.num(p->X), out.num(p->Y);
            writeStyle(out, shape, c);
            out.num(p->Z);
            out.endLine();
        }
        break;
    case shapecode::Text:
        if (const auto* t = dynamic_cast<const TVText*>(&shape)) {
            out.keyword("TEXT");
            out.num(t->X), out.num(t->Y);
            out.integer(shape.LayerId);
            out.integer(t->FontIndex);
            out.integer(c);
            out.num(t->Height);
            out.num(t->Angle);
            out.integer(t->Bold ? 1 : 0);
            out.integer(t->Italic ? 1 : 0);
            out.raw(" ");
            out.font(t->FontName);
            out.raw(" ");
            out.text(t->Text);
            out.endLine();
        }
        break;
    case shapecode::Polyline:
    case shapecode::Polygon:
    case shapecode::Spline:
    case shapecode::Arc:
        if (const auto* pl = dynamic_cast<const TVPolyline*>(&shape)) {
            const char* keyword = shape.ShapeType == shapecode::Spline ? "SPLINE"
                                  : shape.ShapeType == shapecode::Arc  ? "ARC3P"
                                  : pl->Closed                         ? "POLYGON"
                                                                       : "POLYLINE";
            out.keyword(keyword);
            out.integer(shape.LayerId);
            out.integer(static_cast<long long>(pl->Vertices.size()));
            out.integer(c);
            out.integer(shape.PenWidth);
            out.endLine();
            for (const WorldPoint& v : pl->Vertices) out.vertex(v);
        } else if (const auto* a = dynamic_cast<const TVArc*>(&shape)) {
            // The reader always knew ARC; the writer used to drop these arcs.
            out.keyword("ARC");
            out.num(a->X1), out.num(a->Y1), out.num(a->X2), out.num(a->Y2), out.num(a->X3), out.num(a->Y3);
            writeStyle(out, shape, c);
            out.endLine();
        }
        break;
    default:
        break;  // types 7, 9, 12 to 16 and 18 have no record
    }
}

}  // namespace

void WriteProjectDrawingText(const CanvasModel& model, bool selectedOnly, const std::function<void(std::string_view)>& sink)
{
    const bool utf8 = needsUtf8(model, selectedOnly);
    TextBuilder out(sink, utf8);
    writeHeader(out, model, utf8);
    for (const TVShape* s : model.Shapes()) {
        if (selectedOnly && !s->Selected) continue;
        writeShape(out, *s, selectedOnly);
    }
    out.flush();
}

std::string ProjectDrawingText(const CanvasModel& model, bool selectedOnly)
{
    std::string text;
    WriteProjectDrawingText(model, selectedOnly, [&text](std::string_view piece) { text += piece; });
    return text;
}

bool SaveShapeFile(const CanvasModel& model, const std::string& path, int, bool selectedOnly)
{
    AtomicFileWriter file(path);
    if (!file.isOpen()) throw DrawingFileError("The drawing file " + path + " cannot be written: " + file.error());
    ProjectFileDeflater deflater(file);
    WriteProjectDrawingText(model, selectedOnly, [&deflater](std::string_view piece) { deflater.write(piece); });
    if (!deflater.finish()) throw DrawingFileError("The drawing file " + path + " cannot be written: " + deflater.error());
    if (!file.commit()) throw DrawingFileError("The drawing file " + path + " cannot be written: " + file.error());
    return true;
}

}  // namespace vsx
