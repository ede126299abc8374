// The batch script dialog driven as a user drives it: scripts and drawings chosen through the
// file dialogs, runs of the host's console program over the drawings, Stop, the time-out, and the
// messages when something is missing.
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include "batch/batchdlg.h"
#include "res/resource.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/process.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "sim/host/verbs.h"
#include "sim/script/runner.h"
#include "support/scripted_fixture.h"
#include "batch_files.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace {

namespace fs = std::filesystem;

class BatchDialog : public kvtest::BatchFiles<kvtest::ScriptedFixture> {
protected:
    void SetUp() override {
        BatchFiles::SetUp();
        sim::host::setModuleFolder(machine.moduleFolder);
    }
    void TearDown() override {
        // The dialog goes with the plug-in before the processes it started are collected.
        if (started) unload();
        sim::desk::resetProcesses();
        BatchFiles::TearDown();
    }

    void open() {
        if (!started) start();
        run("KV_BSCRIPT");
    }
    void addScripts(const std::vector<std::string>& paths) {
        std::string line = "@files";
        for (const auto& p : paths) line += " \"" + p + "\"";
        run(line);
        run("@dialog press " + std::to_string(IDC_BATCH_SCRIPT_ADD));
    }
    void addDrawings(const std::vector<std::string>& paths) {
        std::string line = "@files";
        for (const auto& p : paths) line += " \"" + p + "\"";
        run(line);
        run("@dialog press " + std::to_string(IDC_BATCH_APPEND));
    }
    HWND list(int id) { return GetDlgItem(KvBatchDialogWindow(), id); }
    std::vector<std::string> column(int id, int col) {
        std::vector<std::string> out;
        const int n = int(SendMessage(list(id), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < n; ++row) {
            LVITEM it;
            it.iSubItem = col;
            SendMessage(list(id), LVM_GETITEMTEXT, WPARAM(row), reinterpret_cast<LPARAM>(&it));
            out.push_back(it.text);
        }
        return out;
    }
    std::vector<std::string> statuses() { return column(IDC_BATCH_DRAWINGS, 0); }
    std::vector<std::string> boxes() {
        std::vector<std::string> out;
        for (const auto& b : sim::Desktop::get().shownBoxes()) out.push_back(b.text);
        return out;
    }
    bool visible(int id) { return IsWindowVisible(GetDlgItem(KvBatchDialogWindow(), id)) != 0; }
    std::string scriptFolder() { return dataFolder() + "Script/"; }
    std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

};

TEST_F(BatchDialog, RunGivesEachDrawingItsOutcomeAndEndsHangingConsoles) {
    const std::string script = layoutScript();
    const std::string zoom = file("zoom.scr", "ZOOM E");   // no line end: the next script stays apart
    const std::string unticked = file("unticked.scr", "NEVER\n");
    const std::string good = drawing("a.dwg"), bad = file("bad.dwg", "not a drawing"),
                      hangs = drawing("b.dwg", {"Model"}), last = drawing("c.dwg");
    open();
    addScripts({zoom, script, unticked});
    run("@dialog check " + std::to_string(IDC_BATCH_SCRIPTS) + " off 2");
    addDrawings({good, bad, hangs, last});
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Waiting", "Waiting", "Waiting", "Waiting"}));
    EXPECT_EQ(GetDlgItemText(KvBatchDialogWindow(), IDC_BATCH_COUNT), "4 Item(s)");

    run("@dialog press " + std::to_string(IDC_BATCH_START));
    // The generated script joins the ticked scripts line by line.
    EXPECT_EQ(read(scriptFolder() + "mtemp.scr"), "ZOOM E\r\n-LAYOUT\r\nS\r\nSheet2\r\nQSAVE\r\nQUIT\r\n");
    EXPECT_TRUE(visible(IDC_BATCH_STOP));
    EXPECT_FALSE(visible(IDC_BATCH_START));
    EXPECT_TRUE(visible(IDC_BATCH_PROGRESS));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(KvBatchDialogWindow(), IDC_BATCH_CLOSE)));

    // The third console waits for input nobody types; twenty minutes later it is ended.
    run("@await-process 3");
    run("@wait 1200100");
    run("@await-work");
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Success", "Fail", "Timeout", "Success"}));
    const auto procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), 4u);
    EXPECT_TRUE(procs[2].terminated);
    for (const auto& p : procs) EXPECT_FALSE(p.running);
    EXPECT_EQ(procs[0].argv, (std::vector<std::string>{machine.moduleFolder + "accoreconsole.exe", "/i", good, "/s",
                                                       scriptFolder() + "mtemp.scr"}));
    // The console really worked on the drawing: it was saved once, with the layout made current.
    sim::dwg::FileInfo info;
    std::string err;
    ASSERT_TRUE(sim::dwg::readDrawingFile(good, &info, &err)) << err;
    EXPECT_EQ(info.drawing->numberOfSaves, 1);
    EXPECT_EQ(info.drawing->currentLayout, "Sheet2");
    // Back to idle.
    EXPECT_TRUE(visible(IDC_BATCH_START));
    EXPECT_FALSE(visible(IDC_BATCH_STOP));
    EXPECT_FALSE(visible(IDC_BATCH_PROGRESS));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(KvBatchDialogWindow(), IDC_BATCH_CLOSE)));

    // Success Remove keeps the rest; Close empties the list, saves the scripts, removes the
    // generated file.
    run("@dialog press " + std::to_string(IDC_BATCH_SUCCESS_REMOVE));
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Fail", "Timeout"}));
    run("@dialog press " + std::to_string(IDC_BATCH_CLOSE));
    EXPECT_FALSE(IsWindowVisible(KvBatchDialogWindow()));
    EXPECT_FALSE(fs::exists(scriptFolder() + "mtemp.scr"));
    EXPECT_EQ(read(dataFolder() + "Korvane.mscript"), "1," + zoom + "\r\n1," + script + "\r\n0," + unticked + "\r\n");
    run("KV_BSCRIPT");
    EXPECT_TRUE(statuses().empty());
    EXPECT_EQ(column(IDC_BATCH_SCRIPTS, 1), (std::vector<std::string>{zoom, script, unticked}));
}

