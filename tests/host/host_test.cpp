// Documents, windows, modules and the orders of the host's notifications.
#include <dlfcn.h>
#include "host_fixture.h"

namespace {

TEST_F(HostTest, OpeningADrawingNotifiesInOrder) {
    ASSERT_TRUE(sim::host::loadModule(KV_TEST_MODULE));
    make("a.dwg");
    make("b.dwg");
    run("@open " + path("a.dwg"));
    takeEvents();
    run("@open " + path("b.dwg"));
    EXPECT_EQ(takeEvents(), (Events{"documentToBeDeactivated a.dwg", "documentCreateStarted b.dwg",
                                    "documentCreated b.dwg", "kLoadDwgMsg b.dwg", "documentWindowCreated b.dwg",
                                    "documentWindowLoaded b.dwg", "documentToBeActivated b.dwg",
                                    "documentActivated b.dwg", "documentBecameCurrent b.dwg",
                                    "documentWindowActivated b.dwg"}));
    EXPECT_EQ(doc()->docTitle(), "b.dwg");
    EXPECT_EQ(acDocManager->documentCount(), 2);
}

TEST_F(HostTest, CloseAsksOnlyForModifiedDrawingsAndFollowsTheAnswer) {
    make("a.dwg");
    make("b.dwg");
    run("@open " + path("a.dwg"));
    run("@open " + path("b.dwg"));
    run("LINE 0,0 5,5 ");
    ASSERT_EQ(dbmod(), 1);

    // Cancel: the close ends there and the drawing stays.
    run("@answer Cancel");
    takeEvents();
    run("CLOSE");
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart CLOSE", "commandCancelled CLOSE"}));
    EXPECT_EQ(acDocManager->documentCount(), 2);

    // No: discarded, and the most recently active drawing left takes over.
    const std::string before = readFile(path("b.dwg"));
    run("@answer No");
    run("CLOSE");
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart CLOSE", "commandEnded CLOSE", "documentToBeDestroyed b.dwg",
                                    "documentWindowDestroyed b.dwg", "documentToBeActivated a.dwg",
                                    "documentActivated a.dwg", "documentBecameCurrent a.dwg",
                                    "documentWindowActivated a.dwg", "documentDestroyed b.dwg"}));
    EXPECT_EQ(readFile(path("b.dwg")), before);

    // Yes: saved inside the close; the last drawing leaves no current document.
    run("LINE 0,0 5,5 ");
    run("@answer Yes");
    run("CLOSE");
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart LINE", "commandEnded LINE", "commandWillStart CLOSE",
                                    "beginSave a.dwg", "saveComplete a.dwg", "commandEnded CLOSE",
                                    "documentToBeDestroyed a.dwg", "documentWindowDestroyed a.dwg",
                                    "documentDestroyed a.dwg"}));
    EXPECT_EQ(doc(), nullptr);
    run("@open " + path("a.dwg"));
    EXPECT_EQ(doc()->database()->approxNumObjects(), 1);
}

TEST_F(HostTest, SaveSaveAsAndAutosave) {
    make("a.dwg", "format=2004");
    run("@open " + path("a.dwg"));
    run("LINE 0,0 1,1 ");
    takeEvents();
    run("QSAVE");
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart QSAVE", "beginSave a.dwg", "saveComplete a.dwg",
                                    "commandEnded QSAVE"}));
    EXPECT_EQ(dbmod(), 0);
    // A plain save writes the default format unless the plug-in set another one.
    EXPECT_EQ(readFile(path("a.dwg")).substr(0, 6), "AC1032");
    acDocManager->setDefaultFormatForSave(AcApDocument::k2004_dwg);
    run("QSAVE");
    EXPECT_EQ(readFile(path("a.dwg")).substr(0, 6), "AC1018");

    takeEvents();
    run("SAVEAS 2010 \"" + path("copy of a.dwt") + "\"");
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart SAVEAS", "beginSave copy of a.dwt", "saveComplete copy of a.dwt",
                                    "commandEnded SAVEAS"}));
    EXPECT_EQ(doc()->fileName(), path("copy of a.dwt"));
    EXPECT_EQ(doc()->formatForSave(), AcApDocument::k2010_Template);
    EXPECT_EQ(doc()->database()->lastSavedAsVersion(), AcDb::kDHL_1024);

    // An automatic save: saveComplete alone, the drawing keeps its name and DBMOD.
    run("LINE 0,0 2,2 ");
    takeEvents();
    run("@set SAVEFILEPATH " + dir.string());
    takeEvents();
    run("@autosave");
    auto e = takeEvents();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].rfind("saveComplete copy of a_1_1_", 0), 0u) << e[0];
    EXPECT_EQ(dbmod(), 1);
    EXPECT_EQ(doc()->fileName(), path("copy of a.dwt"));
}

