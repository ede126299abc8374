// Per-document save-format records against drawings opened in the simulated host.
#include "doctrack/docdata.h"
#include "sim/host/dwgfile.h"
#include "support/machine_fixture.h"

namespace {

class DocData : public kvtest::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        // The host forgets its reactors when reset; the manager is a static of the plug-in.
        acDocManager->addReactor(&KvDocDataManager());
    }
    AcApDocument* open(const std::string& name, sim::dwg::Release release, sim::dwg::Kind kind,
                       std::optional<AcDb::AcDbDwgVersion> lastSavedAs = std::nullopt) {
        sim::dwg::Drawing d;
        d.originalVersion = d.lastSavedAsVersion = sim::dwg::dwgVersion(release);
        if (lastSavedAs) d.lastSavedAsVersion = *lastSavedAs;
        std::string err;
        const std::string path = machine.drawings + name;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, release, kind, &err)) << err;
        EXPECT_TRUE(sim::host::openDrawing(path)) << transcript;
        return acDocManager->curDocument();
    }
};

TEST(DocDataRules, VersionAndKindTable) {
    EXPECT_EQ(KvKindOffset("/d/a.DXF"), 1);
    EXPECT_EQ(KvKindOffset("/d/a.Dwt"), 2);
    EXPECT_EQ(KvKindOffset("/d/a.dws"), 3);
    EXPECT_EQ(KvKindOffset("/d/a.xml"), 4);
    EXPECT_EQ(KvKindOffset("/d/a.dwg"), 0);
    EXPECT_EQ(KvKindOffset("/d.x/noext"), 0);
    EXPECT_EQ(KvFormatForVersion(21, 1), 9);    // R14 DXF
    EXPECT_EQ(KvFormatForVersion(29, 2), 50);   // 2010 template
    EXPECT_EQ(KvFormatForVersion(16, 0), 8);    // R12 drawing: the R14 drawing format
    EXPECT_EQ(KvFormatForVersion(18, 1), 1);    // R12 DXF
    EXPECT_EQ(KvFormatForVersion(19, 0), 4);
    EXPECT_EQ(KvFormatForVersion(24, 0), 24);
    EXPECT_EQ(KvFormatForVersion(31, 0), 60);
    EXPECT_EQ(KvFormatForVersion(32, 0), 64);   // a 2018 drawing stays a 2018 drawing
    EXPECT_EQ(KvFormatForVersion(33, 1), 65);   // and a 2018 DXF a DXF
    EXPECT_EQ(KvFormatForVersion(0, 1), 61);    // an unknown version keeps the kind
    EXPECT_EQ(KvFormatForVersion(40, 0), 60);
    // Every format a drawing can keep has a version code that gives the format back.
    for (int format : {1, 4, 5, 8, 9, 12, 13, 14, 15, 24, 25, 26, 27, 36, 37, 48, 50, 60, 61, 63, 64, 65, 66, 67})
        EXPECT_EQ(KvFormatForVersion(KvVersionForFormat(format), format == 1 ? 1 : (format % 4)), format) << format;
    EXPECT_EQ(KvVersionForFormat(-1), AcDb::kDHL_Unknown);
}

TEST(DocDataRules, SaveRules) {
    auto apply = [](KvSaveCommand c, bool maintain) {
        CDocData d{24, 12};
        KvApplySaveRule(d, c, maintain, 64);
        return std::pair{d.openFormat, d.diskFormat};
    };
    // The disk format is what the save wrote; only SAVEAS changes the format a drawing keeps.
    EXPECT_EQ(apply(KvSaveCommand::QuickSave, true), std::pair(24, 64));
    EXPECT_EQ(apply(KvSaveCommand::Save, true), std::pair(24, 64));
    EXPECT_EQ(apply(KvSaveCommand::SaveAs, true), std::pair(64, 64));
    for (auto c : {KvSaveCommand::QuickSave, KvSaveCommand::Save, KvSaveCommand::SaveAs})
        EXPECT_EQ(apply(c, false), std::pair(64, 64));
}

TEST_F(DocData, UnseenDocumentGetsDefaults) {
    AcApDocument* doc = open("a.dwg", sim::dwg::Release::R2004, sim::dwg::Kind::Dwg);
    EXPECT_FALSE(KvDocDataManager().hasRecord(doc));
    EXPECT_EQ(docData(doc).openFormat, 60);
    EXPECT_EQ(docData(doc).diskFormat, 60);
    EXPECT_TRUE(KvDocDataManager().hasRecord(doc));
}

TEST_F(DocData, FormatsFromOpenedFiles) {
    AcApDocument* r14 = open("upper.DXF", sim::dwg::Release::R14, sim::dwg::Kind::Dxf);
    updateOpenFormat(r14, false);
    commitDiskFormat(r14);
    EXPECT_EQ(docData(r14).openFormat, 9);
    EXPECT_EQ(docData(r14).diskFormat, 9);

    AcApDocument* r12 = open("old.dwg", sim::dwg::Release::R12, sim::dwg::Kind::Dwg);
    updateOpenFormat(r12, false);
    EXPECT_EQ(docData(r12).openFormat, 8);

    // A template whose database has no last-saved-as version falls back to the first version.
    AcApDocument* dwt = open("t.dwt", sim::dwg::Release::R2010, sim::dwg::Kind::Template, AcDb::kDHL_Unknown);
    updateOpenFormat(dwt, false);
    EXPECT_EQ(docData(dwt).openFormat, 50);
}

TEST_F(DocData, RecordIsDroppedWithItsDocument) {
    AcApDocument* doc = open("gone.dwg", sim::dwg::Release::R2013, sim::dwg::Kind::Dwg);
    docData(doc).openFormat = 24;
    const size_t before = KvDocDataManager().recordCount();
    sim::host::closeWindow(acDocWindowManager->documentWindow(doc));
    EXPECT_EQ(KvDocDataManager().recordCount(), before - 1);
}

}  // namespace
