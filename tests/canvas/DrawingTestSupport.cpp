#include "DrawingTestSupport.h"

#include "canvas/FileNumbers.h"


namespace vsx::test {

namespace {

std::string num(double v)
{
    std::string s;
    filenum::appendFixed(s, v, 6);
    return s;
}

std::string style(const TVShape& s)
{
    return " L" + std::to_string(s.LayerId) + " c" + std::to_string(s.PenColor) + " w" + std::to_string(s.PenWidth) +
           " |";
}

}  // namespace

std::string describeShape(const CanvasModel&, const TVShape& s)
{
    if (const auto* r = dynamic_cast<const TVRectangle*>(&s))
        return "RECTANGLE t" + std::to_string(s.ShapeType) + style(s) + " " + num(r->X1) + " " + num(r->Y1) + " " +
               num(r->X2) + " " + num(r->Y2) + " brush " + std::to_string(s.BrushColor) + "/" +
               std::to_string(s.BrushStyle) + " value " + num(r->Value) +
               (r->Rounded ? " radius " + num(r->CornerRadius) : std::string());
    if (const auto* l = dynamic_cast<const TVLine*>(&s))
        return "LINE" + style(s) + " " + num(l->X1) + " " + num(l->Y1) + " " + num(l->X2) + " " + num(l->Y2);
    if (const auto* e = dynamic_cast<const TVEllipse*>(&s))
        return "ELLIPSE" + style(s) + " " + num(e->X1) + " " + num(e->Y1) + " " + num(e->X2) + " " + num(e->Y2);
    if (const auto* c = dynamic_cast<const TVCircle*>(&s))
        return "CIRCLE" + style(s) + " " + num(c->CX) + " " + num(c->CY) + " " + num(c->R);
    if (const auto* p = dynamic_cast<const TVPoint*>(&s))
        return "POINT" + style(s) + " " + num(p->X) + " " + num(p->Y) + " z " + num(p->Z);
    if (const auto* t = dynamic_cast<const TVText*>(&s))
        return "TEXT L" + std::to_string(s.LayerId) + " c" + std::to_string(s.PenColor) + " | " + num(t->X) + " " +
               num(t->Y) + " font#" + std::to_string(t->FontIndex) + " '" + t->FontName + "' h " + num(t->Height) +
               " a " + num(t->Angle) + " b" + std::to_string(t->Bold) + " i" + std::to_string(t->Italic) + " [" +
               t->Text + "]";
    if (const auto* pl = dynamic_cast<const TVPolyline*>(&s)) {
        std::string out = "POLY t" + std::to_string(s.ShapeType) + " closed" + std::to_string(pl->Closed) + style(s);
        for (const WorldPoint& v : pl->Vertices) out += " " + num(v.X) + "," + num(v.Y);
        return out;
    }
    if (const auto* a = dynamic_cast<const TVArc*>(&s))
        return "ARC" + style(s) + " " + num(a->X1) + " " + num(a->Y1) + " " + num(a->X2) + " " + num(a->Y2) + " " +
               num(a->X3) + " " + num(a->Y3);
    return "UNKNOWN " + std::to_string(s.ShapeType);
}

std::vector<std::string> describeDrawing(const CanvasModel& model)
{
    std::vector<std::string> out;
    for (const TVShape* s : model.Shapes()) out.push_back(describeShape(model, *s));
    return out;
}

std::vector<std::string> describeLayers(const CanvasModel& model)
{
    std::vector<std::string> out;
    for (const CanvasLayer* l : model.Layers()) out.push_back(std::to_string(l->Id) + " " + l->Name);
    return out;
}

}  // namespace vsx::test
