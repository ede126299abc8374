// Drawings laid out side by side in one drawing: files inserted into the current drawing in rows,
// and marked drawings combined as references in a new drawing, one row per name key.
#include "menus/combine.h"

#include <fstream>
#include <tuple>
#include "menus/ctxmenu.h"
#include "menus/menu_fixture.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<sim::dwg::Line>;

// ---- Rules -------------------------------------------------------------------------------------

TEST(CombineRows, KeysGroupNamesAndShortNamesComeLast) {
    const auto rows = KvCombineRows({"/d/b-101.dwg", "/d/A-102.dwg", "/e/A-101.dwg", "/d/Ab.dwg", "/d/x.dwg"}, 0, 1);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].key, "A-");
    EXPECT_EQ(rows[0].paths, (std::vector<std::string>{"/d/A-102.dwg", "/e/A-101.dwg"}));   // path order
    EXPECT_EQ(rows[1].key, "Ab");
    EXPECT_EQ(rows[2].key, "b-");
    EXPECT_TRUE(rows[3].shortNames);
    EXPECT_EQ(rows[3].paths, (std::vector<std::string>{"/d/x.dwg"}));

    // Keys that differ only in letter case are one row; characters are counted, not bytes.
    const auto folded = KvCombineRows({"/d/ä-1.dwg", "/d/Ä-2.dwg", "/d/äx.dwg"}, 1, 1);
    ASSERT_EQ(folded.size(), 2u);
    EXPECT_EQ(folded[0].key, "-");
    EXPECT_EQ(folded[0].paths.size(), 2u);
    EXPECT_EQ(folded[1].key, "x");

    // No key range: one row of everything.
    const auto none = KvCombineRows({"/d/b.dwg", "/d/a.dwg"}, 3, 1);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_TRUE(none[0].shortNames);
    EXPECT_EQ(none[0].paths, (std::vector<std::string>{"/d/a.dwg", "/d/b.dwg"}));
}

TEST(DrawingGrid, RowsStackUpwardWithTheGapBetweenCells) {
    KvDrawingGrid grid({10, 20, 5}, 2, 100, 50, 4);
    const double expected[][2] = {{10, 20}, {114, 20}, {10, 74}, {114, 74}, {10, 128}};
    for (const auto& e : expected) {
        const AcGeVector3d v = grid.Next();
        EXPECT_DOUBLE_EQ(v.x, e[0]);
        EXPECT_DOUBLE_EQ(v.y, e[1]);
        EXPECT_DOUBLE_EQ(v.z, 0);
    }
    KvCellSize cell;
    cell.Measure(AcDbExtents{});   // a drawing without objects does not count
    EXPECT_EQ(cell.Width(), 0);
    EXPECT_EQ(cell.Height(), 0);
}

// ---- On the host ---------------------------------------------------------------------------------

class Combine : public kvtest::MenuFixture {
protected:
    // A drawing holding one rectangle w by h with its lower left corner at x,y.
    std::string box(const std::string& name, double w, double h, double x = 0, double y = 0) {
        sim::dwg::Drawing d;
        d.lines = {{{x, y, 0}, {x + w, y, 0}},
                   {{x + w, y, 0}, {x + w, y + h, 0}},
                   {{x + w, y + h, 0}, {x, y + h, 0}},
                   {{x, y + h, 0}, {x, y, 0}}};
        d.extents = sim::dwg::extentsOf(d.lines);
        const std::string path = machine.drawings + name;
        fs::create_directories(fs::path(path).parent_path());
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2018, sim::dwg::Kind::Dwg, &err)) << err;
        return path;
    }
    sim::dwg::Drawing saved(const std::string& path) {
        sim::dwg::FileInfo info;
        std::string err;
        EXPECT_TRUE(sim::dwg::readDrawingFile(path, &info, &err)) << err;
        return info.drawing.value_or(sim::dwg::Drawing{});
    }
    // The lower left corners of the rectangles in a drawing, in insertion order.
    static std::vector<std::pair<double, double>> corners(const Lines& lines) {
        std::vector<std::pair<double, double>> out;
        for (size_t i = 0; i + 3 < lines.size(); i += 4) out.emplace_back(lines[i].start.x, lines[i].start.y);
        return out;
    }
    void type(const std::string& line) {
        sim::host::typeLine(line);
        settle();
    }
    AcDbDatabase* current() { return acDocManager->curDocument()->database(); }
    void expectExtents(double x0, double y0, double x1, double y1) {
        current()->updateExt();
        EXPECT_DOUBLE_EQ(current()->extmin().x, x0);
        EXPECT_DOUBLE_EQ(current()->extmin().y, y0);
        EXPECT_DOUBLE_EQ(current()->extmax().x, x1);
        EXPECT_DOUBLE_EQ(current()->extmax().y, y1);
    }
    void markAll() {
        std::vector<int> all;
        for (int i = 0; i < tabs().GetItemCount(); ++i) all.push_back(i);
        std::vector<CItemData*> items;
        for (int i : all) items.push_back(tabs().GetItem(i));
        tabs().MarkOnly(items);
    }
    void openAll(const std::vector<std::string>& paths) {
        for (const auto& p : paths) ASSERT_TRUE(sim::host::openDrawing(p));
    }
};

