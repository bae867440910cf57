#include "nav/KmlWriter.h"

#include "canvas/FileNumbers.h"
#include "nav/KmlText.h"
#include "platform/Numbers.h"

#include <cmath>

namespace vsx {

namespace {

constexpr const char* kStyles[] = {"#trackFix", "#trackFloat", "#trackNofix", "#trackOther"};
constexpr int kSkipLayer = -1;
constexpr int kOtherStyle = 3;

// KML's opaque aabbggrr for a colour number 0x00BBGGRR.
std::string kmlColor(ColorValue c)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "ff";
    for (int shift = 20; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    return out;
}

// Collects one document, lines joined by CR LF.
class Document {
public:
    void line(std::string_view text)
    {
        out_.append(text);
        out_ += "\r\n";
    }
    std::string& buffer() { return out_; }

private:
    std::string out_;
};

class Exporter {
public:
    Exporter(const CanvasModel& model, const KmlExportInput& in) : model_(model), in_(in)
    {
        // Style index per layer id, or kSkipLayer for the grid and the vessel.
        for (const CanvasLayer* l : model.Layers()) {
            if (l->Id < 0) continue;
            if (std::size_t(l->Id) >= layerStyle_.size()) layerStyle_.resize(std::size_t(l->Id) + 1, kOtherStyle);
            int style = kOtherStyle;
            if (IsLoopDrawnLayer(l->Name)) style = kSkipLayer;
            else if (l->Name == "track_fix") style = 0;
            else if (l->Name == "track_float") style = 1;
            else if (l->Name == "track_nofix") style = 2;
            layerStyle_[std::size_t(l->Id)] = style;
        }
    }

    KmlExportResult run()
    {
        std::string& out = doc_.buffer();
        out.reserve(64 * 1024 + std::size_t(model_.ShapeCount()) * 160);
        out += "\xEF\xBB\xBF";
        doc_.line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        doc_.line("<kml xmlns=\"http://www.opengis.net/kml/2.2\">");
        doc_.line("<Document>");
        doc_.line("<name>" + EscapeXmlText(in_.documentName) + "</name>");
        const struct {
            const char* id;
            ColorValue colour;
        } lineStyles[] = {{"trackFix", in_.trackColorFixed}, {"trackFloat", in_.trackColorFloat},
                          {"trackNofix", clRed}, {"trackOther", clFuchsia}};
        for (const auto& s : lineStyles)
            doc_.line(std::string("<Style id=\"") + s.id + "\"><LineStyle><color>" + kmlColor(s.colour) +
                      "</color><width>2</width></LineStyle></Style>");
        doc_.line("<Style id=\"depthStyle\"><IconStyle><scale>0.5</scale><Icon><href>" + icon("shaded_dot.png") +
                  "</href></Icon></IconStyle></Style>");
        doc_.line("<Style id=\"pointStyle\"><IconStyle><scale>0.6</scale><Icon><href>" +
                  icon("placemark_circle.png") + "</href></Icon></IconStyle></Style>");

        for (const TVShape* s : model_.Shapes()) shape(*s);
        for (const SoundingPoint& p : model_.Soundings()) {
            double lat = 0, lon = 0;
            if (!convert(p.X, p.Y, lat, lon)) {
                ++result_.skippedShapes;
                continue;
            }
            pointPlacemark(KmlDepthText(p.Z) + "m", "#depthStyle", lat, lon);
            ++result_.depthPoints;
        }
        if (in_.vessel && (in_.vessel->first != 0 || in_.vessel->second != 0)) {
            double lat = 0, lon = 0;
            if (convert(in_.vessel->first, in_.vessel->second, lat, lon)) {
                doc_.line("<Placemark>");
                doc_.line("<name>Vessel</name>");
                doc_.line("<Style><IconStyle><Icon><href>" + icon("sailing.png") + "</href></Icon></IconStyle></Style>");
                pointGeometry(lat, lon);
                doc_.line("</Placemark>");
            } else {
                ++result_.skippedShapes;
            }
        }
        doc_.line("</Document>");
        doc_.line("</kml>");
        result_.bytes = std::move(doc_.buffer());
        return std::move(result_);
    }

private:
    std::string icon(const char* file) const { return in_.iconHost + "/mapfiles/kml/shapes/" + file; }