TEST_F(BatchDialog, StopEndsTheRunningConsoleAndLeavesLaterRowsReady) {
    const std::string script = file("wait.scr", "DELAY 600000\nQUIT\n");
    open();
    addScripts({script});
    addDrawings({drawing("a.dwg"), drawing("b.dwg"), drawing("c.dwg")});
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    run("@await-process 1");
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Ready", "Ready", "Ready"}));
    run("@dialog press " + std::to_string(IDC_BATCH_STOP));
    EXPECT_TRUE(visible(IDC_BATCH_START));
    run("@await-work");
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Timeout", "Ready", "Ready"}));
    const auto procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), 1u);
    EXPECT_TRUE(procs[0].terminated);
    EXPECT_FALSE(procs[0].running);
}

TEST_F(BatchDialog, WithoutTheConsoleProgramEveryDrawingFails) {
    fs::remove(machine.moduleFolder + "accoreconsole.exe");
    open();
    addScripts({layoutScript()});
    addDrawings({drawing("a.dwg"), drawing("b.dwg")});
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    run("@await-work");
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Fail", "Fail"}));
    EXPECT_EQ(count("\nerror ; CreateProcess failed (2)"), 2) << transcript;
    EXPECT_TRUE(sim::desk::processes().empty());
}

TEST_F(BatchDialog, MissingScriptsOrDrawingsStopStartWithAMessage) {
    const std::string a = drawing("a.dwg");
    open();
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    addScripts({layoutScript()});
    run("@dialog check " + std::to_string(IDC_BATCH_SCRIPTS) + " off 0");
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    run("@dialog press " + std::to_string(IDC_BATCH_TEST_ALL));
    run("@dialog check " + std::to_string(IDC_BATCH_SCRIPTS) + " on 0");
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    run("@dialog press " + std::to_string(IDC_BATCH_REMOVE));
    EXPECT_EQ(boxes(), (std::vector<std::string>{"Empty entries in the target script.",
                                                 "Please select at least one script file.",
                                                 "Please select at least one script file.",
                                                 "Empty entries in the target drawing.",
                                                 "Please select the items you want to delete from the list of files.\n"}));
    EXPECT_TRUE(sim::desk::processes().empty());
    EXPECT_FALSE(fs::exists(scriptFolder() + "mtemp.scr"));
}