TEST_F(Combine, SevenFilesThreePerRowGiveRowsOfThreeThreeAndOne) {
    std::vector<std::string> files;
    const double sizes[][2] = {{100, 60}, {80, 70}, {50, 50}, {90, 40}, {60, 60}, {30, 20}, {100, 30}};
    for (int i = 0; i < 7; ++i) files.push_back(box("parts/p" + std::to_string(i + 1) + ".dwg", sizes[i][0], sizes[i][1]));
    const std::string base = drawing("base.dwg");
    ASSERT_TRUE(sim::host::openDrawing(base));
    start();
    sim::desk::queueFiles(files);
    type("KV_CAKEDWG 5,7 3 0");

    // The cell is the widest by the tallest model space: 100 by 70; rows go up from the base point.
    const std::vector<std::pair<double, double>> grid = {{5, 7},   {105, 7},  {205, 7}, {5, 77},
                                                         {105, 77}, {205, 77}, {5, 147}};
    ASSERT_EQ(sim::desk::fileDialogs().size(), 1u);
    EXPECT_EQ(sim::desk::fileDialogs()[0].maxFile, 2560002u);
    EXPECT_NE(transcript.find("[progress] Insert Drawing file(s)... done"), std::string::npos);
    expectExtents(5, 7, 255, 177);
    EXPECT_EQ(acdbGetDbmod(current()), 1);
    type("_QSAVE");
    EXPECT_EQ(corners(saved(base).lines), grid);
    // The drawing area shows the extents: the view was set to them and is kept in the file.
    ASSERT_TRUE(saved(base).view.has_value());
    EXPECT_EQ(saved(base).view->center, (sim::dwg::Point3{130, 92, 0}));
    EXPECT_EQ(saved(base).view->width, 250);
    EXPECT_EQ(saved(base).view->height, 170);

    // The next dialog starts in the folder of the files chosen last.
    sim::desk::queueFiles({});
    type("KV_CAKEDWG");
    ASSERT_EQ(sim::desk::fileDialogs().size(), 2u);
    EXPECT_EQ(sim::desk::fileDialogs()[1].initialDir, machine.drawings + "parts/");
}

TEST_F(Combine, OnePerRowStacksEveryDrawingWithTheGapAndSkipsUnreadableFiles) {
    const std::string a = box("a.dwg", 40, 30, 2, 3), c = box("c.dwg", 20, 10);
    const std::string bad = machine.drawings + "b.dwg";
    {
        std::ofstream out(bad);
        out << "not a drawing at all";
    }
    const std::string base = drawing("base.dwg");
    ASSERT_TRUE(sim::host::openDrawing(base));
    start();
    sim::desk::queueFiles({a, bad, c});
    type("KV_CAKEDWG 0,0 1 5");
    type("_QSAVE");
    // b takes no row: c sits right above a, one cell (30) plus the gap (5) higher.
    EXPECT_EQ(corners(saved(base).lines), (std::vector<std::pair<double, double>>{{2, 3}, {0, 35}}));
}

TEST_F(Combine, CancelledPromptsStopAndARowNeedsAPositiveCount) {
    const std::string a = box("a.dwg", 40, 30);
    ASSERT_TRUE(sim::host::openDrawing(drawing("base.dwg")));
    start();
    for (const char* line : {"KV_CAKEDWG", "KV_CAKEDWG 0,0", "KV_CAKEDWG 0,0 2", "KV_CAKEDWG 0,0 ^C"}) {
        transcript.clear();
        sim::desk::queueFiles({a});
        type(line);
        EXPECT_NE(transcript.find("\n*cancel*"), std::string::npos) << line;
        EXPECT_EQ(transcript.find("[progress]"), std::string::npos) << line;
    }
    EXPECT_EQ(acdbGetDbmod(current()), 0);

    // A cancelled file dialog asks nothing.
    transcript.clear();
    sim::desk::queueFiles({});
    type("KV_CAKEDWG");
    EXPECT_EQ(transcript.find("location"), std::string::npos);

    // Zero and negative counts are asked again.
    transcript.clear();
    sim::desk::queueFiles({a});
    type("KV_CAKEDWG 0,0 0 -2 1 0");
    EXPECT_EQ(transcript.find("*cancel*"), std::string::npos);
    size_t asked = 0;
    for (size_t at = 0; (at = transcript.find("Value must be positive and nonzero.", at)) != std::string::npos; ++at) ++asked;
    EXPECT_EQ(asked, 2u);
    EXPECT_EQ(acdbGetDbmod(current()), 1);
}