    bool convert(double e, double n, double& lat, double& lon)
    {
        if (!in_.toLatLon || !std::isfinite(e) || !std::isfinite(n) || !in_.toLatLon(e, n, lat, lon) ||
            !std::isfinite(lat) || !std::isfinite(lon) || std::fabs(lat) > 90 || std::fabs(lon) > 360) {
            ++result_.skippedPositions;
            return false;
        }
        return true;
    }

    void appendLonLat(std::string& out, double lat, double lon)
    {
        filenum::appendFixed(out, lon, 8);
        out += ',';
        filenum::appendFixed(out, lat, 8);
        out += ",0";
    }

    void pointGeometry(double lat, double lon)
    {
        doc_.line("<Point>");
        std::string& out = doc_.buffer();
        out += "<coordinates>";
        appendLonLat(out, lat, lon);
        doc_.line("</coordinates>");
        doc_.line("</Point>");
    }

    void pointPlacemark(const std::string& name, const char* style, double lat, double lon)
    {
        doc_.line("<Placemark>");
        doc_.line("<name>" + name + "</name>");
        doc_.line(std::string("<styleUrl>") + style + "</styleUrl>");
        pointGeometry(lat, lon);
        doc_.line("</Placemark>");
    }

    std::string trackName() { return "Track_" + std::to_string(result_.tracks++); }

    void shape(const TVShape& s)
    {
        const int style = s.LayerId >= 0 && std::size_t(s.LayerId) < layerStyle_.size()
                              ? layerStyle_[std::size_t(s.LayerId)]
                              : kOtherStyle;
        if (style == kSkipLayer) return;
        if (const auto* line = dynamic_cast<const TVLine*>(&s)) {
            vertices_.clear();
            vertex(line->X1, line->Y1);
            vertex(line->X2, line->Y2);
            lineString(style, true);
        } else if (const auto* point = dynamic_cast<const TVPoint*>(&s)) {
            double lat = 0, lon = 0;
            if (!convert(point->X, point->Y, lat, lon)) {
                ++result_.skippedShapes;
                return;
            }
            pointPlacemark("Point_" + std::to_string(result_.tracks++), "#pointStyle", lat, lon);
        } else if (const auto* text = dynamic_cast<const TVText*>(&s)) {
            double lat = 0, lon = 0;
            if (!convert(text->X, text->Y, lat, lon)) {
                ++result_.skippedShapes;
                return;
            }
            pointPlacemark(EscapeXmlText(text->Text), "#pointStyle", lat, lon);
        } else if (const auto* poly = dynamic_cast<const TVPolyline*>(&s)) {
            if (poly->Vertices.size() < 2) return;
            vertices_.clear();
            for (const WorldPoint& v : poly->Vertices) vertex(v.X, v.Y);
            lineString(style, false);
        }
    }

    void vertex(double e, double n)
    {
        double lat = 0, lon = 0;
        if (convert(e, n, lat, lon)) vertices_.push_back({lat, lon});
    }

    // A placemark through the converted vertices as the shape holds them (a closed figure is
    // not closed again). A line's two coordinates stay on the element's own line; a polyline's
    // get a line of their own.
    void lineString(int style, bool oneLine)
    {
        if (vertices_.size() < 2) {
            ++result_.skippedShapes;
            return;
        }
        doc_.line("<Placemark>");
        doc_.line("<name>" + trackName() + "</name>");
        doc_.line(std::string("<styleUrl>") + kStyles[style] + "</styleUrl>");
        doc_.line("<LineString>");
        std::string& out = doc_.buffer();
        if (oneLine) out += "<coordinates>";
        else doc_.line("<coordinates>");
        for (std::size_t i = 0; i < vertices_.size(); ++i) {
            if (i) out += ' ';
            appendLonLat(out, vertices_[i].X, vertices_[i].Y);
        }
        if (!oneLine) doc_.line("");
        doc_.line("</coordinates>");
        doc_.line("</LineString>");
        doc_.line("</Placemark>");
    }

    const CanvasModel& model_;
    const KmlExportInput& in_;
    Document doc_;
    KmlExportResult result_;
    std::vector<int> layerStyle_;
    std::vector<WorldPoint> vertices_;  // latitude in X, longitude in Y
};

} // namespace

std::string KmlDepthText(double depth) { return formatFixedPrecision(depth, 5, 2); }

KmlExportResult BuildKmlDocument(const CanvasModel& model, const KmlExportInput& input)
{
    return Exporter(model, input).run();
}

} // namespace vsx