TEST_F(BatchDialog, UnreadableScriptStartsNothing) {
    const std::string gone = file("gone.scr", "QUIT\n");
    open();
    addScripts({gone});
    addDrawings({drawing("a.dwg")});
    fs::remove(gone);
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    EXPECT_EQ(count("\nexception error in starting"), 1);
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Waiting"}));
    EXPECT_TRUE(visible(IDC_BATCH_START));
}

TEST_F(BatchDialog, AnOpenDrawingEndsTheRun) {
    const std::string a = drawing("a.dwg"), b = drawing("b.dwg"), c = drawing("c.dwg");
    ASSERT_TRUE(sim::host::openDrawing(b));
    open();
    addScripts({layoutScript()});
    addDrawings({a, b, c});
    EXPECT_EQ(column(IDC_BATCH_DRAWINGS, 4), (std::vector<std::string>{"No", "Yes", "No"}));
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    run("@await-work");
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Success", "IsOpend", "Ready"}));
    EXPECT_EQ(sim::desk::processes().size(), 1u);
    // The host closing the drawing shows in its row.
    run("@close \"" + b + "\"");
    EXPECT_EQ(column(IDC_BATCH_DRAWINGS, 4), (std::vector<std::string>{"No", "No", "No"}));
}

TEST_F(BatchDialog, ListsRefuseDuplicatesAsTheirRulesSay) {
    const std::string a = drawing("a.dwg");
    const std::string upper = machine.drawings + "A.DWG";
    const std::string s = layoutScript();
    file("LAYOUT.scr", "QUIT\n");
    open();
    addDrawings({a});
    addDrawings({upper});   // the same file in other letters: added once
    addScripts({s});
    addScripts({s});        // the same path: once
    addScripts({machine.drawings + "LAYOUT.scr"});   // another spelling is another script
    EXPECT_EQ(statuses().size(), 1u);
    EXPECT_EQ(column(IDC_BATCH_SCRIPTS, 1).size(), 2u);
}

TEST_F(BatchDialog, FolderScanTakesEachPatternOnce) {
    drawing("b.dwg");
    drawing("A.DWG");
    file("c.dxf", "0\nSECTION\n");
    file("notes.txt", "x");
    open();
    run("@dialog set " + std::to_string(IDC_BATCH_FILE_TYPE) + "  *.dwg ; *.dxf ;");
    run("@folder \"" + machine.drawings + "\"");
    run("@dialog press " + std::to_string(IDC_BATCH_SELECT_FOLDER));
    run("@await-work");
    EXPECT_EQ(column(IDC_BATCH_DRAWINGS, 1), (std::vector<std::string>{"A.DWG", "b.dwg", "c.dxf"}));
    EXPECT_EQ(GetDlgItemText(KvBatchDialogWindow(), IDC_BATCH_COUNT), "3 Item(s)");
    // Header clicks sort by the column's text, ascending then descending.
    run("@dialog column " + std::to_string(IDC_BATCH_DRAWINGS) + " 1");
    EXPECT_EQ(column(IDC_BATCH_DRAWINGS, 1), (std::vector<std::string>{"A.DWG", "b.dwg", "c.dxf"}));
    run("@dialog column " + std::to_string(IDC_BATCH_DRAWINGS) + " 1");
    EXPECT_EQ(column(IDC_BATCH_DRAWINGS, 1), (std::vector<std::string>{"c.dxf", "b.dwg", "A.DWG"}));
}