TEST_F(Combine, MarkedDrawingsBecomeOneRowPerKeyInANewDrawing) {
    const std::string a1 = box("A-101.dwg", 100, 60), a2 = box("A-102.dwg", 80, 70), b1 = box("B-101.dwg", 50, 50);
    openAll({a2, b1, a1});
    start();
    settle();
    markAll();
    const int before = acDocManager->documentCount();
    command(ID_KV_COMBINE_DWG);

    EXPECT_EQ(acDocManager->documentCount(), before + 1);
    AcApDocument* combined = acDocManager->curDocument();
    ASSERT_NE(combined, nullptr);
    EXPECT_EQ(combined->fileName(), "Drawing1.dwg");
    EXPECT_NE(transcript.find("[progress] Insert Xref Drawing(s)... done"), std::string::npos);
    // Row A: A-101 then A-102 one cell (100) to the right; row B one cell (70) higher.
    expectExtents(0, 0, 180, 120);
    const std::string out = machine.drawings + "combined.dwg";
    type("SAVEAS 2018 \"" + out + "\"");
    auto d = saved(out);
    ASSERT_EQ(d.xrefs.size(), 3u);
    EXPECT_EQ(d.xrefs[0], (sim::dwg::Xref{"A-101", a1, {0, 0, 0}, {1, 1, 1}, 0}));
    EXPECT_EQ(d.xrefs[1], (sim::dwg::Xref{"A-102", a2, {100, 0, 0}, {1, 1, 1}, 0}));
    EXPECT_EQ(d.xrefs[2], (sim::dwg::Xref{"B-101", b1, {0, 70, 0}, {1, 1, 1}, 0}));
    ASSERT_TRUE(d.view.has_value());
    EXPECT_EQ(d.view->width, 180);

    // References and view come back with the drawing.
    type("_CLOSE");
    ASSERT_TRUE(sim::host::openDrawing(out));
    expectExtents(0, 0, 180, 120);
    EXPECT_EQ(saved(out).xrefs, d.xrefs);
}

TEST_F(Combine, ShortNamesMakeTheLastRowAndSameNamesGetTheirOwnBlocks) {
    setNumber("Similar StartPos", 0);
    setNumber("Similar EndPos", 2);
    // Two drawings named A-101 from different folders: both are attached, the second under a
    // block name of its own.
    const std::string a1 = box("one/A-101.dwg", 100, 60), dup = box("two/A-101.dwg", 10, 10);
    const std::string a2 = box("two/A-102.dwg", 80, 70), b1 = box("two/B-101.dwg", 50, 50);
    const std::string shortName = box("two/AB.dwg", 20, 20);
    openAll({a1, dup, a2, b1});
    start();
    settle();
    KvTabPanel().InsertLinkDrawing(shortName);   // a link tab stands for its drawing too
    markAll();
    command(ID_KV_COMBINE_DWG);
    EXPECT_NE(transcript.find("\"" + dup + "\" is attached as \"A-101 (2)\""), std::string::npos) << transcript;
    const std::string out = machine.drawings + "combined.dwg";
    type("SAVEAS 2018 \"" + out + "\"");
    auto d = saved(out);
    std::vector<std::tuple<std::string, std::string, double, double>> placed;
    for (const auto& x : d.xrefs) placed.emplace_back(x.blockName, x.path, x.insertion.x, x.insertion.y);
    EXPECT_EQ(placed, (std::vector<std::tuple<std::string, std::string, double, double>>{
                          {"A-101", a1, 0, 0},
                          {"A-101 (2)", dup, 100, 0},
                          {"A-102", a2, 200, 0},
                          {"B-101", b1, 0, 70},
                          {"AB", shortName, 0, 140}}));
}

TEST_F(Combine, OnlyInApplicationContext) {
    const std::string a1 = box("A-101.dwg", 100, 60), a2 = box("A-102.dwg", 80, 70);
    openAll({a1, a2});
    start();
    settle();
    markAll();
    // From inside a running command (as a transparent call would come) nothing happens.
    const int before = acDocManager->documentCount();
    sim::host::setEventListener([&](const std::string& name, const std::string&) {
        if (name == "commandWillStart") KvCombineDrawings(tabs().MarkedItems());
    });
    type("LINE 0,0 1,1 ");
    sim::host::setEventListener(nullptr);
    EXPECT_EQ(acDocManager->documentCount(), before);
}

// ---- The host's drawing files keep references and the view ------------------------------------------

TEST(DrawingFile, ReferencesAndViewSurviveTheFile) {
    sim::dwg::Drawing d;
    d.lines = {{{0, 0, 0}, {1, 1, 0}}};
    d.xrefs = {{"A-101", "/d/A-101.dwg", {100, 0, 0}, {1, 2, 1}, 0.5}};
    d.view = sim::dwg::View{{5, 6, 0}, 30, 20};
    sim::dwg::FileInfo info;
    std::string err;
    ASSERT_TRUE(sim::dwg::readDrawingBytes(sim::dwg::drawingBytes(d, sim::dwg::Release::R2018), &info, &err)) << err;
    ASSERT_TRUE(info.drawing.has_value());
    EXPECT_EQ(info.drawing->xrefs, d.xrefs);
    EXPECT_EQ(info.drawing->view, d.view);

    sim::dwg::Drawing plain;
    ASSERT_TRUE(sim::dwg::readDrawingBytes(sim::dwg::drawingBytes(plain, sim::dwg::Release::R2018), &info, &err));
    EXPECT_TRUE(info.drawing->xrefs.empty());
    EXPECT_FALSE(info.drawing->view.has_value());
}

}  // namespace
