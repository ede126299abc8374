// A fresh desktop with the test's resource module registered, the transcript captured and a
// script feed that tests fill with lines.
#pragma once
#include <gtest/gtest.h>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/pe/modules.h"
#include "sim/script/runner.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace dlgtest {

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Desktop::get().reset();
        sim::desk::WindowManager::get().reset();
        sim::desk::resetMenus();
        sim::desk::setMonitorCount(1);
        sim::Desktop::get().setTranscriptSink([this](const std::string& t) { transcript += t; });
        module = sim::pe::registerModuleBytes("DialogsTest.dll", readBytes(KV_DIALOGS_RES));
        ASSERT_NE(module, nullptr);
        sim::desk::registerDeskVerbs(runner);
        sim::desk::registerDialogVerbs(runner);
        sim::desk::setScriptFeed([this]() {
            if (lines.empty()) return false;
            std::string line = lines.front();
            lines.pop_front();
            runner.runLine(line);
            return true;
        });
    }
    void TearDown() override {
        sim::desk::setScriptFeed(nullptr);
        sim::desk::WindowManager::get().reset();
        sim::pe::unregisterModule(module);
        sim::Desktop::get().setTranscriptSink(nullptr);
    }
    // Runs a line now, as the script would (outside any dialog's loop).
    bool run(const std::string& line) { return runner.runLine(line); }
    std::string classOf(HWND h) {
        auto* w = sim::desk::WindowManager::get().find(h);
        return w ? w->className : "";
    }
    // Rectangle of a control in its dialog's client coordinates.
    RECT clientRect(HWND dlg, HWND control) {
        RECT r;
        GetWindowRect(control, &r);
        POINT o{0, 0};
        ClientToScreen(dlg, &o);
        return {r.left - o.x, r.top - o.y, r.right - o.x, r.bottom - o.y};
    }

    HMODULE module = nullptr;
    sim::script::Runner runner;
    std::deque<std::string> lines;
    std::string transcript;
};

// A dialog procedure that records what it is told and ends on OK and Cancel.
struct Recorder {
    std::vector<std::pair<UINT, WPARAM>> messages;
    std::vector<std::string> okTexts;
    bool endOnCancel = true;
    DLGPROC proc() {
        return [this](HWND dlg, UINT msg, WPARAM wp, LPARAM) -> INT_PTR {
            if (msg == WM_COMMAND || msg == WM_INITDIALOG) messages.emplace_back(msg, wp);
            if (msg == WM_NOTIFY) messages.emplace_back(msg, wp);
            if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
                okTexts.push_back(GetDlgItemText(dlg, 1001));
                EndDialog(dlg, IDOK);
                return TRUE;
            }
            if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL && endOnCancel) {
                EndDialog(dlg, IDCANCEL);
                return TRUE;
            }
            return msg == WM_INITDIALOG;
        };
    }
    int count(UINT msg, WPARAM wp) const {
        int n = 0;
        for (const auto& [m, w] : messages) n += m == msg && w == wp;
        return n;
    }
};

// The test dialog 100 created modeless and shown, its procedure recording.
class ShownDialogFixture : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        dlg = CreateDialogParam(module, 100, nullptr, rec.proc(), 0);
        ASSERT_NE(dlg, nullptr);
        ShowWindow(dlg, SW_SHOW);
    }
    HWND item(int id) { return GetDlgItem(dlg, id); }
    Recorder rec;
    HWND dlg = nullptr;
};

}  // namespace dlgtest