TEST_F(BatchDialog, DroppedFilesGoToTheirLists) {
    const std::string s = layoutScript(), a = drawing("a.dwg");
    open();
    run("@drop \"" + s + "\" \"" + a + "\" \"" + file("x.txt", "") + "\"");
    EXPECT_EQ(column(IDC_BATCH_SCRIPTS, 1), (std::vector<std::string>{s}));
    EXPECT_EQ(column(IDC_BATCH_DRAWINGS, 1), (std::vector<std::string>{"a.dwg"}));
}

TEST_F(BatchDialog, TestAllRunsTheTickedScriptsInTheCurrentDrawing) {
    const std::string a = drawing("a.dwg");
    ASSERT_TRUE(sim::host::openDrawing(a));
    open();
    addScripts({file("one.scr", "-VIEW\nSA\nfirst"), file("two.scr", "-VIEW\nSA\nsecond\n")});
    run("@dialog press " + std::to_string(IDC_BATCH_TEST_ALL));
    for (int i = 0; i < 10; ++i) sim::host::pump();
    EXPECT_EQ(read(scriptFolder() + "mtestAll.scr"), "-VIEW\r\nSA\r\nfirst\r\n-VIEW\r\nSA\r\nsecond\r\n");
    AcApDocument* doc = acDocManager->curDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->database()->viewNames(false), (std::vector<std::string>{"first", "second"})) << transcript;
    // A double click tests that one script.
    run("@dialog dblclick " + std::to_string(IDC_BATCH_SCRIPTS) + " 1");
    for (int i = 0; i < 10; ++i) sim::host::pump();
    EXPECT_EQ(count("Command: .KV_SCRIPT"), 2) << transcript;
    // Closing the dialog removes the generated script.
    run("@dialog press " + std::to_string(IDC_BATCH_CLOSE));
    EXPECT_FALSE(fs::exists(scriptFolder() + "mtestAll.scr"));
}

TEST_F(BatchDialog, OpenAndCloseListedDrawingsInTheHost) {
    const std::string a = drawing("a.dwg");
    open();
    addDrawings({a});
    run("@menu \"Open\"");
    run("@dialog rclick " + std::to_string(IDC_BATCH_DRAWINGS) + " 0");
    EXPECT_EQ(column(IDC_BATCH_DRAWINGS, 4), (std::vector<std::string>{"Yes"}));
    EXPECT_EQ(acDocManager->documentCount(), 1);
    acdbSetDbmod(acDocManager->curDocument()->database(), 1);
    run("@answer No");
    run("@menu \"Close\"");
    run("@dialog rclick " + std::to_string(IDC_BATCH_DRAWINGS) + " 0");
    EXPECT_EQ(acDocManager->documentCount(), 1);
    run("@answer Yes");
    run("@menu \"Close\"");
    run("@dialog rclick " + std::to_string(IDC_BATCH_DRAWINGS) + " 0");
    EXPECT_EQ(acDocManager->documentCount(), 0);
    EXPECT_EQ(column(IDC_BATCH_DRAWINGS, 4), (std::vector<std::string>{"No"}));
    // Closed without saving: the file is as it was written.
    sim::dwg::FileInfo info;
    std::string err;
    ASSERT_TRUE(sim::dwg::readDrawingFile(a, &info, &err)) << err;
    EXPECT_EQ(info.drawing->numberOfSaves, 0);
}

