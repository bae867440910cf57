#include "canvas/DxfExport.h"

#include "DrawingTestSupport.h"
#include "canvas/DxfImport.h"
#include "platform/AtomicFile.h"
#include "support/MissingPeer.h"
#include "support/TempHome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <initializer_list>

using namespace vsx;
using vsx::test::TempHome;

namespace {

std::string crlf(std::initializer_list<std::pair<const char*, std::string>> pairs)
{
    std::string out;
    for (const auto& [code, value] : pairs) out += std::string(code) + "\r\n" + value + "\r\n";
    return out;
}

std::string dxfText(const CanvasModel& m, DxfExportSummary* summary = nullptr)
{
    std::string out;
    WriteDxfR12(m, [&out](std::string_view piece) { out += piece; }, summary);
    return out;
}

// Two layers in use plus a hidden shape's layer; one shape of each kind the export writes.
void buildFixture(CanvasModel& m)
{
    const int survey = m.AddLayer("Survey");
    const int coast = m.AddLayer("Kıyı/Çizgi");
    const int hidden = m.AddLayer("Hidden");
    m.AddLine(500000.5, 4500000.25, 500010, 4500005, survey);
    m.AddPolyline({{0, 0}, {4, 0}, {4, 3}}, coast, 1);
    m.AddText(survey, "Şamandıra\n2", 1, 2, 0);
    static_cast<TVText*>(m.ShapeForUpdate(m.GetShapeIds().back()))->Height = 0;
    const int p = m.AddPoint(7, 8, hidden);
    m.ShapeForUpdate(p)->Visible = false;
    m.AddEllipse(0, 0, 4, 4, survey);
    m.AddRectangle(1, 2, 3, 4, 0);
    const int t = m.AddText(coast, "Liman", 5, 6, 0);
    static_cast<TVText*>(m.ShapeForUpdate(t))->Angle = 30;
    m.AddPolyline({{1, 1}, {2, 2}}, survey, 0);
    m.AddCircle(10, 20, 3, survey);
    m.SetWorldWindow(-10, 50, 100, -20);
}

}  // namespace

