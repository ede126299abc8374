// A started plug-in with drawings, menu commands sent to the tab control, and dialogs answered
// from a queue of script lines while they are open.
#pragma once
#include <deque>
#include <filesystem>
#include "menus/docops.h"
#include "settings/settings.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "sim/host/verbs.h"
#include "sim/script/runner.h"
#include "support/plugin_fixture.h"
#include "tabstrip/panel.h"
#include "win/system.h"

namespace kvtest {

class MenuFixture : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        sim::desk::registerDeskVerbs(runner);
        sim::desk::registerDialogVerbs(runner);
        sim::host::registerHostVerbs(runner);
        previousFeed = sim::desk::setScriptFeed([this] {
            if (feed.empty()) return false;
            const std::string line = feed.front();
            feed.pop_front();
            EXPECT_TRUE(runner.runLine(line)) << line << "\n" << transcript;
            return true;
        });
    }
    void TearDown() override {
        sim::host::setEventListener(nullptr);
        sim::desk::setScriptFeed(previousFeed);
        PluginFixture::TearDown();
    }
    std::string drawing(const std::string& name) {
        sim::dwg::Drawing d;
        const std::string path = machine.drawings + name;
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2013, sim::dwg::Kind::Dwg, &err)) << err;
        return path;
    }
    void open(std::initializer_list<const char*> names) {
        for (const char* n : names) ASSERT_TRUE(sim::host::openDrawing(drawing(n)));
    }
    AcKvUiTabCtrl& tabs() { return KvTabPanel().TabCtrl(); }
    void run(const std::string& line) { ASSERT_TRUE(runner.runLine(line)) << line << "\n" << transcript; }
    AcApDocument* doc(const std::string& name) {
        for (int i = 0; i < tabs().GetItemCount(); ++i) {
            CItemData* item = tabs().GetItem(i);
            if (item->displayName == name) return item->drawingDoc;
        }
        return nullptr;
    }
    void modify(const std::string& name) { acdbSetDbmod(doc(name)->database(), 1); }
    void mark(std::initializer_list<int> indexes) {
        tabs().markedItems.clear();
        for (int i = 0; i < tabs().GetItemCount(); ++i) tabs().GetItem(i)->marked = 0;
        for (int i : indexes) {
            tabs().GetItem(i)->marked = 1;
            tabs().markedItems.push_back(tabs().GetItem(i));
        }
    }
    // The menu command, then everything it set going, until nothing moves.
    void command(UINT id) {
        SendMessage(tabs().GetSafeHwnd(), WM_COMMAND, id, 0);
        settle();
    }
    void settle() {
        for (int i = 0; i < 20; ++i) {
            sim::desk::WindowManager::get().pump();
            sim::host::pump();
        }
    }
    std::vector<std::string> captions() {
        std::vector<std::string> out;
        for (int i = 0; i < tabs().GetItemCount(); ++i)
            out.push_back(tabs().GetItem(i)->displayName + (tabs().GetItem(i)->isLink ? " (link)" : ""));
        return out;
    }
    int prompts() {
        int n = 0;
        for (const auto& d : sim::desk::closedDialogs()) n += d.templateId == 292;
        return n;
    }
    int numberOfSaves(const std::string& path) {
        sim::dwg::FileInfo info;
        std::string err;
        EXPECT_TRUE(sim::dwg::readDrawingFile(path, &info, &err)) << err;
        return info.drawing ? info.drawing->numberOfSaves : -1;
    }

    // The commands the host starts, in order.
    void recordCommands() {
        sim::host::setEventListener([this](const std::string& name, const std::string& arg) {
            if (name == "commandWillStart") commands += arg + " ";
        });
    }

    sim::script::Runner runner;
    std::string commands;
    std::deque<std::string> feed;
    sim::desk::ScriptFeed previousFeed;
};

}  // namespace kvtest