// File names that once broke the console's command line: each drawing reaches the console as the
// one argument it is, gets its own outcome, and no file outside the list is touched.
TEST_F(BatchDialog, HostileFileNamesReachTheConsoleAsTheyAre) {
    const std::string innocent = drawing("b.dwg");
    const std::vector<std::string> names{"x.dwg\" -i \"b.dwg", "trailing\\", "a b\\\" c.dwg", "-i.dwg",
                                         "Ωμέγα 한글.dwg", "two  blanks.dwg"};
    std::vector<std::string> paths;
    for (const auto& n : names) paths.push_back(drawing(n));
    open();
    addScripts({file("save.scr", "QSAVE\nQUIT\n")});
    // Such names cannot be written on a script line: the file dialog is answered directly.
    sim::desk::queueFiles(paths);
    run("@dialog press " + std::to_string(IDC_BATCH_APPEND));
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    run("@await-work");
    EXPECT_EQ(statuses(), std::vector<std::string>(names.size(), "Success")) << transcript;
    const auto procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(procs[i].argv, (std::vector<std::string>{machine.moduleFolder + "accoreconsole.exe", "/i", paths[i],
                                                           "/s", scriptFolder() + "mtemp.scr"}));
        sim::dwg::FileInfo info;
        std::string err;
        ASSERT_TRUE(sim::dwg::readDrawingFile(paths[i], &info, &err)) << names[i] << ": " << err;
        EXPECT_EQ(info.drawing->numberOfSaves, 1) << names[i];
    }
    sim::dwg::FileInfo info;
    std::string err;
    ASSERT_TRUE(sim::dwg::readDrawingFile(innocent, &info, &err)) << err;
    EXPECT_EQ(info.drawing->numberOfSaves, 0);
}

TEST_F(BatchDialog, EveryButtonSaysWhatItDoes) {
    open();
    const std::vector<std::pair<int, std::string>> tips{
        {IDC_BATCH_SCRIPT_ADD, "Select and add a script file."},
        {IDC_BATCH_SCRIPT_EDIT, "Open the selected script file."},
        {IDC_BATCH_SCRIPT_UP, "Move selected item up."},
        {IDC_BATCH_SCRIPT_DOWN, "Move selected item down."},
        {IDC_BATCH_SCRIPT_REMOVE, "Remove from script list."},
        {IDC_BATCH_TEST_ALL, "Run all selected scripts."},
        {IDC_BATCH_SELECT_FOLDER, "Select the folder where the drawing file is located."},
        {IDC_BATCH_APPEND, "Add drawings to file list."},
        {IDC_BATCH_REMOVE, "Remove selected drawings from the file list."},
        {IDC_BATCH_SUCCESS_REMOVE, "Delete successful entries from the file list."},
        {IDC_BATCH_START, "Start script batch execution."},
        {IDC_BATCH_STOP, "Abort script batch execution."},
        {IDC_BATCH_CLOSE, "Close the Script Batch dialog box."}};
    for (const auto& [id, text] : tips) {
        run("@dialog tip " + std::to_string(id));
        EXPECT_NE(transcript.find("[tooltip] " + std::to_string(id) + ": " + text + "\n"), std::string::npos) << text;
    }
}

TEST_F(BatchDialog, TestFromThePopupRunsEachSelectedScriptOnce) {
    ASSERT_TRUE(sim::host::openDrawing(drawing("a.dwg")));
    open();
    addScripts({file("one.scr", "-VIEW\nSA\nfirst\n"), file("two.scr", "-VIEW\nSA\nsecond\n"),
                file("three.scr", "-VIEW\nSA\nthird\n")});
    for (int row : {0, 2}) {
        LVITEM it;
        it.stateMask = LVIS_SELECTED;
        it.state = LVIS_SELECTED;
        SendMessage(list(IDC_BATCH_SCRIPTS), LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&it));
    }
    run("@menu \"Test\"");
    run("@dialog rclick " + std::to_string(IDC_BATCH_SCRIPTS) + " 0");
    for (int i = 0; i < 10; ++i) sim::host::pump();
    EXPECT_EQ(acDocManager->curDocument()->database()->viewNames(false), (std::vector<std::string>{"first", "third"}))
        << transcript;
}