TEST(DxfExport, ReleaseTwelveLayoutByteForByte)
{
    CanvasModel m;
    buildFixture(m);
    DxfExportSummary summary;
    const std::string got = dxfText(m, &summary);
    std::string want = crlf({{"0", "SECTION"}, {"2", "HEADER"}, {"9", "$ACADVER"}, {"1", "AC1009"}, {"9", "$DWGCODEPAGE"},
                             {"3", "ANSI_1254"}, {"9", "$INSBASE"}, {"10", "0.0"}, {"20", "0.0"}, {"30", "0.0"},
                             {"9", "$EXTMIN"}, {"10", "-10.000000"}, {"20", "-20.000000"}, {"30", "0.0"},
                             {"9", "$EXTMAX"}, {"10", "100.000000"}, {"20", "50.000000"}, {"30", "0.0"},
                             {"0", "ENDSEC"},
                             {"0", "SECTION"}, {"2", "TABLES"}, {"0", "TABLE"}, {"2", "LAYER"}, {"70", "4"}});
    for (const char* name : {"Survey", "K\xFDy\xFD_\xC7izgi", "Hidden", "Default"})
        want += crlf({{"0", "LAYER"}, {"2", name}, {"70", "0"}, {"62", "7"}, {"6", "CONTINUOUS"}});
    want += crlf({{"0", "ENDTAB"}, {"0", "ENDSEC"}, {"0", "SECTION"}, {"2", "ENTITIES"},
                  {"0", "LINE"}, {"8", "Survey"}, {"10", "500000.500000"}, {"20", "4500000.250000"}, {"30", "0.0"},
                  {"11", "500010.000000"}, {"21", "4500005.000000"}, {"31", "0.0"},
                  {"0", "POLYLINE"}, {"8", "K\xFDy\xFD_\xC7izgi"}, {"66", "1"}, {"70", "1"}});
    const std::pair<const char*, const char*> coastVertices[] = {{"0.000000", "0.000000"}, {"4.000000", "0.000000"}, {"4.000000", "3.000000"}};
    for (const auto& [x, y] : coastVertices)
        want += crlf({{"0", "VERTEX"}, {"8", "K\xFDy\xFD_\xC7izgi"}, {"10", x}, {"20", y}, {"30", "0.0"}});
    want += crlf({{"0", "SEQEND"}, {"8", "K\xFDy\xFD_\xC7izgi"},
                  // height 0 is written as 2.5; the line break would split the pair; angle 0 has no code 50
                  {"0", "TEXT"}, {"8", "Survey"}, {"10", "1.000000"}, {"20", "2.000000"}, {"30", "0.0"}, {"40", "2.500000"},
                  {"1", "\xDE" "amand\xFDra 2"},
                  // the circle-shaped ellipse stays a circle
                  {"0", "CIRCLE"}, {"8", "Survey"}, {"10", "2.000000"}, {"20", "2.000000"}, {"30", "0.0"}, {"40", "2.000000"},
                  {"0", "POLYLINE"}, {"8", "Default"}, {"66", "1"}, {"70", "1"}});
    const std::pair<const char*, const char*> rectVertices[] = {{"1.000000", "2.000000"}, {"3.000000", "2.000000"}, {"3.000000", "4.000000"}, {"1.000000", "4.000000"}};
    for (const auto& [x, y] : rectVertices)
        want += crlf({{"0", "VERTEX"}, {"8", "Default"}, {"10", x}, {"20", y}, {"30", "0.0"}});
    want += crlf({{"0", "SEQEND"}, {"8", "Default"},
                  {"0", "TEXT"}, {"8", "K\xFDy\xFD_\xC7izgi"}, {"10", "5.000000"}, {"20", "6.000000"}, {"30", "0.0"},
                  {"40", "10.000000"}, {"1", "Liman"}, {"50", "30.000000"},
                  {"0", "POLYLINE"}, {"8", "Survey"}, {"66", "1"}, {"70", "0"},
                  {"0", "VERTEX"}, {"8", "Survey"}, {"10", "1.000000"}, {"20", "1.000000"}, {"30", "0.0"},
                  {"0", "VERTEX"}, {"8", "Survey"}, {"10", "2.000000"}, {"20", "2.000000"}, {"30", "0.0"},
                  {"0", "SEQEND"}, {"8", "Survey"},
                  {"0", "CIRCLE"}, {"8", "Survey"}, {"10", "10.000000"}, {"20", "20.000000"}, {"30", "0.0"}, {"40", "3.000000"},
                  {"0", "ENDSEC"}, {"0", "EOF"}});
    EXPECT_EQ(got, want);
    EXPECT_EQ(summary.Written, 8);
    EXPECT_EQ(summary.Skipped, 0);

    CanvasModel empty;
    EXPECT_NE(dxfText(empty).find(crlf({{"2", "LAYER"}, {"70", "0"}, {"0", "ENDTAB"}, {"0", "ENDSEC"}, {"0", "SECTION"},
                                        {"2", "ENTITIES"}, {"0", "ENDSEC"}, {"0", "EOF"}})),
              std::string::npos);
}

TEST(DxfExport, LayerNamesAreValidAndUniqueAndLeftOutShapesAreCounted)
{
    CanvasModel m;
    m.AddLine(0, 0, 1, 1, m.AddLayer("a:b"));
    m.AddLine(0, 0, 1, 1, m.AddLayer("A_B"));
    m.AddLine(0, 0, 1, 1, m.AddLayer(""));
    m.AppendShape(std::make_unique<TVRectangle>(0, 0, 1, 1, 0, true));
    m.AppendShape(std::make_unique<TVArc>(0, 0, 1, 1, 2, 0, 0));
    auto spline = std::make_unique<TVPolyline>(shapecode::Spline, 0);
    spline->AddVertex(0, 0), spline->AddVertex(1, 1);
    m.AppendShape(std::move(spline));
    m.AppendShape(std::make_unique<TVEllipse>(0, 0, 10, 4, 0));
    m.AddText(0, std::string(300, 'x'), 0, 0, 0);
    DxfExportSummary summary;
    const std::string text = dxfText(m, &summary);
    EXPECT_NE(text.find("\r\n2\r\na_b\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n2\r\nA_B_2\r\n"), std::string::npos) << "names that differ only in case are one layer in CAD";
    EXPECT_NE(text.find("\r\n2\r\n_\r\n"), std::string::npos);
    EXPECT_EQ(summary.Skipped, 3);
    EXPECT_EQ(summary.Written, 5);
    EXPECT_NE(text.find("\r\n1\r\n" + std::string(255, 'x') + "\r\n"), std::string::npos) << "release 12 texts end at 255 bytes";
    // The 10 x 4 ellipse keeps its shape as a closed polyline instead of a circle of radius 3.5.
    EXPECT_EQ(text.find("\r\n40\r\n3.500000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n10\r\n10.000000\r\n20\r\n2.000000\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n10\r\n5.000000\r\n20\r\n4.000000\r\n"), std::string::npos);
}