// Saved under a new name, a drawing is found open by that name and no longer by the old one.
TEST_F(HostTest, ADrawingSavedUnderAnotherNameIsKnownByIt) {
    make("a.dwg");
    make("b.dwg");
    run("@open " + path("a.dwg"));
    run("@open " + path("b.dwg"));
    run("@open " + path("a.dwg"));   // open already: made current, each drawing's path looked at
    ASSERT_EQ(acDocManager->documentCount(), 2);
    ASSERT_EQ(doc()->docTitle(), "a.dwg");
    run("SAVEAS 2018 \"" + path("renamed.dwg") + "\"");
    run("@open " + path("renamed.dwg"));
    EXPECT_EQ(acDocManager->documentCount(), 2);
    run("@open " + path("a.dwg"));
    EXPECT_EQ(acDocManager->documentCount(), 3);
}

TEST_F(HostTest, SingleDocumentModeClosesTheDrawingBeforeOpeningAnother) {
    make("a.dwg");
    make("b.dwg");
    run("@set SDI 1");
    EXPECT_EQ(takeEvents(), (Events{"sysVarChanged SDI"}));
    run("@open " + path("a.dwg"));
    run("LINE 0,0 1,1 ");
    run("@answer No");
    takeEvents();
    run("@open " + path("b.dwg"));
    EXPECT_EQ(takeEvents(), (Events{"documentToBeDestroyed a.dwg", "documentWindowDestroyed a.dwg",
                                    "documentDestroyed a.dwg", "documentCreateStarted b.dwg", "documentCreated b.dwg",
                                    "documentWindowCreated b.dwg", "documentWindowLoaded b.dwg",
                                    "documentToBeActivated b.dwg", "documentActivated b.dwg",
                                    "documentBecameCurrent b.dwg", "documentWindowActivated b.dwg"}));
    EXPECT_EQ(acDocManager->documentCount(), 1);

    // Cancel on the question keeps the drawing and opens nothing.
    run("LINE 0,0 1,1 ");
    run("@answer Cancel");
    run("@open " + path("a.dwg"));
    EXPECT_EQ(doc()->docTitle(), "b.dwg");

    // SDI cannot go back to 1 with two drawings open.
    run("@set SDI 0");
    run("@open " + path("a.dwg"));
    ASSERT_EQ(acDocManager->documentCount(), 2);
    resbuf one;
    one.restype = RTSHORT;
    one.resval.rint = 1;
    EXPECT_EQ(acedSetVar("SDI", &one), RTERROR);
}

TEST_F(HostTest, StartPageIsAWindowWithoutADrawing) {
    make("a.dwg");
    run("@open " + path("a.dwg"));
    takeEvents();
    run("NEWTAB");
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart NEWTAB", "commandEnded NEWTAB", "documentToBeDeactivated a.dwg",
                                    "documentWindowCreated Start", "documentWindowLoaded Start",
                                    "documentWindowActivated Start"}));
    EXPECT_EQ(acDocWindowManager->documentWindowCount(), 2);
    EXPECT_EQ(acDocWindowManager->activeDocumentWindow()->document(), nullptr);
    EXPECT_EQ(doc(), nullptr);
    run("@close 2");
    EXPECT_EQ(takeEvents(), (Events{"documentWindowDestroyed Start", "documentToBeActivated a.dwg",
                                    "documentActivated a.dwg", "documentBecameCurrent a.dwg",
                                    "documentWindowActivated a.dwg"}));
}

