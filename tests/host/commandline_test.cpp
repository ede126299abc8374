// The command line: queueing per document, tokens, prefixes, prompts, cancelling, scripts.
#include <dlfcn.h>
#include <algorithm>
#include <deque>
#include <functional>
#include <sstream>
#include "host_fixture.h"
#include "sim/desk/desktop.h"
#include "win/system.h"
#include "win/window.h"

namespace {

AcApDocument* byTitle(const std::string& title) {
    for (auto* w : acDocWindowManager->documentWindows()) {
        if (w->document() && w->document()->docTitle() == title) return w->document();
    }
    return nullptr;
}

TEST_F(HostTest, TextQueuedToAnotherDrawingRunsWhenItBecomesCurrent) {
    make("a.dwg");
    make("b.dwg");
    run("@open " + path("a.dwg"));
    run("@open " + path("b.dwg"));
    AcApDocument* a = byTitle("a.dwg");
    ASSERT_EQ(acDocManager->sendStringToExecute(a, "_LINE 0,0 1,1  ", false, false, false), Acad::eOk);
    EXPECT_EQ(a->database()->approxNumObjects(), 0);
    EXPECT_EQ(doc()->docTitle(), "b.dwg");
    takeEvents();
    run("@activate " + path("a.dwg"));
    EXPECT_EQ(a->database()->approxNumObjects(), 1);
    auto e = takeEvents();
    ASSERT_GE(e.size(), 2u);
    EXPECT_EQ(e[e.size() - 2], "commandWillStart LINE");   // after the activation
    EXPECT_EQ(e.back(), "commandEnded LINE");

    // With activation asked for, the drawing is activated and the text runs there.
    AcApDocument* b = byTitle("b.dwg");
    acDocManager->sendStringToExecute(b, "LINE 0,0 1,1  ");
    EXPECT_EQ(doc(), b);
    EXPECT_EQ(b->database()->approxNumObjects(), 1);
}

TEST_F(HostTest, DelayKeepsTheDrawingBusyUntilTimeOrTwoEscapes) {
    make("a.dwg");
    run("@open " + path("a.dwg"));
    takeEvents();
    run("DELAY 1000");
    EXPECT_FALSE(doc()->isQuiescent());
    run("LINE 0,0 1,1 ");   // waits behind the running command
    EXPECT_EQ(doc()->database()->approxNumObjects(), 0);
    run("@wait 999");
    EXPECT_FALSE(doc()->isQuiescent());
    run("@wait 1");
    EXPECT_TRUE(doc()->isQuiescent());
    EXPECT_EQ(doc()->database()->approxNumObjects(), 1);
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart DELAY", "commandEnded DELAY", "commandWillStart LINE",
                                    "commandEnded LINE"}));

    run("DELAY 30000");
    run("^C");
    EXPECT_FALSE(doc()->isQuiescent());   // one Escape is not enough
    run("^C");
    EXPECT_TRUE(doc()->isQuiescent());
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart DELAY", "commandCancelled DELAY"}));
}

TEST_F(HostTest, TokensQuotesAndPrefixes) {
    make("a.dwg", "views=North,South");
    run("@open " + path("a.dwg"));
    takeEvents();
    run("_.-VIEW _R \"South\"");
    run("'_ZOOM E");
    run("._Bogus");
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart -VIEW", "commandEnded -VIEW", "commandWillStart ZOOM",
                                    "commandEnded ZOOM"}));
    EXPECT_NE(transcript.find("Restoring view South."), std::string::npos);
    EXPECT_NE(transcript.find("Unknown command \"BOGUS\""), std::string::npos);

    // A token that has not been ended waits for the rest.
    acDocManager->sendStringToExecute(doc(), "LI", false, false, false);
    EXPECT_TRUE(doc()->isQuiescent());
    acDocManager->sendStringToExecute(doc(), "NE 0,0 3,3  ", false, false, false);
    EXPECT_EQ(doc()->database()->approxNumObjects(), 1);
}

TEST_F(HostTest, PromptsTakeQueuedTokensThenScriptedInputElseCancel) {
    ASSERT_TRUE(sim::host::loadModule(KV_TEST_MODULE));
    run("@new");
    run("KVT_ASK \"Ann Lee\"");
    run("@input Bo Chen");
    run("KVT_ASK");
    takeEvents();
    run("KVT_ASK");   // nothing queued, not interactive
    EXPECT_EQ(takeEvents(), (Events{"commandWillStart KVT_ASK", "commandCancelled KVT_ASK"}));
    EXPECT_NE(transcript.find("name=Ann Lee\n"), std::string::npos);
    EXPECT_NE(transcript.find("name=Bo Chen\n"), std::string::npos);
    EXPECT_NE(transcript.find("name-cancel"), std::string::npos);
    // A prompt that allows blanks reads up to the end of the line.
    run("KVT_ASK Dee Eve");
    EXPECT_NE(transcript.find("name=Dee Eve"), std::string::npos);
}

