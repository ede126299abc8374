// Drawing files: bad input opens nothing and writes nothing; foreign drawings are never written.
#include "host_fixture.h"
#include "sim/host/drawing_store.h"

namespace {

std::vector<std::string> listDir(const std::filesystem::path& d) {
    std::vector<std::string> out;
    for (auto& e : std::filesystem::directory_iterator(d)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(HostTest, BadDrawingFilesOpenNothingAndWriteNothing) {
    std::ofstream(path("notes.dwg")) << "just some text";
    const std::string good = make("good.dwg", "objects=3");
    std::string bytes = readFile(good);
    std::ofstream(path("cut.dwg"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    std::ofstream(path("tiny.dwg"), std::ios::binary) << "AC1027";
    const auto before = listDir(dir);
    takeEvents();
    for (const char* name : {"missing.dwg", "notes.dwg", "tiny.dwg"}) {
        transcript.clear();
        EXPECT_FALSE(runner.runLine(std::string("@open ") + path(name))) << name;
        EXPECT_NE(transcript.find("Cannot open \"" + path(name) + "\""), std::string::npos) << transcript;
        run(std::string("OPEN \"") + path(name) + "\"");
    }
    EXPECT_NE(transcript.find("truncated"), std::string::npos);
    EXPECT_EQ(acDocManager->documentCount(), 0);
    EXPECT_EQ(listDir(dir), before);
    for (const auto& e : takeEvents()) {
        EXPECT_TRUE(e.rfind("command", 0) == 0) << e;   // only the OPEN commands themselves
    }
    // A drawing cut short has lost the simulator's data: it opens read-only and is never written.
    const std::string cut = readFile(path("cut.dwg"));
    run("@open " + path("cut.dwg"));
    ASSERT_NE(doc(), nullptr);
    EXPECT_TRUE(doc()->isReadOnly());
    run("LINE 0,0 1,1 ");
    run("QSAVE");
    EXPECT_EQ(readFile(path("cut.dwg")), cut);
}

TEST_F(HostTest, PathsWithBlanksAndNonAsciiLettersWork) {
    const std::string p = make("plan 1 – 평면도.dwg", "title=Plan");
    run("OPEN \"" + p + "\"");
    ASSERT_NE(doc(), nullptr) << transcript;
    EXPECT_EQ(doc()->fileName(), p);
    EXPECT_EQ(doc()->database()->summaryInfo().title, "Plan");
    run("LINE 0,0 1,1 ");
    run("QSAVE");
    EXPECT_EQ(dbmod(), 0);
}

TEST_F(HostTest, ForeignDrawingOpensReadOnlyAndIsNeverWritten) {
    run("@make-drawing \"" + path("other.dwg") + "\" format=2007 readonly");
    const std::string before = readFile(path("other.dwg"));
    run("@open " + path("other.dwg"));
    ASSERT_NE(doc(), nullptr);
    EXPECT_TRUE(doc()->isReadOnly());
    EXPECT_EQ(doc()->database()->originalFileVersion(), AcDb::kDHL_1021);
    run("LINE 0,0 1,1 ");
    run("QSAVE");
    run("SAVE \"" + path("other.dwg") + "\"");
    run("SAVEAS 2018 \"" + path("other.dwg") + "\"");
    // Closing with Yes asks for a new name; none given keeps the drawing open.
    run("@answer Yes");
    run("CLOSE");
    EXPECT_EQ(acDocManager->documentCount(), 1);
    EXPECT_EQ(readFile(path("other.dwg")), before);
    // Under a new name it is the simulator's own drawing and no longer read-only.
    run("SAVEAS 2018 \"" + path("mine.dwg") + "\"");
    EXPECT_FALSE(doc()->isReadOnly());
    EXPECT_EQ(readFile(path("other.dwg")), before);
}

TEST_F(HostTest, DxfFilesOpenWithTheirVersion) {
    std::ofstream(path("old.DXF")) << "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1014\n  0\nENDSEC\n  0\nEOF\n";
    run("@open " + path("old.DXF"));
    ASSERT_NE(doc(), nullptr) << transcript;
    EXPECT_TRUE(doc()->isReadOnly());
    EXPECT_EQ(doc()->database()->lastSavedAsVersion(), AcDb::kDHL_1014);
    // The simulator's own DXF keeps its database.
    run("SAVEAS 2013 \"" + path("mine.dxf") + "\"");
    run("CLOSE");
    run("@open " + path("mine.dxf"));
    ASSERT_NE(doc(), nullptr);
    EXPECT_FALSE(doc()->isReadOnly());
    EXPECT_EQ(doc()->formatForSave(), AcApDocument::k2018_dwg);
    EXPECT_EQ(doc()->database()->lastSavedAsVersion(), AcDb::kDHL_1027);
}

}  // namespace

// Save formats whose release bases sit four apart (R13 dwg 4, dxf 5; R14 dwg 8) name their own
// release, never the one below.
TEST(SaveFormats, EveryFormatNamesItsOwnRelease) {
    using F = AcApDocument::SaveFormat;
    EXPECT_EQ(sim::host::versionOfFormat(F::kR13_dwg), AcDb::kDHL_1012);
    EXPECT_EQ(sim::host::versionOfFormat(F::kR14_dwg), AcDb::kDHL_1014);
    EXPECT_EQ(sim::host::versionOfFormat(F::kR14_dxf), AcDb::kDHL_1014);
    EXPECT_EQ(sim::host::versionOfFormat(F::k2000_dwg), AcDb::kDHL_1015);
    EXPECT_EQ(sim::host::versionOfFormat(F::k2004_Template), AcDb::kDHL_1800);
    EXPECT_EQ(sim::host::versionOfFormat(F::k2018_dwg), AcDb::kDHL_1032);
}