// The layers asked to be left out (the vessel symbol and the grid, for the deliverable) are in
// neither the layer table nor the entities, and are not counted as shapes the export cannot write.
TEST(DxfExport, LeftOutLayersAreNotInTheFile)
{
    CanvasModel m;
    const int survey = m.AddLayer("Survey"), vessel = m.AddLayer("~~Veldor Vessel"), grid = m.AddLayer("Veldor Grid");
    m.AddLine(0, 0, 10, 0, grid);
    m.AddPolyline({{1, 1}, {2, 3}, {3, 1}}, vessel, 1);
    m.AddLine(5, 5, 6, 6, survey);
    m.AddLine(0, 10, 10, 10, grid);
    DxfExportSummary summary;
    std::string text;
    WriteDxfR12(m, [&text](std::string_view piece) { text += piece; }, &summary, {"~~Veldor Vessel", "Veldor Grid", "None"});
    EXPECT_EQ(text.find("Veldor"), std::string::npos) << text;
    EXPECT_NE(text.find(crlf({{"0", "TABLE"}, {"2", "LAYER"}, {"70", "1"}, {"0", "LAYER"}, {"2", "Survey"}})),
              std::string::npos);
    EXPECT_EQ(summary.Written, 1);
    EXPECT_EQ(summary.Skipped, 0);
    // Without the list every layer goes out, as before.
    EXPECT_NE(dxfText(m).find("\r\n8\r\n~~Veldor Vessel\r\n"), std::string::npos);
}