TEST_F(HostTest, ScriptRunsItsLinesAndStopsAtAFailingCommand) {
    make("a.dwg", "layouts=Sheet");
    run("@open " + path("a.dwg"));
    std::ofstream(path("ok.scr")) << "LINE 0,0 1,1 \nLAYOUT S Sheet\n";
    std::ofstream(path("bad.scr")) << "LAYOUT S Nowhere\nLINE 0,0 1,1 \n";
    run("SCRIPT \"" + path("ok.scr") + "\"");
    EXPECT_EQ(doc()->database()->approxNumObjects(), 1);
    EXPECT_EQ(doc()->database()->currentLayout(), "Sheet");
    run("SCRIPT \"" + path("bad.scr") + "\"");
    EXPECT_EQ(doc()->database()->approxNumObjects(), 1);
    EXPECT_NE(transcript.find("*Script stopped*"), std::string::npos);
    run("SCRIPT \"" + path("missing.scr") + "\"");
    EXPECT_NE(transcript.find("Cannot find script file"), std::string::npos);
}

// A function of the test module, found in the module the host loaded.
template <class F>
F moduleFunction(const char* name) {
    void* dl = dlopen(KV_TEST_MODULE, RTLD_NOW | RTLD_NOLOAD);
    F f = dl ? reinterpret_cast<F>(dlsym(dl, name)) : nullptr;
    if (dl) dlclose(dl);   // the host's own handle keeps it loaded
    return f;
}

// A window whose procedure runs `handler` on WM_USER, as a plug-in's menu handler runs.
HWND handlerWindow(std::function<void()>* handler) {
    CREATEWINDOW p;
    p.className = "KvWindow";
    p.proc = [handler](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_USER) (*handler)();
        return 0;
    };
    return CreateWindowEx(p);
}

// Text sent and work handed to the application context from inside a window procedure wait until
// the procedure has returned and the host's loop has its turn (between two script lines); only
// then do they run, the work first. A command queued by a reactor runs after the notifications of
// the operation that fired it.
TEST_F(HostTest, QueuedCommandsWaitForTheHostsLoop) {
    make("a.dwg");
    make("b.dwg");
    run("@open " + path("a.dwg"));
    int objectsInside = -1;
    bool laterInside = true;
    std::function<void()> handler = [&] {
        acDocManager->sendStringToExecute(doc(), "_LINE 0,0 1,1  ", false, false, false);
        bool ran = false;
        acDocManager->executeInApplicationContext(+[](void* flag) { *static_cast<bool*>(flag) = true; }, &ran);
        objectsInside = doc()->database()->approxNumObjects();
        laterInside = ran;
        handler = [] {};
    };
    HWND wnd = handlerWindow(&handler);
    takeEvents();
    SendMessage(wnd, WM_USER, 0, 0);
    EXPECT_EQ(objectsInside, 0);
    EXPECT_FALSE(laterInside);
    EXPECT_EQ(doc()->database()->approxNumObjects(), 0);   // the handler has returned; the loop has not run
    EXPECT_TRUE(takeEvents().empty());
    PostMessage(wnd, WM_USER, 0, 0);   // handled with nothing queued
    run("@print next line");
    EXPECT_EQ(doc()->database()->approxNumObjects(), 1);
    DestroyWindow(wnd);

    struct Sender : AcApDocManagerReactor {
        void documentActivated(AcApDocument* d) override {
            acDocManager->sendStringToExecute(d, "_LINE 0,0 2,2  ", false, false, false);
        }
    } sender;
    acDocManager->addReactor(&sender);
    takeEvents();
    run("@open " + path("b.dwg"));
    acDocManager->removeReactor(&sender);
    const auto e = takeEvents();
    const auto at = [&](const std::string& name) { return std::find(e.begin(), e.end(), name) - e.begin(); };
    EXPECT_LT(at("documentWindowActivated b.dwg"), at("commandWillStart LINE"));
    EXPECT_LT(at("commandWillStart LINE"), std::ptrdiff_t(e.size()));
    EXPECT_EQ(doc()->database()->approxNumObjects(), 1);
}

// QUIT sent by a module's handler ends the host only once that handler has returned: the module is
// unloaded with none of its code on the stack. Work a module queued goes with the module.
TEST_F(HostTest, QuitAndQueuedWorkWaitUntilTheModulesCodeHasReturned) {
    make("a.dwg");
    run("@open " + path("a.dwg"));
    ASSERT_TRUE(sim::host::loadModule(KV_TEST_MODULE));
    auto log = moduleFunction<const char* (*)()>("kvTestModuleLog");
    auto queueLater = moduleFunction<void (*)()>("kvTestQueueLater");
    auto sendQuit = moduleFunction<void (*)()>("kvTestSendQuit");
    ASSERT_TRUE(log && queueLater && sendQuit);

    std::function<void()> handler = queueLater;
    HWND wnd = handlerWindow(&handler);
    SendMessage(wnd, WM_USER, 0, 0);
    run("@unload");   // the work would call into the unloaded module
    EXPECT_EQ(transcript.find("[module] later"), std::string::npos) << transcript;
    run("@load " + std::string(KV_TEST_MODULE));
    log = moduleFunction<const char* (*)()>("kvTestModuleLog");
    sendQuit = moduleFunction<void (*)()>("kvTestSendQuit");

    handler = sendQuit;
    run("@answer No");
    SendMessage(wnd, WM_USER, 0, 0);
    EXPECT_NE(std::string(log()).find("after quit was sent"), std::string::npos);
    EXPECT_FALSE(sim::host::quitRequested());
    run("@print the loop's turn");
    EXPECT_TRUE(sim::host::quitRequested());
    EXPECT_TRUE(sim::host::loadedModules().empty());
    EXPECT_EQ(acDocManager->documentCount(), 0);
    DestroyWindow(wnd);
}