TEST_F(HostTest, ModuleLoadsAndUnloadsTwice) {
    make("a.dwg");
    run("@open " + path("a.dwg"));
    for (int round = 0; round < 2; ++round) {
        transcript.clear();
        ASSERT_TRUE(sim::host::loadModule(KV_TEST_MODULE)) << transcript;
        EXPECT_NE(transcript.find("[module] attach\n[module] init\n[module] loaddwg a.dwg\n"), std::string::npos)
            << transcript;
        EXPECT_TRUE(acedRegCmds->lookupCmd("_KVT_HELLO"));
        EXPECT_TRUE(acedRegCmds->lookupCmd("kvt_frage"));
        EXPECT_FALSE(acedRegCmds->lookupCmd("_KVT_FRAGE"));   // "_" asks for the global name

        takeEvents();
        run("KVT_HELLO");
        EXPECT_NE(transcript.find("hello from the module"), std::string::npos);
        EXPECT_EQ(sim::host::resourceStackDepth(), 0);
        run("(KV_TEST)");
        EXPECT_EQ(takeEvents(), (Events{"commandWillStart KVT_HELLO", "commandEnded KVT_HELLO", "lispWillStart (KV_TEST)",
                                        "kInvkSubrMsg a.dwg", "commandWillStart LINE", "commandEnded LINE",
                                        "lispEnded"}));
        EXPECT_EQ(doc()->database()->approxNumObjects(), round + 1);
        EXPECT_TRUE(acrxDynamicLinker->isApplicationLocked("nothing") == false);

        transcript.clear();
        ASSERT_TRUE(sim::host::unloadModule());
        EXPECT_NE(transcript.find("[module] unload\n[module] unloaddwg a.dwg\n[module] detach\n"), std::string::npos)
            << transcript;
        EXPECT_FALSE(acedRegCmds->lookupCmd("KVT_HELLO"));
        run("(KV_TEST)");
        EXPECT_NE(transcript.find("no function definition: KV_TEST"), std::string::npos);
    }
}

TEST_F(HostTest, SystemVariablesFollowTheCurrentDrawing) {
    resbuf rb;
    EXPECT_EQ(acedGetVar("DWGNAME", &rb), RTERROR);   // no drawing
    run("@new");
    ASSERT_EQ(acedGetVar("DWGTITLED", &rb), RTNORM);
    EXPECT_EQ(rb.resval.rint, 0);
    ASSERT_EQ(acedGetVar("dwgname", &rb), RTNORM);
    EXPECT_EQ(rb.resval.rstring, "Drawing1.dwg");
    make("plan.dwg", "layouts=Sheet,Detail");
    run("@open " + path("plan.dwg"));
    ASSERT_EQ(acedGetVar("DWGPREFIX", &rb), RTNORM);
    EXPECT_EQ(rb.resval.rstring, dir.string() + "/");
    run("LAYOUT S Detail");
    ASSERT_EQ(acedGetVar("CTAB", &rb), RTNORM);
    EXPECT_EQ(rb.resval.rstring, "Detail");
    run("@set ACADVER \"22.0s (Test)\"");
    ASSERT_EQ(acedGetVar("ACADVER", &rb), RTNORM);
    EXPECT_EQ(rb.resval.rstring, "22.0s (Test)");
    EXPECT_EQ(acedSetVar("ACADVER", &rb), RTERROR);   // read-only for modules
    EXPECT_FALSE(runner.runLine("@set SDI yes"));
}

TEST_F(HostTest, FindFileSearchesModuleDataAndDrawingFolders) {
    auto mod = dir / "mod";
    auto data = dir / "appdata" / "Stavlo" / "Korvane";
    std::filesystem::create_directories(mod);
    std::filesystem::create_directories(data);
    std::ofstream(mod / "Korvane.xml") << "x";
    std::ofstream(data / "ctxmenu.xml") << "x";
    sim::host::setModuleFolder(mod.string());
    sim::Desktop::get().setEnv("APPDATA", (dir / "appdata").string());
    make("plan.dwg");
    std::ofstream(dir / "beside.txt") << "x";
    run("@open " + path("plan.dwg"));
    std::string found;
    EXPECT_EQ(acedFindFile("korvane.XML", &found), RTNORM);
    EXPECT_EQ(found, (mod / "Korvane.xml").string());
    EXPECT_EQ(acedFindFile("ctxmenu.xml", &found), RTNORM);
    EXPECT_EQ(acedFindFile("beside.txt", &found), RTNORM);
    EXPECT_EQ(acedFindFile("missing.txt", &found), RTERROR);
}

}  // namespace