// ezdxf and GDAL, two independent DXF readers, read our export: structure, layers, Turkish texts
// (through the declared code page) and coordinates.
TEST(DxfExport, EzdxfAndGdalReadTheExport)
{
    const bool ezdxf = vsx::test::haveEzdxf(), ogr = vsx::test::haveOgrinfo();
    // Either reader alone still checks the export on a developer's machine; CI has both.
    if ((!ezdxf && !ogr) || ((!ezdxf || !ogr) && vsx::test::missingPeersFail()))
        VSX_SKIP_MISSING() << (ezdxf ? "" : "python3-ezdxf is not installed; ") << (ogr ? "" : "GDAL's ogrinfo is not installed");
    TempHome home;
    CanvasModel m;
    buildFixture(m);
    m.AddEllipse(100, 100, 110, 104, 0);
    const std::string path = home.path("export.dxf");
    ASSERT_TRUE(ExportDxf(m, path));

    if (ezdxf) {
        const auto r = vsx::test::runPython(R"PY(
import ezdxf, sys, json
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
msp = doc.modelspace()
print(json.dumps({
  'version': doc.dxfversion,
  'errors': [str(e.message) for e in auditor.errors],
  'layers': sorted(l.dxf.name for l in doc.layers),
  'entities': [[e.dxftype(), e.dxf.layer] for e in msp],
  'texts': [e.dxf.text for e in msp.query('TEXT')],
  'line': list(msp.query('LINE')[0].dxf.start)[:2],
  'vertices': [len(list(e.vertices)) for e in msp.query('POLYLINE')],
}))
)PY",
                                            {path});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
        EXPECT_EQ(o["version"].toString(), "AC1009");
        EXPECT_TRUE(o["errors"].toArray().isEmpty()) << r.out;
        EXPECT_EQ(o["layers"].toArray(), QJsonArray({"0", "Default", "Defpoints", "Hidden", "Kıyı_Çizgi", "Survey"}))
            << r.out;  // ezdxf adds its standard layers "0" and "Defpoints"
        EXPECT_EQ(o["texts"].toArray(), QJsonArray({"Şamandıra 2", "Liman"}));
        EXPECT_EQ(o["entities"].toArray().size(), 9);
        EXPECT_EQ(o["entities"].toArray()[1].toArray(), QJsonArray({"POLYLINE", "Kıyı_Çizgi"}));
        EXPECT_EQ(o["line"].toArray(), QJsonArray({500000.5, 4500000.25}));
        EXPECT_EQ(o["vertices"].toArray(), QJsonArray({3, 4, 2, 72}));
    }
    if (ogr) {
        const auto r = vsx::test::runProgram("ogrinfo", {"-ro", "-al", "-q", "-geom=ISO_WKT", path});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        auto count = [&](const std::string& what) {
            std::size_t n = 0;
            for (std::size_t at = r.out.find(what); at != std::string::npos; at = r.out.find(what, at + 1)) ++n;
            return n;
        };
        EXPECT_EQ(count("OGRFeature("), 9u) << r.out;
        EXPECT_NE(r.out.find("LINESTRING Z (500000.5 4500000.25 0,500010 4500005 0)"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Text (String) = Şamandıra 2"), std::string::npos);
        EXPECT_NE(r.out.find("Layer (String) = Kıyı_Çizgi"), std::string::npos);
        EXPECT_NE(r.out.find("LINESTRING Z (110 102 0,109.980973 102.174311 0,"), std::string::npos) << "the ellipse's outline";
        EXPECT_NE(r.out.find("LINESTRING Z (0 0 0,4 0 0,4 3 0,0 0 0)"), std::string::npos) << "the polygon, closed";
        EXPECT_NE(r.out.find("LINESTRING Z (1 2 0,3 2 0,3 4 0,1 4 0,1 2 0)"), std::string::npos) << "the rectangle, closed";
    }
}

TEST(DxfExport, ImportReadsTheExportBack)
{
    TempHome home;
    CanvasModel m;
    buildFixture(m);
    ASSERT_TRUE(ExportDxf(m, home.path("back.dxf")));
    CanvasModel back;
    ASSERT_TRUE(ImportDxf(back, home.path("back.dxf")));
    std::vector<std::string> texts;
    int closedPolylines = 0, lines = 0, circles = 0, points = 0;
    for (const TVShape* s : back.Shapes()) {
        if (const auto* t = dynamic_cast<const TVText*>(s)) texts.push_back(t->Text);
        if (const auto* p = dynamic_cast<const TVPolyline*>(s)) closedPolylines += p->Closed;
        lines += dynamic_cast<const TVLine*>(s) != nullptr;
        circles += dynamic_cast<const TVCircle*>(s) != nullptr;
        points += dynamic_cast<const TVPoint*>(s) != nullptr;
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Şamandıra 2", "Liman"})) << "decoded by the declared code page";
    EXPECT_EQ(closedPolylines, 2) << "the polygon and the rectangle";
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(circles, 2);
    EXPECT_EQ(points, 0) << "the hidden point was not exported";
}

// A write that fails half-way reports failure and leaves the previous export whole.
TEST(DxfExport, FailedExportIsReportedAndKeepsThePreviousFile)
{
    TempHome home;
    const std::string path = home.path("chart.dxf");
    CanvasModel small;
    small.AddLine(0, 0, 1, 1, 0);
    ASSERT_TRUE(ExportDxf(small, path));
    std::string before;
    ASSERT_TRUE(readFile(path, before));
    CanvasModel big;
    for (int i = 0; i < 5000; ++i) big.AddLine(i, i, i + 1, i + 1, 0);
    DxfExportSummary summary;
    bool ok = true;
    {
        vsx::test::FileSizeLimit limit(64 * 1024);
        ok = ExportDxf(big, path, &summary);
    }
    EXPECT_FALSE(ok);
    EXPECT_NE(summary.Error, "");
    std::string after;
    ASSERT_TRUE(readFile(path, after));
    EXPECT_EQ(after, before);
    EXPECT_FALSE(ExportDxf(small, home.path("missing/folder/x.dxf"), &summary));
    EXPECT_NE(summary.Error.find("cannot create"), std::string::npos) << summary.Error;
}