TEST_F(HostTest, CommandsRunFromModulesAndQuitEndsEverything) {
    make("a.dwg");
    run("@open " + path("a.dwg"));
    ASSERT_TRUE(sim::host::loadModule(KV_TEST_MODULE));
    // The coroutine form runs after the calling command.
    EXPECT_EQ(acedCommandC(nullptr, nullptr, RTSTR, "LINE", RTSTR, "0,0", RTSTR, "2,2", RTSTR, "", RTNONE), RTNORM);
    EXPECT_EQ(doc()->database()->approxNumObjects(), 1);
    acDocManager->pushResourceHandle(nullptr);
    EXPECT_EQ(sim::host::resourceStackDepth(), 1);
    acDocManager->popResourceHandle();
    acDocManager->popResourceHandle();   // an extra pop does not go below zero
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);

    run("@answer Cancel");
    run("QUIT");
    EXPECT_FALSE(sim::host::quitRequested());
    EXPECT_EQ(acDocManager->documentCount(), 1);
    run("@answer No");
    run("QUIT");
    EXPECT_TRUE(sim::host::quitRequested());
    EXPECT_EQ(acDocManager->documentCount(), 0);
    EXPECT_TRUE(sim::host::loadedModules().empty());
    EXPECT_NE(transcript.find("[module] detach"), std::string::npos);
}

}  // namespace

// A person at the prompt: the prompt already shows the typed command, a message box asks until it
// gets an answer, HELP points to @help, and a failing line names no script line.
TEST_F(HostTest, ThePersonsPromptShowsEachLineOnceAndBoxesTakeOnlyAnswers) {
    sim::host::typeLine("._Bogus", true);
    sim::host::typeLine("._Bogus");
    EXPECT_EQ(transcript.find("Command: ._Bogus"), transcript.rfind("Command: ._Bogus"));   // echoed once
    run("HELP");
    EXPECT_NE(transcript.find("@help lists them all"), std::string::npos);
    EXPECT_EQ(transcript.find("F1"), std::string::npos);

    auto& desk = sim::Desktop::get();
    desk.setInteractive(true);
    std::deque<std::string> typed = {"@help", "maybe", "n"};
    std::vector<std::string> prompts;
    desk.setLineReader([&](const std::string& prompt) -> std::optional<std::string> {
        prompts.push_back(prompt);
        if (typed.empty()) return std::nullopt;
        auto line = typed.front();
        typed.pop_front();
        return line;
    });
    transcript.clear();
    EXPECT_EQ(MessageBox(nullptr, "Save changes?", "Korvane", MB_YESNOCANCEL), IDNO);
    EXPECT_EQ(prompts, (std::vector<std::string>(3, "[Yes/No/Cancel] ")));
    EXPECT_EQ(transcript.find("Save changes?"), transcript.rfind("Save changes?"));   // shown once
    EXPECT_NE(transcript.find("waits for its answer: Yes/No/Cancel (Enter: Yes)"), std::string::npos);
    EXPECT_NE(transcript.find("-> No"), std::string::npos);
    // Enter takes the default button; the end of the input too.
    typed = {""};
    EXPECT_EQ(MessageBox(nullptr, "Go on?", "", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Done.", "", MB_OK), IDOK);
    // A live window answers with its own box; the transcript keeps the one-line record.
    desk.boxAsker = [](const std::string&, const std::string&, UINT, int) { return IDYES; };
    transcript.clear();
    EXPECT_EQ(MessageBox(nullptr, "Replace?", "Korvane", MB_YESNO), IDYES);
    EXPECT_EQ(transcript, "[MessageBox] Korvane: Replace? -> Yes\n");
    desk.setLineReader(nullptr);
    desk.setInteractive(false);

    // A failing verb names its line in a script, not at the prompt.
    transcript.clear();
    runner.runLine("@foo");
    EXPECT_EQ(transcript, "unknown verb @foo (try @help)\n");
    std::istringstream script("@print a\n@foo\n");
    transcript.clear();
    runner.run(script);
    EXPECT_NE(transcript.find("script: " + std::to_string(runner.lineNumber) + ": unknown verb @foo (try @help)"),
              std::string::npos);
}