// Two consoles at once: both run side by side, and Stop ends both; the row not yet started
// stays "Ready".
TEST_F(BatchDialog, SeveralConsolesAtOnceAndStopEndsThemAll) {
    open();
    addScripts({file("wait.scr", "DELAY 600000\nQUIT\n")});
    addDrawings({drawing("a.dwg"), drawing("b.dwg"), drawing("c.dwg")});
    run("@dialog set " + std::to_string(IDC_BATCH_AT_ONCE) + " 2");
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    run("@await-process 2");
    auto procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), 2u);
    EXPECT_TRUE(procs[0].running && procs[1].running);
    EXPECT_FALSE(IsWindowEnabled(list(IDC_BATCH_AT_ONCE)));
    run("@dialog press " + std::to_string(IDC_BATCH_STOP));
    run("@await-work");
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Timeout", "Timeout", "Ready"}));
    procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), 2u);
    for (const auto& p : procs) EXPECT_TRUE(p.terminated && !p.running);
}

// With several at once each drawing still gets its own outcome, and each console its own log.
TEST_F(BatchDialog, SeveralAtOnceKeepEachDrawingsOutcomeAndLog) {
    const std::string a = drawing("a.dwg"), bad = file("bad.dwg", "not a drawing"), c = drawing("c.dwg"),
                      d = drawing("d.dwg");
    open();
    addScripts({file("save.scr", "DELAY 50\nQSAVE\nQUIT\n")});
    addDrawings({a, bad, c, d});
    run("@dialog set " + std::to_string(IDC_BATCH_AT_ONCE) + " 3");
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    run("@await-work");
    EXPECT_EQ(statuses(), (std::vector<std::string>{"Success", "Fail", "Success", "Success"}));
    const auto procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), 4u);
    const std::vector<std::string> paths{a, bad, c, d};
    for (size_t i = 0; i < procs.size(); ++i) {
        EXPECT_EQ(procs[i].argv[2], paths[i]);
        EXPECT_NE(read(procs[i].outputPath).find("Simulated console: " + paths[i]), std::string::npos);
    }
    EXPECT_EQ(GetDlgItemText(KvBatchDialogWindow(), IDC_BATCH_AT_ONCE), "3");   // kept for the next run
}

// The dialog belongs to the loaded module: unload destroys its window (saving the scripts as Close
// does) and a reloaded module makes a new one from the saved list.
TEST_F(BatchDialog, GoesWithTheModuleAndComesBackFromItsSavedList) {
    const std::string script = file("one.scr", "LINE\n");
    open();
    addScripts({script});
    addDrawings({drawing("a.dwg")});
    const HWND first = KvBatchDialogWindow();
    ASSERT_NE(first, nullptr);
    unload();
    EXPECT_EQ(KvBatchDialogWindow(), nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(read(dataFolder() + "Korvane.mscript"), "1," + script + "\r\n");

    open();
    ASSERT_NE(KvBatchDialogWindow(), nullptr);
    EXPECT_EQ(column(IDC_BATCH_SCRIPTS, 1), (std::vector<std::string>{script}));
    EXPECT_TRUE(statuses().empty());
}

TEST_F(BatchDialog, UnloadDuringARunEndsTheConsole) {
    open();
    addScripts({file("wait.scr", "DELAY 600000\n")});
    addDrawings({drawing("a.dwg"), drawing("b.dwg")});
    run("@dialog press " + std::to_string(IDC_BATCH_START));
    run("@await-process 1");
    unload();
    const auto procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), 1u);
    EXPECT_FALSE(procs[0].running);
    EXPECT_FALSE(fs::exists(scriptFolder() + "mtemp.scr"));
}

}  // namespace
